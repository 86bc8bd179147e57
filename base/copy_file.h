#pragma once
// The platform's own file copy, behind fs::CopyFile (which copies into a side
// file and then renames it over the destination).

#include <string>

namespace qeb::fs {

// Copies `from` into a new file `to`, replacing a file already there, and
// leaves the copy writable. Throws RunError with the platform's own error
// number and text; a partial `to` is left for the caller to remove.
void CopyIntoNewFile(const std::string& from, const std::string& to);

}  // namespace qeb::fs
