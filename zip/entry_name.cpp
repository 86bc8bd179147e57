#include "zip/entry_name.h"

#include <zlib.h>

#include <array>
#include <span>

#include "sua/code_page.h"
#include "zip/byte_cursor.h"
#include "zip/zip_errors.h"
#include "zip/zip_format.h"

namespace qeb::zip {
namespace {

// Code page 437, bytes 0x80 to 0xFF.
constexpr std::array<char32_t, 128> kCp437High{
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4,
    0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

std::string FromCp437(const std::string& raw) {
  std::string out;
  for (const char c : raw) {
    const auto byte = static_cast<unsigned char>(c);
    AppendUtf8(byte < 0x80 ? char32_t{byte} : kCp437High[byte - 0x80], out);
  }
  return out;
}

std::span<const uint8_t> BytesOf(const std::string& text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

// The UTF-8 name of a Unicode Path field (version 1) whose CRC-32 is that of
// `raw`; empty when there is none. A malformed extra field is ignored: it only
// ever offers a better spelling of the name.
std::string UnicodePathName(const std::string& raw, const std::string& extra) {
  ByteReader in(BytesOf(extra));
  while (in.remaining() >= format::kExtraHeaderSize) {
    const uint16_t id = in.U16();
    const uint16_t size = in.U16();
    const std::string block = in.Text(size);
    if (!in.ok()) break;
    if (id != format::kExtraUnicodePath) continue;
    ByteReader field(BytesOf(block));
    const uint8_t version = field.U8();
    const uint32_t name_crc = field.U32();
    std::string name = field.Text(field.remaining());
    const auto raw_crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(raw.data()), static_cast<uInt>(raw.size())));
    if (field.ok() && version == 1 && name_crc == raw_crc && IsValidUtf8(name)) return name;
  }
  return {};
}

// The length of the UTF-8 sequence a byte starts and the code bits it
// carries; length 0 for a byte that cannot start one.
struct LeadByte {
  size_t length;
  char32_t bits;
};

LeadByte ReadLead(unsigned char lead) {
  if (lead < 0x80) return {1, lead};
  if ((lead & 0xE0) == 0xC0) return {2, char32_t{lead} & 0x1F};
  if ((lead & 0xF0) == 0xE0) return {3, char32_t{lead} & 0x0F};
  if ((lead & 0xF8) == 0xF0) return {4, char32_t{lead} & 0x07};
  return {0, 0};
}

}  // namespace

bool IsValidUtf8(const std::string& text) {
  // Smallest code point for each length: anything below is an overlong form.
  constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
  for (size_t i = 0; i < text.size();) {
    const auto [length, bits] = ReadLead(static_cast<unsigned char>(text[i]));
    char32_t code = bits;
    if (length == 0 || text.size() - i < length) return false;
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = code << 6 | (next & 0x3F);
    }
    if (length > 1 &&
        (code < kShortest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)))
      return false;
    i += length;
  }
  return true;
}

std::string DecodeEntryName(const std::string& raw, uint16_t flags, const std::string& extra,
                            uint16_t version_made_by) {
  if (raw.empty()) throw ZipFormatError(ZipDefect::kBadName, "nombre vacío");
  if (raw.find('\0') != std::string::npos)
    throw ZipFormatError(ZipDefect::kBadName, "nombre con un carácter nulo");
  if ((flags & format::kFlagUtf8) != 0) {
    if (!IsValidUtf8(raw)) throw ZipFormatError(ZipDefect::kBadName, "UTF-8 inválido");
    return raw;
  }
  std::string unicode = UnicodePathName(raw, extra);
  if (!unicode.empty() && unicode.find('\0') == std::string::npos) return unicode;
  if (version_made_by >> 8 == format::kHostUnix && IsValidUtf8(raw)) return raw;
  return FromCp437(raw);
}

}  // namespace qeb::zip
