// The file layer's portable part: copying by way of a side file, and the
// questions whose failure is an answer rather than an error. Opening, writing
// and the folder operations, whose failures carry the platform's own number,
// are in file_system_posix.cpp and file_system_win32.cpp.

#include "base/file_system.h"

#include "base/copy_file.h"

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
