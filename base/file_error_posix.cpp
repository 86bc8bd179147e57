#include <cerrno>
#include <system_error>

#include "base/file_error.h"

namespace qeb::fs {

void ClearFileError() {
  errno = 0;
}

RunError LastFileError() {
  const int code = errno != 0 ? errno : EIO;
  return {code, SystemErrorText(static_cast<unsigned long>(code))};
}

bool IsDiskFull(const RunError& error) {
  // EFBIG: the file-size limit of the process or of the file system.
  return error.number() == ENOSPC || error.number() == EFBIG;
}

std::string SystemErrorText(unsigned long code) {
  return std::generic_category().message(static_cast<int>(code));
}

}  // namespace qeb::fs
