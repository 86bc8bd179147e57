// The program's own file copy. A platform's copy call may end its read loop
// at a failed read and still answer success (Wine's CopyFileW does), so every
// read and write is checked here, and the copy must hold as many bytes as the
// source had when it was opened.

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "base/file_error.h"
#include "base/file_system.h"

namespace qeb::fs {
namespace {

// Large enough that a diskette drive streams whole tracks; the reads wait on
// the drive off the window thread.
constexpr size_t kCopyBlock = size_t{256} * 1024;

// Copies `from` into a new file `to` and keeps its last-write time, as the
// system's copy does. The source is closed on return, so that the copy may
// take its place.
void CopyInto(const std::string& from, const std::string& to) {
  File source = File::Open(from, File::Mode::kRead);
  const uint64_t size = source.Size();
  File copy = File::Open(to, File::Mode::kWrite);  // writable, whatever the source
  std::vector<char> block(static_cast<size_t>(std::min<uint64_t>(size, kCopyBlock)));
  for (uint64_t copied = 0; copied < size;) {
    const size_t got = source.Read(
        block.data(), static_cast<size_t>(std::min<uint64_t>(size - copied, kCopyBlock)));
    // A source that ends before its size: data was lost where it was kept.
    if (got == 0) throw FileEndedEarlyError();
    copy.Write(block.data(), got);
    copied += got;
  }
  copy.SetLastWriteTime(source.LastWriteTime());
  copy.Close();
}

}  // namespace

// Copies into a side file beside the destination and then puts that file in
// the destination's place, so that a failed copy never leaves a part of a
// file under the destination's name, and a destination that is the source
// itself under another spelling keeps its data.
void CopyFile(const std::string& from, const std::string& to) {
  const std::string partial = to + ".qeb-partial";
  try {
    CopyInto(from, partial);
    ReplaceFile(partial, to);
  } catch (...) {
    std::error_code ignored;
    std::filesystem::remove(ToPath(partial), ignored);
    throw;
  }
}

}  // namespace qeb::fs
