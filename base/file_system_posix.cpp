// POSIX: files are C streams and folders go through the standard library;
// every failure carries errno and its text.

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>
#include <system_error>
#include <utility>

#include "base/file_system.h"
#include "base/posix_error.h"

namespace qeb::fs {
namespace stdfs = std::filesystem;

struct File::Native {
  std::FILE* stream = nullptr;
};

void File::QuietCloser::operator()(Native* native) const noexcept {
  std::fclose(native->stream);
  delete native;
}

namespace {

RunError ErrorFromCode(const std::error_code& code) {
  return {code.value(), code.message()};
}

const char* HowToOpen(File::Mode mode) {
  switch (mode) {
    case File::Mode::kRead:
      return "rb";
    case File::Mode::kWrite:
      return "wb";
    case File::Mode::kAppend:
      return "ab";
    case File::Mode::kCreateNew:
      return "wbx";
  }
  return "rb";
}

bool IsRegularStream(std::FILE* stream) {
  struct stat info {};
  return fstat(fileno(stream), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

stdfs::path ToPath(const std::string& utf8) {
  try {
    return stdfs::path(std::u8string(utf8.begin(), utf8.end()));
  } catch (const std::system_error& error) {
    throw ErrorFromCode(error.code());
  }
}

File File::Open(const std::string& path, Mode mode) {
  const stdfs::path native_path = ToPath(path);
  auto native = std::make_unique<Native>();
  errno = 0;
  native->stream = std::fopen(native_path.c_str(), HowToOpen(mode));
  if (native->stream == nullptr) throw LastErrnoError();
  File file(native.release());
  if (!IsRegularStream(file.native_->stream)) throw ErrorFromErrno(EISDIR);
  return file;
}

size_t File::Read(void* buffer, size_t count) {
  errno = 0;
  const size_t got = std::fread(buffer, 1, count, native_->stream);
  if (got < count && std::ferror(native_->stream) != 0) throw LastErrnoError();
  return got;
}

int File::Peek() {
  const int c = std::fgetc(native_->stream);
  if (c != EOF) std::ungetc(c, native_->stream);
  return c;
}

void File::Write(const void* data, size_t count) {
  if (count == 0) return;
  errno = 0;
  if (std::fwrite(data, 1, count, native_->stream) != count) throw LastErrnoError();
}

void File::Seek(uint64_t offset) {
  errno = 0;
  if (fseeko(native_->stream, static_cast<off_t>(offset), SEEK_SET) != 0) throw LastErrnoError();
}

uint64_t File::Size() {
  struct stat info {};
  errno = 0;
  if (fstat(fileno(native_->stream), &info) != 0) throw LastErrnoError();
  return static_cast<uint64_t>(info.st_size);
}

void File::Truncate(uint64_t size) {
  errno = 0;
  if (std::fflush(native_->stream) != 0) throw LastErrnoError();
  errno = 0;
  if (ftruncate(fileno(native_->stream), static_cast<off_t>(size)) != 0) throw LastErrnoError();
}

WriteTime File::LastWriteTime() {
  struct stat info {};
  errno = 0;
  if (fstat(fileno(native_->stream), &info) != 0) throw LastErrnoError();
  return {info.st_mtim.tv_sec, static_cast<int32_t>(info.st_mtim.tv_nsec)};
}

void File::SetLastWriteTime(const WriteTime& time) {
  errno = 0;
  if (std::fflush(native_->stream) != 0) throw LastErrnoError();
  // The access time stays; the write time is the one given.
  const timespec times[] = {{.tv_sec = {}, .tv_nsec = UTIME_OMIT},
                            {time.seconds, time.nanoseconds}};
  errno = 0;
  if (futimens(fileno(native_->stream), times) != 0) throw LastErrnoError();
}

void File::FlushToDisk() {
  errno = 0;
  if (std::fflush(native_->stream) != 0) throw LastErrnoError();
  if (fsync(fileno(native_->stream)) != 0) throw LastErrnoError();
}

void File::Close() {
  if (!native_) return;
  const std::unique_ptr<Native> native(native_.release());
  errno = 0;
  if (std::fclose(native->stream) != 0) throw LastErrnoError();
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

void CreateFolders(const std::string& path) {
  std::error_code code;
  stdfs::create_directories(ToPath(path), code);
  if (code) throw ErrorFromCode(code);
}

void SetCurrentFolder(const std::string& path) {
  std::error_code code;
  stdfs::current_path(ToPath(path), code);
  if (code) throw ErrorFromCode(code);
}

std::optional<std::tm> ModificationTime(const std::string& path) noexcept try {
  std::error_code code;
  const auto written = stdfs::last_write_time(ToPath(path), code);
  if (code) return std::nullopt;
  const std::time_t when = std::chrono::system_clock::to_time_t(
      std::chrono::time_point_cast<std::chrono::system_clock::duration>(
          std::chrono::file_clock::to_sys(written)));
  std::tm local{};
  if (localtime_r(&when, &local) == nullptr) return std::nullopt;
  return local;
} catch (const RunError&) {
  return std::nullopt;
}

}  // namespace qeb::fs
