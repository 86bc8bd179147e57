// Windows: every failure of the file layer, the text conversions and the
// adapter carries the Win32 error code and the system's own wording.

#include <array>
#include <string>

#include "base/file_error.h"
#include "base/wide_text.h"
#include "base/win32_error.h"

namespace qeb {

RunError ErrorFromCode(DWORD code) {
  if (code == ERROR_SUCCESS) code = ERROR_CAN_NOT_COMPLETE;
  return {static_cast<long>(code), fs::SystemErrorText(code)};
}

RunError LastError() {
  const DWORD code = GetLastError();
  return ErrorFromCode(code);
}

namespace fs {

bool IsDiskFull(const RunError& error) {
  return error.number() == ERROR_DISK_FULL || error.number() == ERROR_HANDLE_DISK_FULL;
}

std::string SystemErrorText(unsigned long code) {
  std::array<wchar_t, 1024> text{};
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                /*source=*/nullptr, code, /*language=*/0, text.data(),
                                static_cast<DWORD>(text.size()), /*arguments=*/nullptr);
  while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n')) --length;
  if (length == 0) return "Error " + std::to_string(code);
  return ToUtf8Lenient(std::wstring_view(text.data(), length));
}

RunError FolderNotFoundError() {
  return ErrorFromCode(ERROR_PATH_NOT_FOUND);
}

RunError FileEndedEarlyError() {
  return ErrorFromCode(ERROR_HANDLE_EOF);
}

}  // namespace fs
}  // namespace qeb
