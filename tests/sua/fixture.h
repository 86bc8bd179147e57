#pragma once
// What the SUA suites share: temporary folders, the texts put in their files,
// the run's fields and an outcome as one comparable text, and a real file the
// program cannot open.

#include <cstdint>
#include <functional>
#include <string>

#include "sua/file_outcome.h"
#include "sua/validation_record.h"
#include "support/temp_folder.h"

namespace qeb::testing_sua {

using test_support::Exists;
using test_support::ReadAll;
using test_support::TempFolder;

const std::string kMark(1, '\x1A');

// `length` characters without the mark, different for each `seed`.
inline std::string Filler(size_t length, uint32_t seed = 1) {
  std::string text(length, ' ');
  uint32_t state = seed * 2654435761u + 1;
  for (char& c : text)
    c = static_cast<char>('0' + ((state = state * 1103515245u + 12345u) >> 16) % 75);
  return text;
}

// A 295-character validation record with the fields at their positions.
inline std::string ValidationRecord(const std::string& ident, const std::string& codigo,
                                    const std::string& discos, const std::string& inicial,
                                    const std::string& clave) {
  std::string record(295, ' ');
  // clang-format off
  for (const auto& [at, value] : {std::pair<size_t, std::string>{1, "06"}, {3, ident}, {27, codigo},
                                  {67, discos}, {69, inicial}, {121, clave}})
    record.replace(at - 1, value.size(), value);
  // clang-format on
  return record.substr(0, 295);
}

// A record whose disk count is `n` (0-99), its other fields telling `n` too.
inline std::string RecordFor(int n) {
  const std::string d = (n < 10 ? "0" : "") + std::to_string(n);
  return ValidationRecord("ID" + d + "4567890", "20" + d + "07", d, "S" + d, "CLAVE-" + d);
}

inline ValidationFields OldFields() {
  // clang-format off
  return {.RegValDiscos = 9, .RegValErroneo = "old", .RegValIdent = "old-ident",
          .RegValCodigo = "old-cod", .RegValInicial = "old-ini", .RegValClave = "old-clave"};
  // clang-format on
}

// "ident|codigo|discos|inicial|clave|erroneo".
inline std::string Text(const ValidationFields& f) {
  return f.RegValIdent + "|" + f.RegValCodigo + "|" + std::to_string(f.RegValDiscos) + "|" +
         f.RegValInicial + "|" + f.RegValClave + "|" + f.RegValErroneo;
}

// "done", "failed", or "failed: number description" when an error came back.
inline std::string Text(const FileOutcome& outcome) {
  if (outcome.done()) return "done";
  return outcome.error() ? "failed: " + outcome.error()->OperatorText() : "failed";
}

// Runs `check` while the file at `path` cannot be opened for reading. On
// Windows another handle holds it without sharing; elsewhere the file loses
// every permission and `check` runs in a child that has given root up (for
// "nobody", who is handed the folder).
std::string WhileUnopenable(const std::string& folder, const std::string& path,
                            const std::function<std::string()>& check);
// The platform's error for such a file: a sharing violation, or permission denied.
std::string UnopenableErrorText();

}  // namespace qeb::testing_sua
