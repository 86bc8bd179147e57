#pragma once
// A fresh folder under the system's temporary folder for one test, removed
// with everything in it when the test ends, and small helpers for the files
// the tests put there. Paths are UTF-8.

#include <filesystem>
#include <string>
#include <vector>

namespace qeb::test_support {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // Path of `relative` ('/' between steps) inside the folder, with the
  // platform's separators.
  std::string Path(const std::string& relative) const;
  std::string Root() const;
  // Writes `bytes` at `relative` (replacing it), making its folders; returns the path.
  std::string Write(const std::string& relative, const std::string& bytes) const;
  // Every file and folder below the root, as sorted relative '/' paths
  // (folders end with '/').
  std::vector<std::string> List() const;

 private:
  std::filesystem::path root_;
};

std::string ReadAll(const std::string& path);  // throws when it cannot be read
void WriteAll(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);

// Lower-case hexadecimal digits of the bytes, two per byte.
std::string Hex(const std::string& bytes);

}  // namespace qeb::test_support
