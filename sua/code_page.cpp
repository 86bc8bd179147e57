#include "sua/code_page.h"

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

// Length of the valid UTF-8 sequence at `at` and its code point, or 0.
size_t DecodeOne(std::string_view text, size_t at, char32_t& code) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(at);
  size_t length = 0;
  char32_t minimum = 0;
  if (lead < 0x80) {
    code = lead;
    return 1;
  }
  if ((lead & 0xE0) == 0xC0) {
    length = 2, code = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, code = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, code = lead & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  if (text.size() - at < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(at + i) & 0x3F);
  }
  const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  if (code < minimum || code > 0x10FFFF || surrogate) return 0;
  return length;
}

}  // namespace

void AppendUtf8(char32_t code, std::string& out) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto b = static_cast<uint8_t>(c);
    AppendUtf8(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t{b}, out);
  }
  return out;
}

std::string Utf8ToCp1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
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

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    char32_t code = 0;
    const size_t length = DecodeOne(text, at, code);
    if (length == 0) {
      out += static_cast<char16_t>(0xDC00 + static_cast<uint8_t>(text[at]));
      ++at;
      continue;
    }
    if (code >= 0x10000) {
      code -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (code >> 10));
      out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
      out += static_cast<char16_t>(code);
    }
    at += length;
  }
  return out;
}

char16_t UpperCase(char16_t c) {
  if (c >= u'a' && c <= u'z') return c - 0x20;
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
