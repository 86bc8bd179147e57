#pragma once
// Win32 failures as RunError: the system's own error number and its text.

#include "ui/win32/win32.h"

#include <string>

#include "base/run_error.h"

namespace qeb::ui::win32 {

// The system's text for an error number, without the trailing line break.
std::string SystemErrorText(DWORD code);

// RunError for an error number. Number 0 would read as "no error" to the
// error reports, so a failure without a number is given a generic one.
RunError ErrorFromCode(DWORD code);

// RunError for the calling thread's last error. Call it right after the
// failing call, before any other call can change the last error.
RunError LastError();

}  // namespace qeb::ui::win32
