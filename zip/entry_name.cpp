#include "zip/entry_name.h"

#include <zlib.h>

#include <span>

#include "base/code_page.h"
#include "zip/byte_cursor.h"
#include "zip/zip_errors.h"
#include "zip/zip_format.h"

namespace qeb::zip {
namespace {

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

}  // namespace

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
  return Cp437ToUtf8(raw);
}

}  // namespace qeb::zip
