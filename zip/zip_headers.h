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

// Plain records, declared value-initialized (`LocalHeader header{};`): every
// field that a writer leaves alone is 0.
struct LocalHeader {
  uint16_t version_needed;
  uint16_t flags;
  uint16_t method;
  uint16_t dos_time;
  uint16_t dos_date;
  uint32_t crc32;
  uint32_t compressed_size;
  uint32_t uncompressed_size;
  uint16_t name_length;
  uint16_t extra_length;
  std::string name;
  std::string extra;
};

struct CentralHeader {
  uint16_t version_made_by;
  uint16_t version_needed;
  uint16_t flags;
  uint16_t method;
  uint16_t dos_time;
  uint16_t dos_date;
  uint32_t crc32;
  uint32_t compressed_size;
  uint32_t uncompressed_size;
  uint16_t name_length;
  uint16_t extra_length;
  uint16_t comment_length;
  uint16_t disk_start;
  uint16_t internal_attributes;
  uint32_t external_attributes;
  uint32_t local_header_offset;
  std::string name;
  std::string extra;
  std::string comment;
};

struct EndRecord {
  uint16_t disk;
  uint16_t central_dir_disk;
  uint16_t entries_on_disk;
  uint16_t entries_total;
  uint32_t central_dir_size;
  uint32_t central_dir_offset;
  uint16_t comment_length;
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
