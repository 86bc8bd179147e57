// Feeds arbitrary bytes to the validation-record reader. The first 295 bytes
// are the tail whose fields go into a run state that already holds values;
// the bytes after them (or, for a short input, its last 12 bytes) are a file
// name held to the name rule before and after the extraction. Each outcome is
// compared with the targets' own reading of the record (validation_model.h)
// and, for ASCII names and fields, of the name rule; any difference traps.

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "sua/fixture.h"
#include "sua/validation_record.h"
#include "validation_model.h"

namespace {

using qeb::ValidationFields;

void Check(bool condition) {
  if (!condition) __builtin_trap();
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
  // clang-format off
  ValidationFields previous{.RegValDiscos = 3, .RegValErroneo = "anterior", .RegValIdent = "AB3DEF7H9JK",
                            .RegValCodigo = "XX0307", .RegValInicial = "Sabc", .RegValClave = "CLAVE-ANTERIOR-0001"};
  // clang-format on
  CheckNameRule(name, previous);
  const ValidationFields expected = ModelFields(tail, previous);
  qeb::ExtractValidationFields(tail, previous);
  Check(qeb::testing_sua::Text(previous) == qeb::testing_sua::Text(expected));
  CheckNameRule(name, previous);
  return 0;
}
