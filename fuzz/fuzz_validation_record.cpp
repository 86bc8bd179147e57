// Feeds arbitrary bytes to the validation-record reader. The first 295 bytes
// are the tail whose fields go into a run state that already holds values;
// the bytes after them (or, for a short input, its last 12 bytes) are a file
// name tested against the name rule, both before and after the extraction.
// Every outcome is compared with a plain reading of the record layout and of
// the name rule made here; any difference traps.

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "sua/validation_record.h"

namespace {

using qeb::ValidationFields;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

// ---- Code page 1252, as the C library's converter reads it -----------------

// Code point of every byte. The bytes that 1252 leaves undefined keep their
// own value, as Windows converts them.
std::array<char32_t, 256> BuildCp1252Table() {
  std::array<char32_t, 256> table{};
  iconv_t converter = iconv_open("UTF-32LE", "CP1252");
  Check(converter != reinterpret_cast<iconv_t>(-1));
  for (int b = 0; b < 256; ++b) {
    char in = static_cast<char>(b);
    std::array<unsigned char, 8> out{};
    char* in_at = &in;
    size_t in_left = 1;
    char* out_at = reinterpret_cast<char*>(out.data());
    size_t out_left = out.size();
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    const bool converted =
        iconv(converter, &in_at, &in_left, &out_at, &out_left) == 0 && out.size() - out_left == 4;
    table[b] = converted ? out[0] | out[1] << 8 | out[2] << 16 | char32_t{out[3]} << 24
                         : static_cast<char32_t>(b);
  }
  iconv_close(converter);
  return table;
}

std::string ToUtf8(std::string_view bytes) {
  static const std::array<char32_t, 256> table = BuildCp1252Table();
  std::string out;
  for (const char c : bytes) {
    const char32_t code = table[static_cast<unsigned char>(c)];
    Check(code < 0x10000);
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | code >> 6);
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | code >> 12);
      out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return out;
}

// ---- Field extraction --------------------------------------------------------

// Record positions `first`..`first`+`length`-1 (from 1), cut at the end.
std::string_view Positions(std::string_view tail, size_t first, size_t length) {
  if (tail.size() < first) return {};
  return tail.substr(first - 1, length);
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Counts that any reading of a number must give.
void CheckObviousCounts(std::string_view discos, std::optional<int16_t> parsed) {
  if (discos.size() != 2) return;
  const char a = discos[0], b = discos[1];
  if (IsDigit(a) && IsDigit(b)) Check(parsed == (a - '0') * 10 + (b - '0'));
  if (IsDigit(a) && b == ' ') Check(parsed == a - '0');
  if (a == ' ' && IsDigit(b)) Check(parsed == b - '0');
  if (a == ' ' && b == ' ') Check(!parsed.has_value());
}

void CheckExtraction(std::string_view tail, const ValidationFields& before) {
  ValidationFields after = before;
  qeb::ExtractValidationFields(tail, after);

  // Nothing but the five fields may change.
  Check(after.RegValErroneo == before.RegValErroneo);
  if (tail.size() < 2 || tail[0] != '0' || tail[1] != '6') {
    Check(after.RegValIdent == before.RegValIdent && after.RegValCodigo == before.RegValCodigo &&
          after.RegValDiscos == before.RegValDiscos &&
          after.RegValInicial == before.RegValInicial && after.RegValClave == before.RegValClave);
    return;
  }
  Check(after.RegValIdent == ToUtf8(Positions(tail, 3, 11)));
  Check(after.RegValCodigo == ToUtf8(Positions(tail, 27, 6)));
  Check(after.RegValInicial == ToUtf8(Positions(tail, 69, 4)));
  Check(after.RegValClave == ToUtf8(Positions(tail, 121, 19)));
  const std::string_view discos = Positions(tail, 67, 2);
  const std::optional<int16_t> parsed = qeb::ParseDiskCount(discos);
  CheckObviousCounts(discos, parsed);
  Check(after.RegValDiscos == parsed.value_or(before.RegValDiscos));
}

// ---- Name rule ---------------------------------------------------------------

// UTF-16 units of well-formed UTF-8, or nothing for anything else.
std::optional<std::u16string> Utf16Units(std::string_view text) {
  std::u16string units;
  for (size_t at = 0; at < text.size();) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    size_t length = lead < 0x80                    ? 1
                    : lead >= 0xC2 && lead <= 0xDF ? 2
                    : lead >= 0xE0 && lead <= 0xEF ? 3
                    : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                   : 0;
    if (length == 0 || text.size() - at < length) return std::nullopt;
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
      if ((byte(at + i) & 0xC0) != 0x80) return std::nullopt;
      code = code << 6 | (byte(at + i) & 0x3F);
    }
    const char32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < shortest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
      return std::nullopt;
    if (code >= 0x10000) {
      units += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
      units += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      units += static_cast<char16_t>(code);
    }
    at += length;
  }
  return units;
}

// A comparison whose answer this harness does not claim to know.
enum class Verdict { kNo, kYes, kUnknown };

Verdict And(Verdict a, Verdict b) {
  if (a == Verdict::kNo || b == Verdict::kNo) return Verdict::kNo;
  if (a == Verdict::kUnknown || b == Verdict::kUnknown) return Verdict::kUnknown;
  return Verdict::kYes;
}
Verdict Of(bool value) {
  return value ? Verdict::kYes : Verdict::kNo;
}

bool IsAsciiLetter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
// Latin-1 letters with a one-character partner of the other case.
bool IsLatin1CasedLetter(char16_t c) {
  return c >= 0xC0 && c <= 0xFE && c != 0xD7 && c != 0xF7 && c != 0xDF;
}
// Non-ASCII characters that some case mappings tie to an ASCII letter
// (long s, dotted and dotless i, Kelvin sign).
bool FoldsToAscii(char16_t c) {
  return c == 0x17F || c == 0x130 || c == 0x131 || c == 0x212A;
}

Verdict SameLetterIgnoringCase(char16_t a, char16_t b) {
  if (a == b) return Verdict::kYes;
  if (a < 0x80 && b < 0x80)
    return Of(IsAsciiLetter(a) && IsAsciiLetter(b) && (a | 0x20) == (b | 0x20));
  if (a < 0x80 || b < 0x80)
    return FoldsToAscii(a < 0x80 ? b : a) ? Verdict::kUnknown : Verdict::kNo;
  if (IsLatin1CasedLetter(a) && IsLatin1CasedLetter(b)) return Of((a | 0x20) == (b | 0x20));
  return Verdict::kUnknown;
}

// The rule as written: a name of 12 characters (UTF-16 units), N[1] is the
// first character of RegValInicial ignoring case, N[2..5] are characters 3-6
// of RegValCodigo, N[6..8] characters 3, 7 and 9 of RegValIdent, N[10..11]
// "SU" ignoring case, N[12] "A" ignoring case or "0".
Verdict ExpectedNameRule(const std::u16string& n, const std::u16string& inicial,
                         const std::u16string& codigo, const std::u16string& ident) {
  if (n.size() != 12) return Verdict::kNo;
  Verdict verdict = inicial.empty() ? Verdict::kNo : SameLetterIgnoringCase(n[0], inicial[0]);
  verdict = And(verdict, Of(codigo.size() >= 6 && n.substr(1, 4) == codigo.substr(2, 4)));
  verdict = And(verdict,
                Of(ident.size() >= 9 && n[5] == ident[2] && n[6] == ident[6] && n[7] == ident[8]));
  verdict =
      And(verdict, And(SameLetterIgnoringCase(n[9], u'S'), SameLetterIgnoringCase(n[10], u'U')));
  const Verdict last = n[11] == u'0' ? Verdict::kYes : SameLetterIgnoringCase(n[11], u'A');
  return And(verdict, last);
}

void CheckNameRule(std::string_view name, const ValidationFields& state) {
  const bool matches = qeb::NameMatchesValidationRecord(name, state);
  const auto n = Utf16Units(name);
  const auto inicial = Utf16Units(state.RegValInicial);
  const auto codigo = Utf16Units(state.RegValCodigo);
  const auto ident = Utf16Units(state.RegValIdent);
  // Bytes that are no UTF-8 have no characters to count: only no crash.
  if (!n || !inicial || !codigo || !ident) return;
  const Verdict expected = ExpectedNameRule(*n, *inicial, *codigo, *ident);
  if (expected != Verdict::kUnknown) Check(matches == (expected == Verdict::kYes));
}

ValidationFields PreviousValues() {
  ValidationFields state;
  state.RegValDiscos = 3;
  state.RegValErroneo = "anterior";
  state.RegValIdent = "AB3DEF7H9JK";
  state.RegValCodigo = "XX0307";
  state.RegValInicial = "Ñabc";
  state.RegValClave = "CLAVE-ANTERIOR-0001";
  return state;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  constexpr size_t kTail = qeb::kValidationRecordLength;
  const std::string_view tail = input.substr(0, kTail);
  const std::string_view name =
      size > kTail ? input.substr(kTail, 64) : input.substr(size - std::min<size_t>(size, 12));

  static const ValidationFields previous = PreviousValues();
  CheckExtraction(tail, previous);
  CheckNameRule(name, previous);
  ValidationFields extracted = previous;
  qeb::ExtractValidationFields(tail, extracted);
  CheckNameRule(name, extracted);
  return 0;
}
