#pragma once
// Text comparisons that ignore letter case, as file names on Windows do.

#include <string_view>

namespace qeb {

// Compares ASCII letters without regard to case; other bytes exactly.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace qeb
