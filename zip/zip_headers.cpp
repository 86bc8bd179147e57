#include "zip/zip_headers.h"

#include "zip/byte_cursor.h"
#include "zip/zip_errors.h"
#include "zip/zip_format.h"

namespace qeb::zip {
namespace {

void RequireSignature(ByteReader& in, uint32_t signature, const char* what) {
  if (in.U32() != signature) throw ZipFormatError(ZipDefect::kBadSignature, what);
}

}  // namespace

std::vector<uint8_t> EncodeLocalHeader(const LocalHeader& header) {
  ByteWriter out;
  out.U32(format::kLocalHeaderSig);
  out.U16(header.version_needed);
  out.U16(header.flags);
  out.U16(header.method);
  out.U16(header.dos_time);
  out.U16(header.dos_date);
  out.U32(header.crc32);
  out.U32(header.compressed_size);
  out.U32(header.uncompressed_size);
  out.U16(FitField16(header.name.size(), "nombre de entrada demasiado largo"));
  out.U16(FitField16(header.extra.size(), "campo extra demasiado largo"));
  out.Text(header.name);
  out.Text(header.extra);
  return out.bytes();
}

std::vector<uint8_t> EncodeCentralHeader(const CentralHeader& header) {
  ByteWriter out;
  out.U32(format::kCentralHeaderSig);
  out.U16(header.version_made_by);
  out.U16(header.version_needed);
  out.U16(header.flags);
  out.U16(header.method);
  out.U16(header.dos_time);
  out.U16(header.dos_date);
  out.U32(header.crc32);
  out.U32(header.compressed_size);
  out.U32(header.uncompressed_size);
  out.U16(FitField16(header.name.size(), "nombre de entrada demasiado largo"));
  out.U16(FitField16(header.extra.size(), "campo extra demasiado largo"));
  out.U16(FitField16(header.comment.size(), "comentario de entrada demasiado largo"));
  out.U16(header.disk_start);
  out.U16(header.internal_attributes);
  out.U32(header.external_attributes);
  out.U32(header.local_header_offset);
  out.Text(header.name);
  out.Text(header.extra);
  out.Text(header.comment);
  return out.bytes();
}

std::vector<uint8_t> EncodeEndRecord(const EndRecord& record) {
  ByteWriter out;
  out.U32(format::kEndOfCentralDirSig);
  out.U16(record.disk);
  out.U16(record.central_dir_disk);
  out.U16(record.entries_on_disk);
  out.U16(record.entries_total);
  out.U32(record.central_dir_size);
  out.U32(record.central_dir_offset);
  out.U16(0);  // no archive comment
  return out.bytes();
}

LocalHeader DecodeLocalHeader(std::span<const uint8_t, format::kLocalHeaderSize> bytes) {
  ByteReader in(bytes);
  RequireSignature(in, format::kLocalHeaderSig, "encabezado local");
  LocalHeader header{};
  header.version_needed = in.U16();
  header.flags = in.U16();
  header.method = in.U16();
  header.dos_time = in.U16();
  header.dos_date = in.U16();
  header.crc32 = in.U32();
  header.compressed_size = in.U32();
  header.uncompressed_size = in.U32();
  header.name_length = in.U16();
  header.extra_length = in.U16();
  return header;
}

CentralHeader DecodeCentralHeader(std::span<const uint8_t, format::kCentralHeaderSize> bytes) {
  ByteReader in(bytes);
  RequireSignature(in, format::kCentralHeaderSig, "directorio central");
  CentralHeader header{};
  header.version_made_by = in.U16();
  header.version_needed = in.U16();
  header.flags = in.U16();
  header.method = in.U16();
  header.dos_time = in.U16();
  header.dos_date = in.U16();
  header.crc32 = in.U32();
  header.compressed_size = in.U32();
  header.uncompressed_size = in.U32();
  header.name_length = in.U16();
  header.extra_length = in.U16();
  header.comment_length = in.U16();
  header.disk_start = in.U16();
  header.internal_attributes = in.U16();
  header.external_attributes = in.U32();
  header.local_header_offset = in.U32();
  return header;
}

EndRecord DecodeEndRecord(std::span<const uint8_t, format::kEndOfCentralDirSize> bytes) {
  ByteReader in(bytes);
  RequireSignature(in, format::kEndOfCentralDirSig, "registro final");
  EndRecord record{};
  record.disk = in.U16();
  record.central_dir_disk = in.U16();
  record.entries_on_disk = in.U16();
  record.entries_total = in.U16();
  record.central_dir_size = in.U32();
  record.central_dir_offset = in.U32();
  record.comment_length = in.U16();
  return record;
}

}  // namespace qeb::zip
