#pragma once
// The validation record (the last 295 characters of an SUA file), its fields
// and the rule that ties a file's name to them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qeb {

inline constexpr size_t kValidationRecordLength = 295;
inline constexpr std::string_view kValidationRecordType = "06";

// What the readers take from the end of a file. Texts start empty and the
// disk count at 0; a reader that finds no validation record leaves the five
// fields as they were.
struct ValidationFields {
  int16_t RegValDiscos = 0;   // record positions 67-68: diskettes the file was written on
  std::string RegValErroneo;  // the tail of a file whose last record is no validation record
  std::string RegValIdent;    // record positions 3-13
  std::string RegValCodigo;   // record positions 27-32
  std::string RegValInicial;  // record positions 69-72
  std::string RegValClave;    // record positions 121-139, source of the entry comment
};

// The value a 16-bit integer conversion gives the text, or nothing when the
// text is not a number.
std::optional<int16_t> ParseDiskCount(std::string_view text);

// Copies the fields of `tail` into `fields` when it begins with "06";
// otherwise leaves them as they are. A short tail gives short fields.
void ExtractValidationFields(std::string_view tail, ValidationFields& fields);

// Whether the file name corresponds to the validation fields.
bool NameMatchesValidationRecord(std::string_view name, const ValidationFields& fields);

}  // namespace qeb
