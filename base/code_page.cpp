#include "base/code_page.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace qeb {
namespace {

// Code page 1252 between 0x80 and 0x9F; the rest of the page is Latin-1.
constexpr std::array<char16_t, 32> kCp1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

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

}  // namespace

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto b = static_cast<uint8_t>(c);
    AppendUtf8(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t{b}, out);
  }
  return out;
}

std::string Utf8ToCp1252(std::string_view text) {
  std::string out;
  for (const char16_t unit : Utf8ToUtf16(text)) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
      out += static_cast<char>(unit);
    } else if (unit >= 0xDC80 && unit <= 0xDCFF) {  // a byte that was not UTF-8
      out += static_cast<char>(unit - 0xDC00);
    } else {
      const auto* high = std::find(kCp1252High.begin(), kCp1252High.end(), unit);
      out +=
          high != kCp1252High.end() ? static_cast<char>(0x80 + (high - kCp1252High.begin())) : '?';
    }
  }
  return out;
}

std::string Cp437ToUtf8(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<uint8_t>(c);
    AppendUtf8(byte < 0x80 ? char32_t{byte} : kCp437High[byte - 0x80], out);
  }
  return out;
}

std::string Utf8ToCp437(std::string_view text) {
  std::string out;
  for (size_t at = 0; at < text.size();) {
    char32_t code = 0;
    const size_t length = DecodeUtf8(text, at, code);
    at += length == 0 ? 1 : length;
    if (length != 0 && code < 0x80) {
      out += static_cast<char>(code);
      continue;
    }
    const auto* high = std::find(kCp437High.begin(), kCp437High.end(), code);
    out += length != 0 && high != kCp437High.end()
               ? static_cast<char>(0x80 + (high - kCp437High.begin()))
               : '_';
  }
  return out;
}

char AsciiUpperCase(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

char16_t UpperCase(char16_t c) {
  if (c < 0x80) return static_cast<char16_t>(AsciiUpperCase(static_cast<char>(c)));
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;  // à..þ except ÷
  switch (c) {
    case 0xFF:
      return 0x178;  // ÿ
    case 0x161:
      return 0x160;  // š
    case 0x153:
      return 0x152;  // œ
    case 0x17E:
      return 0x17D;  // ž
    default:
      return c;
  }
}

bool EqualIgnoringCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (UpperCase(a[i]) != UpperCase(b[i])) return false;
  return true;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return EqualIgnoringCase(Utf8ToUtf16(a), Utf8ToUtf16(b));
}

}  // namespace qeb
