#pragma once
// Win32 failures as RunError: the system's own error code and its text. Only
// Windows files include this header.

#include <windows.h>

#include "base/run_error.h"

namespace qeb {

// RunError for a Win32 error code. Code 0 would read as "no error" in the
// reports, so a call that failed without leaving a code is given
// ERROR_CAN_NOT_COMPLETE.
RunError ErrorFromCode(DWORD code);

// RunError for the calling thread's last error. Call it right after the
// failing call, before any other call can change the last error.
RunError LastError();

}  // namespace qeb
