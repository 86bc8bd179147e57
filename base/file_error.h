#pragma once
// What the file layer's failures mean, whatever the platform: errno values on
// POSIX systems, Win32 error codes on Windows (see posix_error.h and
// win32_error.h for how they are made).

#include <string>

#include "base/run_error.h"

namespace qeb::fs {

// Whether the failure means that the disk (or the file-size limit) is full.
bool IsDiskFull(const RunError& error);
// The system's text for one of its error numbers.
std::string SystemErrorText(unsigned long code);
// The platform's own error for a folder that is not there: what creating a
// file in it gives.
RunError FolderNotFoundError();
// The error of a file that ends before the size it had when it was opened,
// where the system reports none: what Windows reports for a read at the end
// of a file (ERROR_HANDLE_EOF, 38) on Windows, an input/output error (EIO)
// elsewhere.
RunError FileEndedEarlyError();

}  // namespace qeb::fs
