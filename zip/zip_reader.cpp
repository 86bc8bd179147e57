#include "zip/zip_reader.h"

#include <algorithm>
#include <array>

#include "zip/byte_cursor.h"
#include "zip/deflate_codec.h"
#include "zip/entry_name.h"
#include "zip/zip_errors.h"
#include "zip/zip_format.h"
#include "zip/zip_headers.h"

namespace qeb::zip {
namespace {

struct CentralDirectory {
  uint64_t offset;
  uint64_t size;
  uint16_t entries;
};

std::string ReadText(ArchiveInput& input, uint64_t offset, size_t count) {
  std::string text(count, '\0');
  input.ReadAt(offset, std::span(reinterpret_cast<uint8_t*>(text.data()), count));
  return text;
}

// The last end-record signature whose fixed part fits in the archive.
uint64_t FindEndRecord(ArchiveInput& input) {
  const uint64_t size = input.Size();
  if (size < format::kEndOfCentralDirSize) throw ZipFormatError(ZipDefect::kNoEndRecord, "");
  const uint64_t span = std::min<uint64_t>(size, format::kEndSearchSpan);
  std::vector<uint8_t> tail(static_cast<size_t>(span));
  input.ReadAt(size - span, tail);
  for (size_t at = tail.size() - format::kEndOfCentralDirSize + 1; at-- > 0;) {
    if (ByteReader(std::span(tail).subspan(at)).U32() == format::kEndOfCentralDirSig)
      return size - span + at;
  }
  throw ZipFormatError(ZipDefect::kNoEndRecord, "");
}

bool HasZip64Locator(ArchiveInput& input, uint64_t end_offset) {
  if (end_offset < format::kZip64LocatorSize) return false;
  std::array<uint8_t, 4> signature{};
  input.ReadAt(end_offset - format::kZip64LocatorSize, signature);
  return ByteReader(signature).U32() == format::kZip64LocatorSig;
}

CentralDirectory ReadEndRecord(ArchiveInput& input) {
  const uint64_t end_offset = FindEndRecord(input);
  std::array<uint8_t, format::kEndOfCentralDirSize> fixed{};
  input.ReadAt(end_offset, fixed);
  const EndRecord end = DecodeEndRecord(fixed);
  if (HasZip64Locator(input, end_offset) || end.entries_total == format::kZip64Marker16 ||
      end.central_dir_size == format::kZip64Marker32 ||
      end.central_dir_offset == format::kZip64Marker32)
    throw ZipFormatError(ZipDefect::kZip64, "");
  if (end.disk != 0 || end.central_dir_disk != 0 || end.entries_on_disk != end.entries_total)
    throw ZipFormatError(ZipDefect::kMultiDisk, "");
  const uint64_t central_end = uint64_t{end.central_dir_offset} + end.central_dir_size;
  if (central_end > end_offset)
    throw ZipFormatError(ZipDefect::kTruncated, "el directorio central pasa del registro final");
  if (central_end != end_offset)
    throw ZipFormatError(ZipDefect::kInconsistent, "datos entre el directorio central y el final");
  return {end.central_dir_offset, end.central_dir_size, end.entries_total};
}

void CheckCentral(const CentralHeader& central) {
  if (central.compressed_size == format::kZip64Marker32 ||
      central.uncompressed_size == format::kZip64Marker32 ||
      central.local_header_offset == format::kZip64Marker32 ||
      central.disk_start == format::kZip64Marker16)
    throw ZipFormatError(ZipDefect::kZip64, "");
  if (central.disk_start != 0) throw ZipFormatError(ZipDefect::kMultiDisk, "");
}

// Reads the local header the entry points at and sets where its data begins;
// the data must end before the central directory.
void LocateData(ArchiveInput& input, const CentralHeader& central, uint64_t central_offset,
                ZipEntry& entry) {
  const uint64_t at = central.local_header_offset;
  RequireInside(at, format::kLocalHeaderSize, central_offset);
  std::array<uint8_t, format::kLocalHeaderSize> fixed{};
  input.ReadAt(at, fixed);
  const LocalHeader local = DecodeLocalHeader(fixed);
  const uint64_t name_at = at + format::kLocalHeaderSize;
  RequireInside(name_at, uint64_t{local.name_length} + local.extra_length, central_offset);
  if (local.method != central.method ||
      (local.flags & format::kFlagEncrypted) != (central.flags & format::kFlagEncrypted) ||
      ReadText(input, name_at, local.name_length) != central.name)
    throw ZipFormatError(ZipDefect::kInconsistent, entry.name);
  entry.data_offset = name_at + local.name_length + local.extra_length;
  RequireInside(entry.data_offset, central.compressed_size, central_offset);
}

ZipEntry ReadEntry(ArchiveInput& input, uint64_t& at, const CentralDirectory& directory) {
  const uint64_t directory_end = directory.offset + directory.size;
  RequireInside(at, format::kCentralHeaderSize, directory_end);
  std::array<uint8_t, format::kCentralHeaderSize> fixed{};
  input.ReadAt(at, fixed);
  CentralHeader central = DecodeCentralHeader(fixed);
  at += format::kCentralHeaderSize;
  RequireInside(at, uint64_t{central.name_length} + central.extra_length + central.comment_length,
                directory_end);
  central.name = ReadText(input, at, central.name_length);
  central.extra = ReadText(input, at += central.name_length, central.extra_length);
  central.comment = ReadText(input, at += central.extra_length, central.comment_length);
  at += central.comment_length;
  CheckCentral(central);

  ZipEntry entry{};
  entry.name = DecodeEntryName(central.name, central.flags, central.extra, central.version_made_by);
  entry.comment = central.comment;
  entry.flags = central.flags;
  entry.method = central.method;
  entry.crc32 = central.crc32;
  entry.compressed_size = central.compressed_size;
  entry.uncompressed_size = central.uncompressed_size;
  entry.local_header_offset = central.local_header_offset;
  LocateData(input, central, directory.offset, entry);
  return entry;
}

// No entry's header or data may run into the next entry's local header.
void RequireNoOverlap(std::vector<ZipEntry> entries) {
  std::sort(entries.begin(), entries.end(), [](const ZipEntry& a, const ZipEntry& b) {
    return a.local_header_offset < b.local_header_offset;
  });
  for (size_t i = 1; i < entries.size(); ++i) {
    const ZipEntry& before = entries[i - 1];
    if (before.data_offset + before.compressed_size > entries[i].local_header_offset)
      throw ZipFormatError(ZipDefect::kInconsistent, "entradas superpuestas");
  }
}

}  // namespace

ZipReader::ZipReader(ArchiveInput& input) : input_(input) {
  const CentralDirectory directory = ReadEndRecord(input);
  entries_.reserve(directory.entries);
  uint64_t at = directory.offset;
  for (uint16_t i = 0; i < directory.entries; ++i)
    entries_.push_back(ReadEntry(input, at, directory));
  if (at != directory.offset + directory.size)
    throw ZipFormatError(ZipDefect::kInconsistent, "el directorio central tiene datos de más");
  RequireNoOverlap(entries_);
}

void RequireExtractable(const ZipEntry& entry) {
  if ((entry.flags & (format::kFlagEncrypted | format::kFlagStrongEncryption)) != 0)
    throw ZipFormatError(ZipDefect::kEncrypted, entry.name);
  if (entry.method != format::kMethodStored && entry.method != format::kMethodDeflated)
    throw ZipFormatError(ZipDefect::kUnsupportedMethod, entry.name);
}

void ZipReader::Extract(const ZipEntry& entry, ByteSink& sink) {
  RequireExtractable(entry);
  StreamedData data;
  if (entry.method == format::kMethodStored) {
    if (entry.compressed_size != entry.uncompressed_size)
      throw ZipFormatError(ZipDefect::kSizeMismatch, entry.name);
    data = CopyRange(input_, entry.data_offset, entry.compressed_size, sink);
  } else {
    data = InflateRange(input_, entry.data_offset, entry.compressed_size, entry.uncompressed_size,
                        sink);
  }
  if (data.raw_size != entry.uncompressed_size)
    throw ZipFormatError(ZipDefect::kSizeMismatch, entry.name);
  if (data.crc32 != entry.crc32) throw ZipFormatError(ZipDefect::kCrcMismatch, entry.name);
}

}  // namespace qeb::zip
