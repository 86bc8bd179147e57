#pragma once
// Reads a zip archive for extraction. Opening reads and checks every header:
// the end record, each central-directory record and the local header it
// points at, so that every range the data will be read from is known to lie
// inside the archive and before the central directory. Nothing a header says
// is trusted before it has been checked. Zip64 and multi-disk archives are
// refused; entries that are encrypted or use another method than stored or
// deflate are listed but refused when extracted.

#include <cstdint>
#include <string>
#include <vector>

#include "zip/streams.h"

namespace qeb::zip {

// Declared value-initialized (`ZipEntry entry{};`), so every number starts at 0.
struct ZipEntry {
  std::string name;     // UTF-8, as the archive gives it ('/' or '\' between folders)
  std::string comment;  // raw bytes
  uint16_t flags;
  uint16_t method;
  uint32_t crc32;
  uint32_t compressed_size;
  uint32_t uncompressed_size;
  uint32_t local_header_offset;
  uint64_t data_offset;  // first byte of the data

  bool IsFolder() const { return !name.empty() && (name.back() == '/' || name.back() == '\\'); }
};

class ZipReader {
 public:
  // Throws ZipFormatError for a defective archive, RunError when reading fails.
  explicit ZipReader(ArchiveInput& input);

  const std::vector<ZipEntry>& entries() const { return entries_; }

  // Writes the entry's data to `sink`, then checks its size and CRC-32; throws
  // ZipFormatError when the entry cannot be extracted or its data is wrong
  // (the sink has then received data that must be thrown away).
  void Extract(const ZipEntry& entry, ByteSink& sink);

 private:
  ArchiveInput& input_;
  std::vector<ZipEntry> entries_;
};

// Throws ZipFormatError for an encrypted entry or a method other than stored
// and deflate.
void RequireExtractable(const ZipEntry& entry);

}  // namespace qeb::zip
