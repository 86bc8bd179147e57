#include <cerrno>
#include <system_error>

#include "base/file_error.h"
#include "base/posix_error.h"

namespace qeb::fs {

RunError ErrorFromErrno(int error_number) {
  return {error_number, SystemErrorText(static_cast<unsigned long>(error_number))};
}

RunError LastErrnoError() {
  return ErrorFromErrno(errno != 0 ? errno : EIO);
}

bool IsDiskFull(const RunError& error) {
  // EFBIG: the file-size limit of the process or of the file system.
  return error.number() == ENOSPC || error.number() == EFBIG;
}

std::string SystemErrorText(unsigned long code) {
  return std::generic_category().message(static_cast<int>(code));
}

RunError FolderNotFoundError() {
  return ErrorFromErrno(ENOENT);
}

RunError FileEndedEarlyError() {
  return ErrorFromErrno(EIO);
}

}  // namespace qeb::fs
