// Windows: files and folders through the Win32 calls themselves, so that
// every failure carries the system's own error code and text.

#include <windows.h>
// The file layer's own names, not the Win32 macros that would rename them.
#undef CopyFile
#undef DeleteFile
#undef ReplaceFile

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>

#include "base/file_system.h"
#include "base/wide_text.h"
#include "base/win32_error.h"

namespace qeb::fs {
namespace stdfs = std::filesystem;

struct File::Native {
  HANDLE handle = INVALID_HANDLE_VALUE;
  int peeked = EOF;  // the byte that Peek read ahead, or EOF for none
};

void File::QuietCloser::operator()(Native* native) const noexcept {
  CloseHandle(native->handle);
  delete native;
}

namespace {

// ReadFile and WriteFile count in 32 bits: larger transfers take several calls.
constexpr size_t kLargestCall = size_t{1} << 30;

struct OpenWay {
  DWORD access;
  DWORD disposition;
};

OpenWay WayOf(File::Mode mode) {
  switch (mode) {
    case File::Mode::kRead:
      return {GENERIC_READ, OPEN_EXISTING};
    case File::Mode::kWrite:
      return {GENERIC_WRITE, CREATE_ALWAYS};
    case File::Mode::kAppend:  // append-only access: the system puts every write at the end
      return {FILE_APPEND_DATA, OPEN_ALWAYS};
    case File::Mode::kCreateNew:
      return {GENERIC_WRITE, CREATE_NEW};
  }
  return {GENERIC_READ, OPEN_EXISTING};
}

LARGE_INTEGER Offset(uint64_t value) {
  LARGE_INTEGER offset{};
  offset.QuadPart = static_cast<LONGLONG>(value);
  return offset;
}

bool IsFolder(const stdfs::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Creates the missing folders of `folder`, the topmost first.
void MakeFolders(const stdfs::path& folder) {
  if (IsFolder(folder)) return;
  const stdfs::path parent = folder.parent_path();
  if (!parent.empty() && parent != folder) MakeFolders(parent);
  if (CreateDirectoryW(folder.c_str(), /*security=*/nullptr)) return;
  const RunError error = LastError();
  if (!IsFolder(folder)) throw error;  // else made meanwhile by another program
}

}  // namespace

stdfs::path ToPath(const std::string& utf8) {
  return {ToWide(utf8)};
}

File File::Open(const std::string& path, Mode mode) {
  const stdfs::path native_path = ToPath(path);
  const OpenWay way = WayOf(mode);
  auto native = std::make_unique<Native>();
  // Others may go on reading and writing the file, as with the C runtime's fopen.
  native->handle = CreateFileW(native_path.c_str(), way.access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               /*security=*/nullptr, way.disposition, FILE_ATTRIBUTE_NORMAL,
                               /*template=*/nullptr);
  if (native->handle == INVALID_HANDLE_VALUE) throw LastError();
  File file(native.release());
  // A folder does not open this way; a device or a pipe does, and is no file.
  if (GetFileType(file.native_->handle) != FILE_TYPE_DISK) throw ErrorFromCode(ERROR_INVALID_NAME);
  return file;
}

size_t File::Read(void* buffer, size_t count) {
  auto* at = static_cast<char*>(buffer);
  size_t got = 0;
  if (count > 0 && native_->peeked != EOF) {
    at[got++] = static_cast<char>(native_->peeked);
    native_->peeked = EOF;
  }
  while (got < count) {
    DWORD read = 0;
    if (!ReadFile(native_->handle, at + got,
                  static_cast<DWORD>(std::min(count - got, kLargestCall)), &read,
                  /*overlapped=*/nullptr))
      throw LastError();
    if (read == 0) break;  // the end of the file
    got += read;
  }
  return got;
}

int File::Peek() {
  if (native_->peeked == EOF) {
    unsigned char byte = 0;
    DWORD read = 0;
    if (!ReadFile(native_->handle, &byte, 1, &read, /*overlapped=*/nullptr) || read == 0)
      return EOF;
    native_->peeked = byte;
  }
  return native_->peeked;
}

void File::Write(const void* data, size_t count) {
  const auto* at = static_cast<const char*>(data);
  while (count > 0) {
    DWORD written = 0;
    if (!WriteFile(native_->handle, at, static_cast<DWORD>(std::min(count, kLargestCall)), &written,
                   /*overlapped=*/nullptr))
      throw LastError();
    // A write that moves no byte finds the disk full, as the C runtime reads it.
    if (written == 0) throw ErrorFromCode(ERROR_DISK_FULL);
    at += written;
    count -= written;
  }
}

void File::Seek(uint64_t offset) {
  native_->peeked = EOF;
  if (!SetFilePointerEx(native_->handle, Offset(offset), /*new_position=*/nullptr, FILE_BEGIN))
    throw LastError();
}

uint64_t File::Size() {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(native_->handle, &size)) throw LastError();
  return static_cast<uint64_t>(size.QuadPart);
}

void File::Truncate(uint64_t size) {
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile = Offset(size);
  if (!SetFileInformationByHandle(native_->handle, FileEndOfFileInfo, &end, sizeof end))
    throw LastError();
}

// FILETIME counts 100-nanosecond ticks.
constexpr uint64_t kTicksPerSecond = 10'000'000;

WriteTime File::LastWriteTime() {
  FILETIME written{};
  if (!GetFileTime(native_->handle, /*creation=*/nullptr, /*access=*/nullptr, &written))
    throw LastError();
  const uint64_t ticks = uint64_t{written.dwHighDateTime} << 32 | written.dwLowDateTime;
  return {static_cast<int64_t>(ticks / kTicksPerSecond),
          static_cast<int32_t>(ticks % kTicksPerSecond * 100)};
}

// A time set through a handle stays: the system does not move it again
// for the writes of that handle.
void File::SetLastWriteTime(const WriteTime& time) {
  const uint64_t ticks = static_cast<uint64_t>(time.seconds) * kTicksPerSecond +
                         static_cast<uint64_t>(time.nanoseconds) / 100;
  const FILETIME written{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  if (!SetFileTime(native_->handle, /*creation=*/nullptr, /*access=*/nullptr, &written))
    throw LastError();
}

void File::FlushToDisk() {
  if (!FlushFileBuffers(native_->handle)) throw LastError();
}

void File::Close() {
  if (!native_) return;
  const std::unique_ptr<Native> native(native_.release());
  if (!CloseHandle(native->handle)) throw LastError();
}

void DeleteFile(const std::string& path) {
  if (!DeleteFileW(ToPath(path).c_str())) throw LastError();
}

// Renames never copy: a move to another drive would copy through the
// system's own copy loop, which is not trusted with a failed read.
void RenameFile(const std::string& from, const std::string& to) {
  // Without MOVEFILE_REPLACE_EXISTING an existing destination is refused.
  if (!MoveFileExW(ToPath(from).c_str(), ToPath(to).c_str(), /*flags=*/0)) throw LastError();
}

// Returns once the new name is on the disk: a file put in another's place
// (an archive over an earlier one) is never lost to a crash in between.
void ReplaceFile(const std::string& from, const std::string& to) {
  if (!MoveFileExW(ToPath(from).c_str(), ToPath(to).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    throw LastError();
}

void CreateFolder(const std::string& path) {
  if (!CreateDirectoryW(ToPath(path).c_str(), /*security=*/nullptr)) throw LastError();
}

void CreateFolders(const std::string& path) {
  MakeFolders(ToPath(path));
}

void SetCurrentFolder(const std::string& path) {
  if (!SetCurrentDirectoryW(ToPath(path).c_str())) throw LastError();
}

std::optional<std::tm> ModificationTime(const std::string& path) noexcept try {
  std::error_code code;
  const auto written = stdfs::last_write_time(ToPath(path), code);
  if (code) return std::nullopt;
  const std::time_t when = std::chrono::system_clock::to_time_t(
      std::chrono::time_point_cast<std::chrono::system_clock::duration>(
          std::chrono::file_clock::to_sys(written)));
  std::tm local{};
  if (localtime_s(&local, &when) != 0) return std::nullopt;
  return local;
} catch (const RunError&) {
  return std::nullopt;
}

}  // namespace qeb::fs
