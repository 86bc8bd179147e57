#include "base/file_system.h"

#include "base/copy_file.h"
#include "base/file_error.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <utility>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace qeb::fs {
namespace stdfs = std::filesystem;

// Text that is no UTF-8 cannot name a Windows file: a RunError, as every
// other failure here.
stdfs::path ToPath(const std::string& utf8) {
  try {
    return stdfs::path(std::u8string(utf8.begin(), utf8.end()));
  } catch (const std::system_error& error) {
    throw ErrorFromCode(error.code());
  }
}

std::string ToUtf8(const stdfs::path& path) {
  const std::u8string text = path.u8string();
  return {text.begin(), text.end()};
}

RunError ErrorFromCode(const std::error_code& code) {
  return {code.value(), code.message()};
}

RunError ErrorFromErrno(int error_number) {
  return {error_number, std::generic_category().message(error_number)};
}

namespace {

std::FILE* OpenStream(const std::string& path, File::Mode mode) {
  const stdfs::path native = ToPath(path);
#ifdef _WIN32
  const wchar_t* how = mode == File::Mode::kRead    ? L"rb"
                       : mode == File::Mode::kWrite ? L"wb"
                                                    : L"ab";
  return _wfopen(native.c_str(), how);
#else
  const char* how = mode == File::Mode::kRead ? "rb" : mode == File::Mode::kWrite ? "wb" : "ab";
  return std::fopen(native.c_str(), how);
#endif
}

bool IsRegularStream(std::FILE* stream) {
#ifdef _WIN32
  struct _stat64 info {};
  return _fstat64(_fileno(stream), &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFREG;
#else
  struct stat info {};
  return fstat(fileno(stream), &info) == 0 && S_ISREG(info.st_mode);
#endif
}

}  // namespace

std::optional<File> File::TryOpen(const std::string& path, Mode mode) noexcept {
  std::FILE* stream = nullptr;
  try {
    stream = OpenStream(path, mode);
  } catch (const RunError&) {
    return std::nullopt;
  }
  if (stream == nullptr) return std::nullopt;
  if (!IsRegularStream(stream)) {
    std::fclose(stream);
    return std::nullopt;
  }
  return File(stream);
}

File File::Open(const std::string& path, Mode mode) {
  ClearFileError();
  std::FILE* stream = OpenStream(path, mode);
  if (stream == nullptr) throw LastFileError();
  if (!IsRegularStream(stream)) {
    std::fclose(stream);
    throw ErrorFromErrno(EISDIR);
  }
  return File(stream);
}

File::File(File&& other) noexcept : stream_(std::exchange(other.stream_, nullptr)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    CloseQuietly();
    stream_ = std::exchange(other.stream_, nullptr);
  }
  return *this;
}

File::~File() {
  CloseQuietly();
}

size_t File::Read(void* buffer, size_t count) {
  ClearFileError();
  const size_t got = std::fread(buffer, 1, count, stream_);
  if (got < count && std::ferror(stream_) != 0) throw LastFileError();
  return got;
}

int File::Peek() {
  const int c = std::fgetc(stream_);
  if (c != EOF) std::ungetc(c, stream_);
  return c;
}

void File::Write(const void* data, size_t count) {
  if (count == 0) return;
  ClearFileError();
  if (std::fwrite(data, 1, count, stream_) != count) throw LastFileError();
}

void File::Seek(uint64_t offset) {
  ClearFileError();
#ifdef _WIN32
  const int failed = _fseeki64(stream_, static_cast<long long>(offset), SEEK_SET);
#else
  const int failed = fseeko(stream_, static_cast<off_t>(offset), SEEK_SET);
#endif
  if (failed != 0) throw LastFileError();
}

uint64_t File::Size() {
#ifdef _WIN32
  struct _stat64 info {};
  ClearFileError();
  if (_fstat64(_fileno(stream_), &info) != 0) throw LastFileError();
#else
  struct stat info {};
  ClearFileError();
  if (fstat(fileno(stream_), &info) != 0) throw LastFileError();
#endif
  return static_cast<uint64_t>(info.st_size);
}

void File::Truncate(uint64_t size) {
  ClearFileError();
  if (std::fflush(stream_) != 0) throw LastFileError();
#ifdef _WIN32
  const int failed = _chsize_s(_fileno(stream_), static_cast<long long>(size));
  if (failed != 0) throw ErrorFromErrno(failed);
#else
  ClearFileError();
  if (ftruncate(fileno(stream_), static_cast<off_t>(size)) != 0) throw LastFileError();
#endif
}

void File::FlushToDisk() {
  ClearFileError();
  if (std::fflush(stream_) != 0) throw LastFileError();
#ifdef _WIN32
  if (_commit(_fileno(stream_)) != 0) throw LastFileError();
#else
  if (fsync(fileno(stream_)) != 0) throw LastFileError();
#endif
}

void File::Close() {
  if (stream_ == nullptr) return;
  ClearFileError();
  const int failed = std::fclose(std::exchange(stream_, nullptr));
  if (failed != 0) throw LastFileError();
}

void File::CloseQuietly() noexcept {
  if (stream_ != nullptr) std::fclose(std::exchange(stream_, nullptr));
}

// Copies into a fresh file beside the destination and then puts that file in
// the destination's place. A destination that is the source itself under
// another spelling keeps its data, and an existing destination is replaced
// even where the library's copy_file refuses (MinGW's takes any two files on
// one drive for the same file). The copy itself is the system's own (see
// copy_file_posix.cpp and copy_file_win32.cpp); the new file is writable
// whatever the source.
void CopyFile(const std::string& from, const std::string& to) {
  const std::string partial = to + ".qeb-partial";
  try {
    CopyIntoNewFile(from, partial);
    ReplaceFile(partial, to);
  } catch (...) {
    std::error_code ignored;
    stdfs::remove(ToPath(partial), ignored);
    throw;
  }
}

void DeleteFile(const std::string& path) {
  std::error_code code;
  const stdfs::path native = ToPath(path);
  if (stdfs::is_directory(native, code)) throw ErrorFromErrno(EISDIR);
  if (!stdfs::remove(native, code) && !code)
    code = std::make_error_code(std::errc::no_such_file_or_directory);
  if (code) throw ErrorFromCode(code);
}

void RenameFile(const std::string& from, const std::string& to) {
  std::error_code code;
  if (stdfs::exists(ToPath(to), code)) throw ErrorFromErrno(EEXIST);
  stdfs::rename(ToPath(from), ToPath(to), code);
  if (code) throw ErrorFromCode(code);
}

void ReplaceFile(const std::string& from, const std::string& to) {
  std::error_code code;
  stdfs::rename(ToPath(from), ToPath(to), code);
  if (code) throw ErrorFromCode(code);
}

void CreateFolder(const std::string& path) {
  std::error_code code;
  if (!stdfs::create_directory(ToPath(path), code) && !code)
    code = std::make_error_code(std::errc::file_exists);
  if (code) throw ErrorFromCode(code);
}

void SetCurrentFolder(const std::string& path) {
  std::error_code code;
  stdfs::current_path(ToPath(path), code);
  if (code) throw ErrorFromCode(code);
}

bool FolderExists(const std::string& path) noexcept try {
  std::error_code code;
  return !path.empty() && stdfs::is_directory(ToPath(path), code);
} catch (const RunError&) {
  return false;
}

bool RegularFileExists(const std::string& path) noexcept try {
  std::error_code code;
  return !path.empty() && stdfs::is_regular_file(ToPath(path), code);
} catch (const RunError&) {
  return false;
}

bool AnythingExists(const std::string& path) noexcept try {
  std::error_code code;
  return !path.empty() && stdfs::exists(ToPath(path), code);
} catch (const RunError&) {
  return false;
}

std::optional<uint64_t> FileSize(const std::string& path) noexcept try {
  if (path.empty()) return std::nullopt;
  std::error_code code;
  const uintmax_t size = stdfs::file_size(ToPath(path), code);
  if (code) return std::nullopt;
  return static_cast<uint64_t>(size);
} catch (const RunError&) {
  return std::nullopt;
}

}  // namespace qeb::fs
