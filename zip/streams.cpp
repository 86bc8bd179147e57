#include "zip/streams.h"

#include <cstring>

#include "zip/zip_errors.h"

namespace qeb::zip {

size_t FileEntrySource::Read(uint8_t* buffer, size_t count) {
  try {
    return file_.Read(buffer, count);
  } catch (const RunError& error) {
    throw SourceReadError(error);
  }
}

void FileEntrySource::Rewind() {
  try {
    file_.Seek(0);
  } catch (const RunError& error) {
    throw SourceReadError(error);
  }
}

void RequireInside(uint64_t offset, uint64_t count, uint64_t size) {
  if (offset > size || count > size - offset)
    throw ZipFormatError(ZipDefect::kTruncated, "datos más allá del final del archivo");
}

void MemoryArchive::ReadAt(uint64_t offset, std::span<uint8_t> buffer) {
  RequireInside(offset, buffer.size(), bytes_.size());
  if (!buffer.empty()) std::memcpy(buffer.data(), bytes_.data() + offset, buffer.size());
}

FileArchive::FileArchive(const std::string& path)
    : file_(fs::File::Open(path, fs::File::Mode::kRead)), size_(file_.Size()) {}

void FileArchive::ReadAt(uint64_t offset, std::span<uint8_t> buffer) {
  RequireInside(offset, buffer.size(), size_);
  file_.Seek(offset);
  // Short only when the file shrank since it was opened.
  if (file_.Read(buffer.data(), buffer.size()) != buffer.size())
    throw ZipFormatError(ZipDefect::kTruncated, "el archivo se acortó durante la lectura");
}

}  // namespace qeb::zip
