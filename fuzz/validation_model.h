#pragma once
// The fuzz targets' own reading of a validation record, kept apart from the
// reader under test: the fields at their fixed positions of a tail that starts
// with "06", cut at its end and decoded as code page 1252, and the disk count
// as the 16-bit conversion takes its two characters.

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "base/code_page.h"
#include "sua/validation_record.h"

// Digits, with a blank or a sign before or after one digit, or a point after
// it; ".d" rounds half to even. Anything else is no number.
inline std::optional<int> ModelDiskCount(std::string_view s) {
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  const auto beside = [](char c) { return c != '\0' && std::strchr(" \t\n\v\f\r+-", c); };
  if (s.size() == 1 && digit(s[0])) return s[0] - '0';
  const char a = s.size() == 2 ? s[0] : 'x', b = s.size() == 2 ? s[1] : 'x';
  if (digit(a) && digit(b)) return (a - '0') * 10 + b - '0';
  if (digit(b) && beside(a)) return (a == '-' ? -1 : 1) * (b - '0');
  if (digit(a) && (beside(b) || b == '.')) return (b == '-' ? -1 : 1) * (a - '0');
  if (a == '.' && digit(b)) return b > '5' ? 1 : 0;
  return std::nullopt;
}

// `fields` with the five fields of `tail` in them; unchanged when the tail is no record.
inline qeb::ValidationFields ModelFields(std::string_view tail, qeb::ValidationFields fields) {
  if (tail.substr(0, 2) != "06") return fields;
  const auto at = [tail](size_t first, size_t length) {
    return tail.size() < first ? std::string() : qeb::Cp1252ToUtf8(tail.substr(first - 1, length));
  };
  fields.RegValIdent = at(3, 11), fields.RegValCodigo = at(27, 6);
  fields.RegValInicial = at(69, 4), fields.RegValClave = at(121, 19);
  if (const auto discos = ModelDiskCount(tail.substr(std::min<size_t>(tail.size(), 66), 2)))
    fields.RegValDiscos = static_cast<int16_t>(*discos);
  return fields;
}
