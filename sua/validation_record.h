#pragma once
// The validation record (the last 295 characters of an SUA file), its fields
// and the rule that ties a file's name to them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/run_state.h"

namespace qeb {

inline constexpr size_t kValidationRecordLength = 295;
inline constexpr std::string_view kValidationRecordType = "06";

// The value a 16-bit integer conversion gives the text, or nothing when the
// text is not a number.
std::optional<int16_t> ParseDiskCount(std::string_view text);

// Copies the fields of `tail` into the run state when it begins with "06";
// otherwise leaves them as they are. A short tail gives short fields.
void ExtractValidationFields(std::string_view tail, RunState& state);

// Whether the file name corresponds to the validation fields in the run state.
bool NameMatchesValidationRecord(std::string_view name, const RunState& state);

}  // namespace qeb
