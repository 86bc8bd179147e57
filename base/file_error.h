#pragma once
// The failure of the C runtime's file call that just failed, with the
// platform's own number and text: errno and its text on POSIX systems, the
// Windows system error behind errno (and the system's wording) on Windows.

#include <string>

#include "base/run_error.h"

namespace qeb::fs {

// Forgets any earlier failure; call it right before the file call.
void ClearFileError();
// The failure of the call that just failed.
RunError LastFileError();
// Whether the failure means that the disk (or the file-size limit) is full.
bool IsDiskFull(const RunError& error);
// The system's text for one of its error numbers.
std::string SystemErrorText(unsigned long code);

}  // namespace qeb::fs
