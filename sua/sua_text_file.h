#pragma once
// Sequential text reading of an SUA file: one byte is one character, positions
// count from 1, and the first 0x1A ends the data. A read that runs past the end
// of the data fails with the past-end-of-file condition.

#include <cstdint>
#include <string>

#include "base/file_system.h"

namespace qeb {

inline constexpr char kEndOfDataMark = 0x1A;

class SuaTextFile {
 public:
  // Opens for reading; throws RunError when the file cannot be opened.
  explicit SuaTextFile(const std::string& path);

  // The file's size as the file system reports it.
  uint64_t Length() const { return length_; }
  // 1-based position of the next character to be read.
  uint64_t Position() const { return position_; }
  void SetPosition(uint64_t position);  // throws RunError when below 1
  // True when the position has reached the end or an end-of-data mark.
  bool AtEnd();
  // Reads exactly `count` characters into `text`, or throws RunError
  // (PastEndOfFileError when the data ends first, the platform's error
  // when the read fails). On failure the position is undefined and `text`
  // is left as it was.
  void Read(size_t count, std::string& text);
  void Close() { file_.CloseQuietly(); }

 private:
  fs::File file_;
  uint64_t length_;
  uint64_t position_ = 1;
};

}  // namespace qeb
