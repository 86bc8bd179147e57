#pragma once
// Temporary folders, and the texts the SUA tests put in their files.

#include <cstdint>
#include <string>

#include "support/temp_folder.h"

namespace qeb::testing_sua {

using test_support::Exists;
using test_support::ReadAll;
using test_support::TempFolder;

// Text of `length` characters that never holds the end-of-data mark, different
// for each `seed`, so that misplaced pieces show.
std::string Filler(size_t length, uint32_t seed = 1);

// A 295-character validation record with the given fields at their positions
// (the rest filled with blanks); `discos` goes to positions 67-68.
std::string ValidationRecord(const std::string& ident, const std::string& codigo,
                             const std::string& discos, const std::string& inicial,
                             const std::string& clave);

}  // namespace qeb::testing_sua
