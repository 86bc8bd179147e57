// Feeds arbitrary bytes to the validation-record reader. The first 295 bytes
// are the tail whose fields go into a run state that already holds values;
// the bytes after them (or, for a short input, its last 12 bytes) are a file
// name held to the name rule before and after the extraction. Each outcome is
// compared with a plain reading of the record layout (its text decoded as
// code page 1252) and, for ASCII names and fields, of the name rule; any
// difference traps.

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/code_page.h"
#include "sua/fixture.h"
#include "sua/validation_record.h"

namespace {

using qeb::ValidationFields;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

// Record positions `first`..`first`+`length`-1 (from 1), cut at the end.
std::string Positions(std::string_view tail, size_t first, size_t length) {
  return tail.size() < first ? "" : qeb::Cp1252ToUtf8(tail.substr(first - 1, length));
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
    expected.RegValDiscos = qeb::ParseDiskCount(discos).value_or(before.RegValDiscos);
  }
  Check(qeb::testing_sua::Text(after) ==
        qeb::testing_sua::Text(expected));  // nothing but the five fields may change
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
