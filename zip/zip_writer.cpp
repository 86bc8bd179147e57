#include "zip/zip_writer.h"

#include <zlib.h>

#include <algorithm>

#include "base/code_page.h"
#include "base/utf8.h"
#include "zip/byte_cursor.h"
#include "zip/deflate_codec.h"
#include "zip/parallel_deflate.h"
#include "zip/zip_errors.h"
#include "zip/zip_format.h"

namespace qeb::zip {
namespace {

// 0xFFFF entries would be read as the Zip64 marker.
constexpr size_t kMaxEntries = format::kZip64Marker16 - 1;

void WriteAt(fs::File& out, uint64_t offset, const std::vector<uint8_t>& bytes) {
  out.Seek(offset);
  out.Write(bytes.data(), bytes.size());
}

CentralHeader CentralFor(const LocalHeader& local, const NewEntry& entry, uint32_t offset) {
  CentralHeader central{};
  central.version_made_by = format::kVersionMadeBy;
  central.version_needed = local.version_needed;
  central.flags = local.flags;
  central.method = local.method;
  central.dos_time = local.dos_time;
  central.dos_date = local.dos_date;
  central.crc32 = local.crc32;
  central.compressed_size = local.compressed_size;
  central.uncompressed_size = local.uncompressed_size;
  central.external_attributes = format::kDosAttributeArchive;
  central.local_header_offset = offset;
  central.name = local.name;
  central.extra = local.extra;
  central.comment = entry.comment;
  return central;
}

bool IsPlainAscii(const std::string& name) {
  return std::none_of(name.begin(), name.end(),
                      [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// The Unicode Path field for a name stored as `stored`: version 1, the CRC-32
// of the stored bytes (a reader that finds them renamed ignores the field),
// then the UTF-8 name.
std::string UnicodePathField(const std::string& stored, const std::string& utf8) {
  ByteWriter field;
  field.U16(format::kExtraUnicodePath);
  field.U16(FitField16(1 + 4 + utf8.size(), "nombre de entrada demasiado largo"));
  field.U8(1);
  field.U32(static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(stored.data()), static_cast<uInt>(stored.size()))));
  field.Text(utf8);
  return {field.bytes().begin(), field.bytes().end()};
}

}  // namespace

void ZipWriter::AddFile(const NewEntry& entry, EntrySource& data) {
  if (central_.size() >= kMaxEntries) throw ZipTooLargeError("demasiadas entradas");
  FitField16(entry.comment.size(), "comentario de entrada demasiado largo");
  const uint32_t offset = FitField32(end_, "archivo ZIP de 4 GiB o más");

  LocalHeader local{};
  local.version_needed = format::kVersionDeflated;
  local.method = format::kMethodDeflated;
  local.dos_time = entry.modified.time;
  local.dos_date = entry.modified.date;
  local.name = Utf8ToCp437(entry.name);
  if (!IsPlainAscii(entry.name) && IsValidUtf8(entry.name))
    local.extra = UnicodePathField(local.name, entry.name);
  const std::vector<uint8_t> provisional = EncodeLocalHeader(local);
  WriteAt(out_, offset, provisional);

  const uint64_t data_start = offset + provisional.size();
  const StreamedData written = WriteData(data, data_start, local);
  local.crc32 = written.crc32;
  local.uncompressed_size = FitField32(written.raw_size, "el archivo tiene 4 GiB o más");
  local.compressed_size = FitField32(written.stored_size, "el archivo tiene 4 GiB o más");
  WriteAt(out_, offset, EncodeLocalHeader(local));

  end_ = data_start + written.stored_size;
  high_water_ = std::max(high_water_, end_);
  central_.push_back(CentralFor(local, entry, offset));
}

StreamedData ZipWriter::WriteData(EntrySource& data, uint64_t data_start, LocalHeader& local) {
  FileSink sink(out_);
  const StreamedData deflated = DeflateInParallel(data, sink);
  if (deflated.stored_size < deflated.raw_size) return deflated;

  // Deflate did not help: write the data again as it is over the deflated
  // bytes; Finish cuts off the tail that they leave.
  high_water_ = std::max(high_water_, data_start + deflated.stored_size);
  out_.Seek(data_start);
  data.Rewind();
  const StreamedData stored = StoreAll(data, sink);
  if (stored.raw_size != deflated.raw_size || stored.crc32 != deflated.crc32)
    throw ZipError(ZipCode::kSourceNotRead, "el archivo cambió mientras se comprimía");
  local.method = format::kMethodStored;
  local.version_needed = format::kVersionStored;
  return stored;
}

void ZipWriter::Finish() {
  EndRecord end{};
  end.central_dir_offset = FitField32(end_, "archivo ZIP de 4 GiB o más");
  uint64_t central_size = 0;
  out_.Seek(end_);
  for (const CentralHeader& central : central_) {
    const std::vector<uint8_t> bytes = EncodeCentralHeader(central);
    out_.Write(bytes.data(), bytes.size());
    central_size += bytes.size();
  }
  end.central_dir_size = FitField32(central_size, "directorio central de 4 GiB o más");
  end.entries_on_disk = end.entries_total = static_cast<uint16_t>(central_.size());
  const std::vector<uint8_t> record = EncodeEndRecord(end);
  out_.Write(record.data(), record.size());
  end_ += central_size + record.size();
  if (high_water_ > end_) out_.Truncate(end_);
}

}  // namespace qeb::zip
