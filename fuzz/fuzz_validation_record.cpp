// Feeds arbitrary bytes to the validation-record reader. The first 295 bytes
// are the tail whose fields go into a run state that already holds values;
// the bytes after them (or, for a short input, its last 12 bytes) are a file
// name held to the name rule before and after the extraction. Each outcome is
// compared with a plain reading of the record layout and, for ASCII names and
// fields, of the name rule; any difference traps.

#include <iconv.h>

#include <algorithm>
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

// Code page 1252 as the C library reads it; the bytes it leaves undefined keep their value.
std::string ToUtf8(std::string_view bytes) {
  static const iconv_t converter = iconv_open("UTF-8", "CP1252");
  Check(converter != reinterpret_cast<iconv_t>(-1));
  std::string out;
  for (char in : bytes) {
    char buffer[8], *in_at = &in, *out_at = buffer;
    size_t in_left = 1, out_left = sizeof buffer;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &in_at, &in_left, &out_at, &out_left) == 0) {
      out.append(buffer, static_cast<size_t>(out_at - buffer));
    } else {
      const auto b = static_cast<unsigned char>(in);
      out += {static_cast<char>(0xC0 | b >> 6), static_cast<char>(0x80 | (b & 0x3F))};
    }
  }
  return out;
}

// Record positions `first`..`first`+`length`-1 (from 1), cut at the end.
std::string Positions(std::string_view tail, size_t first, size_t length) {
  return tail.size() < first ? "" : ToUtf8(tail.substr(first - 1, length));
}

std::string Text(const ValidationFields& f) {
  return std::to_string(f.RegValDiscos) + '|' + f.RegValErroneo + '|' + f.RegValIdent + '|' +
         f.RegValCodigo + '|' + f.RegValInicial + '|' + f.RegValClave;
}

void CheckExtraction(std::string_view tail, const ValidationFields& before) {
  ValidationFields after = before, expected = before;
  qeb::ExtractValidationFields(tail, after);
  if (tail.substr(0, 2) == "06") {
    expected.RegValIdent = Positions(tail, 3, 11);
    expected.RegValCodigo = Positions(tail, 27, 6);
    expected.RegValInicial = Positions(tail, 69, 4);
    expected.RegValClave = Positions(tail, 121, 19);
    const std::string_view discos = tail.size() < 67 ? "" : tail.substr(66, 2);
    const std::optional<int16_t> parsed = qeb::ParseDiskCount(discos);
    expected.RegValDiscos = parsed.value_or(before.RegValDiscos);
    // Counts that any reading of a number gives: digits and blanks.
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (discos.size() == 2 &&
        std::all_of(discos.begin(), discos.end(), [&](char c) { return digit(c) || c == ' '; })) {
      const int tens = digit(discos[0]) && digit(discos[1]) ? discos[0] - '0' : 0;
      const int units = digit(discos[1])   ? discos[1] - '0'
                        : digit(discos[0]) ? discos[0] - '0'
                                           : -1;
      Check(parsed == (units < 0 ? std::nullopt : std::optional<int16_t>(tens * 10 + units)));
    }
  }
  Check(Text(after) == Text(expected));  // nothing but the five fields may change
}

bool Ascii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
}
char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

// Twelve characters: the first letter of RegValInicial (either case),
// characters 3-6 of RegValCodigo, characters 3, 7 and 9 of RegValIdent, any
// character, "SU" and "A" (either case) or "0".
void CheckNameRule(std::string_view n, const ValidationFields& f) {
  const bool matches = qeb::NameMatchesValidationRecord(n, f);
  const std::string_view inicial = f.RegValInicial, codigo = f.RegValCodigo, ident = f.RegValIdent;
  if (!Ascii(n) || !Ascii(inicial) || !Ascii(codigo) || !Ascii(ident)) return;  // only no crash
  const bool expected = n.size() == 12 && !inicial.empty() && Upper(n[0]) == Upper(inicial[0]) &&
                        codigo.size() >= 6 && n.substr(1, 4) == codigo.substr(2, 4) &&
                        ident.size() >= 9 && n[5] == ident[2] && n[6] == ident[6] &&
                        n[7] == ident[8] && Upper(n[9]) == 'S' && Upper(n[10]) == 'U' &&
                        (Upper(n[11]) == 'A' || n[11] == '0');
  Check(matches == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  constexpr size_t kTail = qeb::kValidationRecordLength;
  const std::string_view tail = input.substr(0, kTail);
  const std::string_view name =
      size > kTail ? input.substr(kTail, 64) : input.substr(size - std::min<size_t>(size, 12));
  ValidationFields previous;
  previous.RegValDiscos = 3, previous.RegValErroneo = "anterior";
  previous.RegValIdent = "AB3DEF7H9JK", previous.RegValCodigo = "XX0307";
  previous.RegValInicial = "Sabc", previous.RegValClave = "CLAVE-ANTERIOR-0001";
  CheckExtraction(tail, previous);
  CheckNameRule(name, previous);
  qeb::ExtractValidationFields(tail, previous);
  CheckNameRule(name, previous);
  return 0;
}
