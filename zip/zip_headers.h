#pragma once
// The three zip records this program reads and writes, and their encoding.
// Encoding checks every length before narrowing it into its 16-bit field;
// decoding reads the fixed part only and leaves the variable fields, whose
// lengths it returns, to the caller (they may lie elsewhere in the archive).

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "zip/zip_format.h"

namespace qeb::zip {

struct LocalHeader {
  uint16_t version_needed = 0;
  uint16_t flags = 0;
  uint16_t method = 0;
  uint16_t dos_time = 0;
  uint16_t dos_date = 0;
  uint32_t crc32 = 0;
  uint32_t compressed_size = 0;
  uint32_t uncompressed_size = 0;
  uint16_t name_length = 0;
  uint16_t extra_length = 0;
  std::string name;
  std::string extra;
};

struct CentralHeader {
  uint16_t version_made_by = 0;
  uint16_t version_needed = 0;
  uint16_t flags = 0;
  uint16_t method = 0;
  uint16_t dos_time = 0;
  uint16_t dos_date = 0;
  uint32_t crc32 = 0;
  uint32_t compressed_size = 0;
  uint32_t uncompressed_size = 0;
  uint16_t name_length = 0;
  uint16_t extra_length = 0;
  uint16_t comment_length = 0;
  uint16_t disk_start = 0;
  uint16_t internal_attributes = 0;
  uint32_t external_attributes = 0;
  uint32_t local_header_offset = 0;
  std::string name;
  std::string extra;
  std::string comment;
};

struct EndRecord {
  uint16_t disk = 0;
  uint16_t central_dir_disk = 0;
  uint16_t entries_on_disk = 0;
  uint16_t entries_total = 0;
  uint32_t central_dir_size = 0;
  uint32_t central_dir_offset = 0;
  uint16_t comment_length = 0;
};

// With name and extra field; throws ZipTooLargeError for either too long.
std::vector<uint8_t> EncodeLocalHeader(const LocalHeader& header);
// With name, extra field and comment.
std::vector<uint8_t> EncodeCentralHeader(const CentralHeader& header);
std::vector<uint8_t> EncodeEndRecord(const EndRecord& record);

// Each decodes the fixed part of its record and throws ZipFormatError for a
// wrong signature.
LocalHeader DecodeLocalHeader(std::span<const uint8_t, format::kLocalHeaderSize> bytes);
CentralHeader DecodeCentralHeader(std::span<const uint8_t, format::kCentralHeaderSize> bytes);
EndRecord DecodeEndRecord(std::span<const uint8_t, format::kEndOfCentralDirSize> bytes);

}  // namespace qeb::zip
