#include "ui/win32/win32_error.h"

#include "base/file_error.h"

namespace qeb::ui::win32 {

std::string SystemErrorText(DWORD code) {
  return fs::SystemErrorText(code);
}

RunError ErrorFromCode(DWORD code) {
  if (code == ERROR_SUCCESS) code = ERROR_CAN_NOT_COMPLETE;
  return RunError(static_cast<long>(code), SystemErrorText(code));
}

RunError LastError() {
  const DWORD code = GetLastError();
  return ErrorFromCode(code);
}

}  // namespace qeb::ui::win32
