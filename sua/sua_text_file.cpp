#include "sua/sua_text_file.h"

#include <cstring>

#include "base/run_error.h"

namespace qeb {

// The data ends at the size the file had when it was opened (or at the first
// mark before it), so a file that grows while it is read, such as a file
// appended to itself, is read once and not for ever.
SuaTextFile::SuaTextFile(const std::string& path)
    : file_(fs::File::Open(path, fs::File::Mode::kRead)), length_(file_.Size()) {}

void SuaTextFile::SetPosition(uint64_t position) {
  if (position < 1) throw InvalidArgumentError();
  file_.Seek(position - 1);
  position_ = position;
}

bool SuaTextFile::AtEnd() {
  if (position_ > length_) return true;
  // Data that ends before its size (a read error, a file cut short while
  // open) is not the end: the next read fails.
  return file_.Peek() == kEndOfDataMark;
}

void SuaTextFile::Read(size_t count, std::string& text) {
  const uint64_t remaining = position_ > length_ ? 0 : length_ - position_ + 1;
  if (count > remaining) throw PastEndOfFileError();
  std::string piece(count, '\0');
  const size_t got = file_.Read(piece.data(), count);
  position_ += got;
  if (got < count) throw PastEndOfFileError();  // the file has become shorter
  if (std::memchr(piece.data(), kEndOfDataMark, count) != nullptr) throw PastEndOfFileError();
  text.swap(piece);
}

}  // namespace qeb
