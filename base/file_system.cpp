// The file layer's portable part: the questions whose failure is an answer
// rather than an error. Opening, writing and the folder operations, whose
// failures carry the platform's own number, are in file_system_posix.cpp and
// file_system_win32.cpp; the copy is in copy_file.cpp.

#include "base/file_system.h"

namespace qeb::fs {
namespace stdfs = std::filesystem;

std::string ToUtf8(const stdfs::path& path) {
  const std::u8string text = path.u8string();
  return {text.begin(), text.end()};
}

// The open whose failure is only an answer: no file.
std::optional<File> File::TryOpen(const std::string& path, Mode mode) noexcept {
  try {
    return Open(path, mode);
  } catch (const RunError&) {
    return std::nullopt;
  }
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
