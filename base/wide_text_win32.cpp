#include "base/wide_text.h"

#include <windows.h>

#include <climits>

#include "base/run_error.h"
#include "base/win32_error.h"

namespace qeb {
namespace {

int CheckedLength(size_t size) {
  if (size > static_cast<size_t>(INT_MAX)) throw OverflowError();
  return static_cast<int>(size);
}

std::string Narrow(std::wstring_view wide, DWORD flags) {
  if (wide.empty()) return {};
  const int length = CheckedLength(wide.size());
  const int needed = WideCharToMultiByte(CP_UTF8, flags, wide.data(), length, /*out=*/nullptr,
                                         /*out_size=*/0, /*default_char=*/nullptr,
                                         /*used_default=*/nullptr);
  if (needed == 0) throw LastError();
  std::string utf8(static_cast<size_t>(needed), '\0');
  if (WideCharToMultiByte(CP_UTF8, flags, wide.data(), length, utf8.data(), needed,
                          /*default_char=*/nullptr, /*used_default=*/nullptr) == 0)
    throw LastError();
  return utf8;
}

std::wstring Widen(std::string_view utf8, DWORD flags) {
  if (utf8.empty()) return {};
  const int length = CheckedLength(utf8.size());
  const int needed =
      MultiByteToWideChar(CP_UTF8, flags, utf8.data(), length, /*out=*/nullptr, /*out_size=*/0);
  if (needed == 0) throw LastError();
  std::wstring wide(static_cast<size_t>(needed), L'\0');
  if (MultiByteToWideChar(CP_UTF8, flags, utf8.data(), length, wide.data(), needed) == 0)
    throw LastError();
  return wide;
}

}  // namespace

std::wstring ToWide(std::string_view utf8) {
  return Widen(utf8, MB_ERR_INVALID_CHARS);
}

std::wstring ToWideLenient(std::string_view utf8) {
  return Widen(utf8, /*flags=*/0);
}

std::string ToUtf8(std::wstring_view wide) {
  return Narrow(wide, WC_ERR_INVALID_CHARS);
}

std::string ToUtf8Lenient(std::wstring_view wide) {
  return Narrow(wide, /*flags=*/0);
}

}  // namespace qeb
