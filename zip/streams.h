#pragma once
// Where zip data comes from and goes to: a file or memory, behind small
// interfaces so that the reader can be driven from memory (the fuzzer) and
// the writer and extractor stream through fixed buffers.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/file_system.h"

namespace qeb::zip {

// Data of an entry being written, read front to back; Rewind starts over (the
// writer reads the data twice when deflate would not shrink it).
class EntrySource {
 public:
  virtual ~EntrySource() = default;
  // Up to `count` bytes; 0 only at the end. Throws SourceReadError.
  virtual size_t Read(uint8_t* buffer, size_t count) = 0;
  virtual void Rewind() = 0;
};

class FileEntrySource : public EntrySource {
 public:
  explicit FileEntrySource(fs::File& file) : file_(file) {}
  size_t Read(uint8_t* buffer, size_t count) override;
  void Rewind() override;

 private:
  fs::File& file_;
};

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual void Write(const uint8_t* data, size_t count) = 0;
};

class FileSink : public ByteSink {
 public:
  explicit FileSink(fs::File& file) : file_(file) {}
  void Write(const uint8_t* data, size_t count) override { file_.Write(data, count); }

 private:
  fs::File& file_;
};

// A whole archive with random access.
class ArchiveInput {
 public:
  virtual ~ArchiveInput() = default;
  virtual uint64_t Size() const = 0;
  // Exactly `buffer.size()` bytes from `offset`; a range past the end is a
  // truncated archive (ZipFormatError).
  virtual void ReadAt(uint64_t offset, std::span<uint8_t> buffer) = 0;
};

class MemoryArchive : public ArchiveInput {
 public:
  explicit MemoryArchive(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  uint64_t Size() const override { return bytes_.size(); }
  void ReadAt(uint64_t offset, std::span<uint8_t> buffer) override;

 private:
  std::span<const uint8_t> bytes_;
};

class FileArchive : public ArchiveInput {
 public:
  // Throws RunError when the file cannot be opened.
  explicit FileArchive(const std::string& path);
  uint64_t Size() const override { return size_; }
  void ReadAt(uint64_t offset, std::span<uint8_t> buffer) override;

 private:
  fs::File file_;
  uint64_t size_;
};

// Throws the truncated-archive error unless [offset, offset + count) lies in `size`.
void RequireInside(uint64_t offset, uint64_t count, uint64_t size);

}  // namespace qeb::zip
