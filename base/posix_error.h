#pragma once
// POSIX failures as RunError: errno and its text. Only POSIX files include
// this header.

#include "base/run_error.h"

namespace qeb::fs {

RunError ErrorFromErrno(int error_number);

// The failure of the C library call that just failed; EIO when the call left
// errno at 0. Set errno to 0 right before the call.
RunError LastErrnoError();

}  // namespace qeb::fs
