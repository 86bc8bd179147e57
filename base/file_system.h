#pragma once
// File-system operations the program needs, over UTF-8 paths. Failures are
// thrown as RunError with the platform's own number and text.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "base/run_error.h"

namespace qeb::fs {

std::filesystem::path ToPath(const std::string& utf8);
std::string ToUtf8(const std::filesystem::path& path);

RunError ErrorFromCode(const std::error_code& code);
RunError ErrorFromErrno(int error_number);

// Owns one open C stream. Every failure throws; a lost write is lost data.
class File {
 public:
  enum class Mode { kRead, kWrite, kAppend };

  static File Open(const std::string& path, Mode mode);  // throws RunError
  static std::optional<File> TryOpen(const std::string& path, Mode mode) noexcept;

  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File();

  // Reads up to `count` bytes; fewer only at the end of the file.
  size_t Read(void* buffer, size_t count);
  // Next byte without consuming it, or EOF.
  int Peek();
  void Write(const void* data, size_t count);
  void Seek(uint64_t offset);  // from the start
  uint64_t Size();
  // Cuts the file to `size` bytes; the position is left where it was.
  void Truncate(uint64_t size);
  // Flushes the C buffer and asks the system to put the data on the disk.
  void FlushToDisk();
  // Closes; a failure to close a written file is an error.
  void Close();
  // Closes and ignores any failure.
  void CloseQuietly() noexcept;
  bool IsOpen() const { return stream_ != nullptr; }

 private:
  explicit File(std::FILE* stream) : stream_(stream) {}
  std::FILE* stream_ = nullptr;
};

// Copies a file; an existing destination is replaced. The copy is left
// writable even when the source (a diskette file) is read-only.
void CopyFile(const std::string& from, const std::string& to);
void DeleteFile(const std::string& path);
// Renames; the destination must not exist.
void RenameFile(const std::string& from, const std::string& to);
// Moves onto `to`, replacing a file already there.
void ReplaceFile(const std::string& from, const std::string& to);
void CreateFolder(const std::string& path);
void SetCurrentFolder(const std::string& path);

bool FolderExists(const std::string& path) noexcept;
bool RegularFileExists(const std::string& path) noexcept;
bool AnythingExists(const std::string& path) noexcept;
// Size of a regular file, or nothing when it cannot be had.
std::optional<uint64_t> FileSize(const std::string& path) noexcept;

}  // namespace qeb::fs
