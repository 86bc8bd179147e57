#include "ui/win32/win32_error.h"

#include <array>

#include "ui/win32/utf.h"

namespace qeb::ui::win32 {

std::string SystemErrorText(DWORD code) {
  std::array<wchar_t, 1024> text{};
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                /*source=*/nullptr, code, /*language=*/0, text.data(),
                                static_cast<DWORD>(text.size()), /*arguments=*/nullptr);
  while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n')) --length;
  if (length == 0) return "Error " + std::to_string(code);
  return ToUtf8Lenient(std::wstring_view(text.data(), length));
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
