#pragma once
// The names that another process's Open dialog lists. A list view's item
// texts can only be read into the memory of the process that owns it, so the
// request and its answer go through a buffer placed there.

#include "ui/win32/win32.h"

#include <optional>
#include <string>
#include <vector>

namespace qeb::e2e {

// The names in the dialog's file list, in the list's order; nullopt when the
// list cannot be found or read.
std::optional<std::vector<std::wstring>> ListedNames(HWND open_dialog);

}  // namespace qeb::e2e
