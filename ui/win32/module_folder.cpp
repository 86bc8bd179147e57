#include "ui/win32/module_folder.h"

#include "base/wide_text.h"
#include "base/win32_error.h"

namespace qeb::ui::win32 {

std::wstring ModuleFileName(HMODULE module) {
  // Paths may be longer than MAX_PATH (the program is long-path aware): the
  // buffer grows until the whole name fits.
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(module, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) throw LastError();
    if (length < name.size()) {
      name.resize(length);
      return name;
    }
    if (name.size() >= 0x10000) throw ErrorFromCode(ERROR_FILENAME_EXCED_RANGE);
    name.resize(name.size() * 2);
  }
}

std::wstring FolderOf(std::wstring_view path) {
  const size_t separator = path.find_last_of(L"\\/");
  if (separator == std::wstring_view::npos) return {};
  return std::wstring(path.substr(0, separator));
}

std::string ProgramFolder() {
  return ToUtf8(FolderOf(ModuleFileName(/*module=*/nullptr)));
}

}  // namespace qeb::ui::win32
