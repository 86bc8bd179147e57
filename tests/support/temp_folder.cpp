#include "support/temp_folder.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "base/file_system.h"

namespace qeb::test_support {
namespace stdfs = std::filesystem;

TempFolder::TempFolder() {
  std::random_device random;
  const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  for (int attempt = 0; root_.empty(); ++attempt) {
    if (attempt == 100) throw std::runtime_error("no fresh temporary folder");
    root_ =
        stdfs::temp_directory_path() / ("qeb-test-" + std::to_string(now) + "-" +
                                        std::to_string(random()) + "-" + std::to_string(attempt));
    if (!stdfs::create_directory(root_)) root_.clear();
  }
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  // Files a test made read-only must not keep the folder alive.
  for (const auto& entry : stdfs::recursive_directory_iterator(root_, ignored))
    stdfs::permissions(entry.path(), stdfs::perms::owner_all, stdfs::perm_options::add, ignored);
  stdfs::remove_all(root_, ignored);
}

std::string TempFolder::Path(const std::string& relative) const {
  return fs::ToUtf8((root_ / fs::ToPath(relative)).make_preferred());
}

std::string TempFolder::Root() const {
  return fs::ToUtf8(root_);
}

std::string TempFolder::Write(const std::string& relative, const std::string& bytes) const {
  const std::string path = Path(relative);
  stdfs::create_directories(fs::ToPath(path).parent_path());
  return WriteAll(path, bytes), path;
}

std::vector<std::string> TempFolder::List() const {
  std::vector<std::string> found;
  for (const auto& item : stdfs::recursive_directory_iterator(root_)) {
    std::string relative = fs::ToUtf8(item.path().lexically_relative(root_).generic_u8string());
    if (item.is_directory()) relative += '/';
    found.push_back(relative);
  }
  std::sort(found.begin(), found.end());
  return found;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(fs::ToPath(path), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(fs::ToPath(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

bool Exists(const std::string& path) {
  std::error_code ignored;
  return stdfs::exists(fs::ToPath(path), ignored);
}

std::string Hex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const unsigned char c : bytes) hex += {kDigits[c >> 4], kDigits[c & 15]};
  return hex;
}

}  // namespace qeb::test_support
