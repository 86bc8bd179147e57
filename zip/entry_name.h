#pragma once
// Entry names as UTF-8. An entry flagged UTF-8 carries its name as it is; an
// unflagged one is code page 437, unless an Info-ZIP Unicode Path field gives
// the UTF-8 name for exactly these raw bytes, or the archive was made on Unix
// and the name is valid UTF-8 (Info-ZIP zip and others write UTF-8 names
// there without the flag; code page 437 text is almost never valid UTF-8).

#include <cstdint>
#include <string>

namespace qeb::zip {

// Throws ZipFormatError (bad name) for an empty name, a NUL byte or a flagged
// name that is not valid UTF-8.
std::string DecodeEntryName(const std::string& raw, uint16_t flags, const std::string& extra,
                            uint16_t version_made_by);

}  // namespace qeb::zip
