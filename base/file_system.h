#pragma once
// File-system operations the program needs, over UTF-8 paths. Failures are
// thrown as RunError with the platform's own number and text: errno on POSIX
// systems (file_system_posix.cpp), the Win32 error code on Windows
// (file_system_win32.cpp).

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "base/run_error.h"

namespace qeb::fs {

std::filesystem::path ToPath(const std::string& utf8);  // throws RunError
std::string ToUtf8(const std::filesystem::path& path);

// A file's last-write time as its platform keeps it: seconds and the
// fraction below, from the platform's own epoch.
struct WriteTime {
  int64_t seconds;
  int32_t nanoseconds;
};

// Owns one open regular file. Every failure throws; a lost write is lost data.
class File {
 public:
  enum class Mode {
    kRead,
    kWrite,      // created, or emptied when it exists
    kAppend,     // created when missing; every write goes to the end
    kCreateNew,  // created; fails when the name is taken
  };

  static File Open(const std::string& path, Mode mode);  // throws RunError
  static std::optional<File> TryOpen(const std::string& path, Mode mode) noexcept;

  File(File&& other) noexcept = default;
  File& operator=(File&& other) noexcept = default;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File() = default;

  // Reads up to `count` bytes; fewer only at the end of the file.
  size_t Read(void* buffer, size_t count);
  // Next byte without consuming it; EOF at the end or when it cannot be read
  // (the next Read then reports the failure).
  int Peek();
  void Write(const void* data, size_t count);
  void Seek(uint64_t offset);  // from the start
  uint64_t Size();
  // Cuts the file to `size` bytes; the position is left where it was.
  void Truncate(uint64_t size);
  WriteTime LastWriteTime();
  // Writes out what is buffered first, so that no later write moves the time.
  void SetLastWriteTime(const WriteTime& time);
  // Writes out what is buffered and asks the system to put the data on the disk.
  void FlushToDisk();
  // Closes; a failure to close a written file is an error.
  void Close();
  // Closes and ignores any failure.
  void CloseQuietly() noexcept { native_.reset(); }

 private:
  struct Native;  // the platform's open file
  struct QuietCloser {
    void operator()(Native* native) const noexcept;
  };

  explicit File(Native* native) : native_(native) {}
  std::unique_ptr<Native, QuietCloser> native_;
};

// Copies a file, keeping its last-write time; an existing destination is
// replaced. The copy is writable even when the source (a diskette file) is
// read-only. A source that cannot be read whole is an error, and leaves the
// destination as it was.
void CopyFile(const std::string& from, const std::string& to);
void DeleteFile(const std::string& path);
// Renames; the destination must not exist.
void RenameFile(const std::string& from, const std::string& to);
// Moves onto `to`, replacing a file already there.
void ReplaceFile(const std::string& from, const std::string& to);
void CreateFolder(const std::string& path);
// Creates the folder and every missing folder above it; a folder already
// there is no failure.
void CreateFolders(const std::string& path);
void SetCurrentFolder(const std::string& path);

bool FolderExists(const std::string& path) noexcept;
bool RegularFileExists(const std::string& path) noexcept;
bool AnythingExists(const std::string& path) noexcept;
// Size of a regular file, or nothing when it cannot be had.
std::optional<uint64_t> FileSize(const std::string& path) noexcept;
// The file's last modification time as local time, or nothing when it cannot
// be had.
std::optional<std::tm> ModificationTime(const std::string& path) noexcept;

}  // namespace qeb::fs
