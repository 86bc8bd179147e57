// POSIX: the kernel copies with copy_file_range (no round trip through a
// user-space buffer, and a shared extent where the file system offers one);
// where it cannot (another file system on older kernels, a file system
// without it), a plain read and write loop goes on from where it stopped.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "base/copy_file.h"
#include "base/file_system.h"
#include "base/posix_error.h"

namespace qeb::fs {
namespace {

// At most this much per call, so that a call never runs for long.
constexpr size_t kRangeChunk = size_t{1} << 30;
constexpr size_t kBufferSize = size_t{64} * 1024;

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes; a failure to close a written file is an error.
  void Close() {
    if (::close(std::exchange(fd_, -1)) != 0 && errno != EINTR) throw ErrorFromErrno(errno);
  }

 private:
  int fd_;
};

// Errors that mean "copy_file_range cannot do this copy", not a failure of
// the files.
bool RangeCopyUnsupported(int error) {
  // ENOTSUP is EOPNOTSUPP on Linux, another number on other systems.
  // NOLINTNEXTLINE(misc-redundant-expression)
  return error == EXDEV || error == ENOSYS || error == EINVAL || error == EOPNOTSUPP ||
         error == ENOTSUP;
}

void WriteAll(int fd, const char* data, size_t count) {
  while (count > 0) {
    const ssize_t put = ::write(fd, data, count);
    if (put < 0) {
      if (errno == EINTR) continue;
      throw ErrorFromErrno(errno);
    }
    // A write that moves no byte would be asked again for ever; the disk is
    // as full as it can be for this file.
    if (put == 0) throw ErrorFromErrno(ENOSPC);
    data += put;
    count -= static_cast<size_t>(put);
  }
}

// Copies from the current positions of both files to the end of the source.
void CopyThroughBuffer(int in, int out) {
  std::vector<char> buffer(kBufferSize);
  for (;;) {
    const ssize_t got = ::read(in, buffer.data(), buffer.size());
    if (got < 0) {
      if (errno == EINTR) continue;
      throw ErrorFromErrno(errno);
    }
    if (got == 0) return;
    WriteAll(out, buffer.data(), static_cast<size_t>(got));
  }
}

// Copies the first `size` bytes in the kernel, or as many as it can; both
// positions are left where the copy got to. It never asks for more than
// `size`: a call at the file-size limit fails even when nothing is left to
// copy.
void CopyInKernel(int in, int out, uint64_t size) {
  uint64_t copied = 0;
  while (copied < size) {
    const size_t ask = static_cast<size_t>(std::min<uint64_t>(size - copied, kRangeChunk));
    const ssize_t put = ::copy_file_range(in, nullptr, out, nullptr, ask, 0);
    if (put > 0) {
      copied += static_cast<uint64_t>(put);
      continue;
    }
    if (put == 0) return;  // some file systems answer 0 for data they cannot copy this way
    if (errno == EINTR) continue;
    if (RangeCopyUnsupported(errno)) return;
    throw ErrorFromErrno(errno);
  }
}

}  // namespace

void CopyIntoNewFile(const std::string& from, const std::string& to) {
  Descriptor source(::open(ToPath(from).c_str(), O_RDONLY | O_CLOEXEC));
  if (source.get() < 0) throw ErrorFromErrno(errno);
  struct stat info {};
  if (::fstat(source.get(), &info) != 0) throw ErrorFromErrno(errno);
  if (!S_ISREG(info.st_mode)) throw ErrorFromErrno(EISDIR);
  // Created with the usual permissions, so writable whatever the source's.
  Descriptor copy(::open(ToPath(to).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (copy.get() < 0) throw ErrorFromErrno(errno);
  CopyInKernel(source.get(), copy.get(), static_cast<uint64_t>(info.st_size));
  // Whatever the kernel did not copy, and anything the source has grown by.
  CopyThroughBuffer(source.get(), copy.get());
  copy.Close();
}

}  // namespace qeb::fs
