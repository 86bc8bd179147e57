#pragma once
// A file written under a unique temporary name in the folder of its final
// path and moved onto that path only once complete, so that a reader never
// sees a half-written file and a failure leaves the old file untouched. The
// temporary file is removed unless it was moved into place.

#include <string>

#include "base/file_system.h"

namespace qeb::zip {

class PendingFile {
 public:
  // Throws RunError when the temporary file cannot be created.
  static PendingFile CreateFor(const std::string& final_path);

  PendingFile(PendingFile&& other) noexcept;
  PendingFile& operator=(PendingFile&&) = delete;
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;
  ~PendingFile();

  fs::File& file() { return file_; }

  // Puts the data on the disk and closes the file; throws RunError.
  void FlushAndClose();
  // Moves the closed file onto the final path, replacing what is there;
  // throws RunError.
  void MoveIntoPlace();

 private:
  PendingFile(fs::File file, std::string temp_path, std::string final_path);

  fs::File file_;
  std::string temp_path_;
  std::string final_path_;
  bool in_place_ = false;
};

}  // namespace qeb::zip
