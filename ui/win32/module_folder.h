#pragma once
// The folder the program was started from.

#include "ui/win32/win32.h"

#include <string>
#include <string_view>

namespace qeb::ui::win32 {

// Full path of a loaded module (nullptr: the exe), however long it is.
// Throws RunError.
std::wstring ModuleFileName(HMODULE module);

// The folder part of a full path, without a trailing backslash: "C:\a\b.exe"
// gives "C:\a", and "C:\b.exe" gives "C:".
std::wstring FolderOf(std::wstring_view path);

// The exe's folder in UTF-8, without a trailing backslash.
std::string ProgramFolder();

}  // namespace qeb::ui::win32
