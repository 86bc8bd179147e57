#pragma once
// Where an entry may land when an archive is extracted: only below the target
// folder. An archive is untrusted input, so its names are checked step by
// step instead of being handed to the file system as they come.

#include <string>
#include <vector>

namespace qeb::zip {

// The folder steps of an entry name (UTF-8), each a plain name. Both '/' and
// '\' separate steps, since Windows reads either; "." and empty steps are
// dropped. Throws ZipFormatError (unsafe name) for a name that starts at a
// root, names a drive or a stream (any ':'), holds a ".." step or any step
// made only of dots and blanks (Windows trims those to ".."), a control
// character, or a Windows device name (CON, NUL, COM1, ...).
std::vector<std::string> SafeRelativeSteps(const std::string& name);

}  // namespace qeb::zip
