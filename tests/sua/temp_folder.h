#pragma once
// A fresh folder under the system's temporary folder for one test, removed
// with everything in it when the test ends, and small helpers for the files
// the tests put there.

#include <cstdint>
#include <filesystem>
#include <string>

namespace qeb::testing_sua {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // UTF-8 path of `name` inside the folder, with the platform's separators.
  std::string Path(const std::string& name) const;
  std::string Root() const;
  // Writes `bytes` to `name` (replacing it) and returns its path.
  std::string Write(const std::string& name, const std::string& bytes) const;

 private:
  std::filesystem::path root_;
};

std::string ReadAll(const std::string& path);
bool Exists(const std::string& path);

// Text of `length` characters that never holds the end-of-data mark, different
// for each `seed`, so that misplaced pieces show.
std::string Filler(size_t length, uint32_t seed = 1);

// A 295-character validation record with the given fields at their positions
// (the rest filled with blanks); `discos` goes to positions 67-68.
std::string ValidationRecord(const std::string& ident, const std::string& codigo,
                             const std::string& discos, const std::string& inicial,
                             const std::string& clave);

}  // namespace qeb::testing_sua
