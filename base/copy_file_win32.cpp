// Windows: the system's CopyFileW, which also copies the attributes; the
// read-only one is cleared, so that the copy of a write-protected diskette
// file can be appended to.

#include <windows.h>

#include "base/copy_file.h"
#include "base/wide_text.h"
#include "base/win32_error.h"

namespace qeb::fs {

void CopyIntoNewFile(const std::string& from, const std::string& to) {
  const std::wstring source = ToWide(from);
  const std::wstring copy = ToWide(to);
  if (!CopyFileW(source.c_str(), copy.c_str(), /*bFailIfExists=*/FALSE)) throw LastError();
  const DWORD attributes = GetFileAttributesW(copy.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) throw LastError();
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
      !SetFileAttributesW(copy.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY}))
    throw LastError();
}

}  // namespace qeb::fs
