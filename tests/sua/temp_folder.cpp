#include "temp_folder.h"

#include <chrono>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "sua/file_system.h"

namespace qeb::testing_sua {
namespace stdfs = std::filesystem;

TempFolder::TempFolder() {
  std::random_device random;
  const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const stdfs::path candidate =
        stdfs::temp_directory_path() / ("qeb-sua-" + std::to_string(now) + "-" +
                                        std::to_string(random()) + "-" + std::to_string(attempt));
    if (stdfs::create_directory(candidate)) {
      root_ = candidate;
      return;
    }
  }
  throw std::runtime_error("no fresh temporary folder");
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  // Files a test made read-only must not keep the folder alive.
  for (const auto& entry : stdfs::recursive_directory_iterator(root_, ignored))
    stdfs::permissions(entry.path(), stdfs::perms::owner_all, stdfs::perm_options::add, ignored);
  stdfs::remove_all(root_, ignored);
}

std::string TempFolder::Path(const std::string& name) const {
  return fs::ToUtf8((root_ / fs::ToPath(name)).make_preferred());
}

std::string TempFolder::Root() const {
  return fs::ToUtf8(root_);
}

std::string TempFolder::Write(const std::string& name, const std::string& bytes) const {
  const std::string path = Path(name);
  std::ofstream out(fs::ToPath(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
  return path;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(fs::ToPath(path), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool Exists(const std::string& path) {
  std::error_code ignored;
  return stdfs::exists(fs::ToPath(path), ignored);
}

std::string Filler(size_t length, uint32_t seed) {
  std::string text(length, ' ');
  uint32_t state = seed * 2654435761u + 1;
  for (char& c : text) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>('0' + (state >> 16) % 75);  // '0'..'z'
  }
  return text;
}

std::string ValidationRecord(const std::string& ident, const std::string& codigo,
                             const std::string& discos, const std::string& inicial,
                             const std::string& clave) {
  std::string record(295, ' ');
  const auto put = [&](size_t position, const std::string& value) {
    record.replace(position - 1, value.size(), value);
  };
  put(1, "06");
  put(3, ident);
  put(27, codigo);
  put(67, discos);
  put(69, inicial);
  put(121, clave);
  return record.substr(0, 295);
}

}  // namespace qeb::testing_sua
