#include "sua/validation_record.h"

#include <algorithm>
#include <limits>

#include "base/code_page.h"

namespace qeb {
namespace {

// Fields of the validation record: 1-based position and length.
struct Field {
  size_t position;
  size_t length;
};
constexpr Field kIdent{3, 11};
constexpr Field kCodigo{27, 6};
constexpr Field kDiscos{67, 2};
constexpr Field kInicial{69, 4};
constexpr Field kClave{121, 19};

// The characters of `field` that `record` holds, cut at its end.
std::string_view Slice(std::string_view record, Field field) {
  if (field.position > record.size()) return {};
  return record.substr(field.position - 1, field.length);
}
// The same as UTF-8 text.
std::string Text(std::string_view record, Field field) {
  return Cp1252ToUtf8(Slice(record, field));
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Half-way values go to the even neighbour, as the 16-bit conversion rounds.
bool RoundsUp(int64_t whole, std::string_view fraction) {
  if (fraction.empty() || fraction[0] < '5') return false;
  if (fraction[0] > '5') return true;
  if (fraction.substr(1).find_first_not_of('0') != std::string_view::npos) return true;
  return whole % 2 != 0;
}

}  // namespace

// The disk count is taken as the 16-bit integer conversion of the system's
// language (CInt) takes text: blanks around the number, one sign either in
// front of or after it, decimal digits, and a decimal point whose fraction is
// rounded half to even (".5" is 0, "1.5" is 2, "1." is 1). Text without a
// digit ("  ", "-", "."), letters, and values outside the 16-bit range are no
// number. The field has two characters, so exponents, thousands separators,
// currency signs and parentheses, which need more room or a locale, are not
// taken.
std::optional<int16_t> ParseDiskCount(std::string_view text) {
  constexpr int64_t kTooLarge = int64_t{1} << 40;
  size_t at = 0;
  const auto skip_blanks = [&] {
    while (at < text.size() && IsBlank(text[at])) ++at;
  };
  const auto take_sign = [&](int& sign) {
    if (at >= text.size() || (text[at] != '+' && text[at] != '-')) return false;
    sign = text[at++] == '-' ? -1 : 1;
    return true;
  };

  skip_blanks();
  int sign = 1;
  const bool leading_sign = take_sign(sign);
  int64_t whole = 0;
  size_t whole_digits = 0;
  for (; at < text.size() && IsDigit(text[at]); ++at, ++whole_digits)
    whole = std::min(whole * 10 + (text[at] - '0'), kTooLarge);
  std::string_view fraction;
  if (at < text.size() && text[at] == '.') {
    const size_t start = ++at;
    while (at < text.size() && IsDigit(text[at])) ++at;
    fraction = text.substr(start, at - start);
  }
  if (whole_digits == 0 && fraction.empty()) return std::nullopt;
  if (!leading_sign) take_sign(sign);
  skip_blanks();
  if (at != text.size()) return std::nullopt;

  const int64_t value = sign * (whole + (RoundsUp(whole, fraction) ? 1 : 0));
  if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max())
    return std::nullopt;
  return static_cast<int16_t>(value);
}

void ExtractValidationFields(std::string_view tail, ValidationFields& fields) {
  if (!tail.starts_with(kValidationRecordType)) return;
  fields.RegValIdent = Text(tail, kIdent);
  fields.RegValCodigo = Text(tail, kCodigo);
  if (const std::optional<int16_t> discos = ParseDiskCount(Slice(tail, kDiscos)))
    fields.RegValDiscos = *discos;
  fields.RegValInicial = Text(tail, kInicial);
  fields.RegValClave = Text(tail, kClave);
}

// N[i] is the i-th character of the name; the fields are compared by
// character, so a short field fails every comparison that reaches past it.
bool NameMatchesValidationRecord(std::string_view name, const ValidationFields& fields) {
  const std::u16string n = Utf8ToUtf16(name);
  const std::u16string inicial = Utf8ToUtf16(fields.RegValInicial);
  const std::u16string codigo = Utf8ToUtf16(fields.RegValCodigo);
  const std::u16string ident = Utf8ToUtf16(fields.RegValIdent);
  // Characters from..from+count-1 (1-based) of `text`, cut at its end.
  const auto mid = [](const std::u16string& text, size_t from, size_t count) {
    return from > text.size() ? std::u16string() : text.substr(from - 1, count);
  };
  const std::u16string ident_digits = mid(ident, 3, 1) + mid(ident, 7, 1) + mid(ident, 9, 1);
  const std::u16string last = mid(n, 12, 1);

  const bool length_ok = n.size() == 12;
  const bool inicial_ok = EqualIgnoringCase(mid(n, 1, 1), mid(inicial, 1, 1));
  const bool codigo_ok = mid(n, 2, 2) == mid(codigo, 3, 2) && mid(n, 4, 2) == mid(codigo, 5, 2);
  const bool ident_ok = mid(n, 6, 3) == ident_digits;
  const bool extension_ok = EqualIgnoringCase(mid(n, 10, 2), u"SU");
  const bool last_ok = EqualIgnoringCase(last, u"A") || last == u"0";
  return length_ok && inicial_ok && codigo_ok && ident_ok && extension_ok && last_ok;
}

}  // namespace qeb
