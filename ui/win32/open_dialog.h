#pragma once
// The common Open dialog (GetOpenFileNameW) with the settings of the run.

#include "ui/win32/win32.h"

#include <string>

#include "ui/window_system.h"

namespace qeb::ui::win32 {

// Room for the chosen path, in UTF-16 units: long paths fit.
inline constexpr size_t kOpenDialogPathCapacity = 32768;

// "text|pattern|text|pattern" as the Win32 filter wants it: each "|" a NUL,
// the whole ended by two NULs. A trailing "|" adds no empty pair.
std::wstring DialogFilter(const std::string& filter);

// The description of a CommDlgExtendedError() code.
std::string CommonDialogErrorText(DWORD code);

// Shows the dialog, modal to `owner`. A cancellation is kCancelled with the
// number 32755 (0 when the settings do not ask for a cancellation error); any
// other failure is kFailed with the dialog's own error code.
OpenDialogResult ShowOpenDialog(HWND owner, const OpenDialogSettings& settings);

}  // namespace qeb::ui::win32
