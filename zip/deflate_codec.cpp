#include "zip/deflate_codec.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <new>
#include <stdexcept>

#include "zip/zip_errors.h"
#include "zip/zip_format.h"

namespace qeb::zip {
namespace {

constexpr size_t kChunk = 32 * 1024;
using Chunk = std::array<uint8_t, kChunk>;
// zip stores deflate data without the zlib wrapper: negative window bits.
constexpr int kRawWindowBits = -15;
constexpr int kMemLevel = 8;

uint32_t UpdateCrc(uint32_t crc, const uint8_t* data, size_t count) {
  return static_cast<uint32_t>(crc32(crc, data, static_cast<uInt>(count)));
}

void CountRaw(StreamedData& data, size_t count) {
  data.raw_size += count;
  if (data.raw_size > format::kMaxSize32) throw ZipTooLargeError("el archivo tiene 4 GiB o más");
}

class Deflater {
 public:
  Deflater() {
    const int result = deflateInit2(&stream_, kDeflateLevel, Z_DEFLATED, kRawWindowBits, kMemLevel,
                                    Z_DEFAULT_STRATEGY);
    if (result == Z_MEM_ERROR) throw std::bad_alloc();
    if (result != Z_OK) throw std::runtime_error("deflateInit2 failed");
  }
  ~Deflater() { deflateEnd(&stream_); }
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;
  z_stream& stream() { return stream_; }

 private:
  z_stream stream_{};
};

class Inflater {
 public:
  Inflater() {
    const int result = inflateInit2(&stream_, kRawWindowBits);
    if (result == Z_MEM_ERROR) throw std::bad_alloc();
    if (result != Z_OK) throw std::runtime_error("inflateInit2 failed");
  }
  ~Inflater() { inflateEnd(&stream_); }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;
  z_stream& stream() { return stream_; }

 private:
  z_stream stream_{};
};

}  // namespace

StreamedData DeflateAll(EntrySource& source, ByteSink& sink) {
  Deflater deflater;
  z_stream& zs = deflater.stream();
  Chunk in;
  Chunk out;
  StreamedData data;
  int flush = Z_NO_FLUSH;
  while (flush != Z_FINISH) {
    const size_t got = source.Read(in.data(), in.size());
    CountRaw(data, got);
    data.crc32 = UpdateCrc(data.crc32, in.data(), got);
    flush = got == 0 ? Z_FINISH : Z_NO_FLUSH;
    zs.next_in = in.data();
    zs.avail_in = static_cast<uInt>(got);
    do {
      zs.next_out = out.data();
      zs.avail_out = static_cast<uInt>(out.size());
      if (deflate(&zs, flush) == Z_STREAM_ERROR) throw std::logic_error("deflate state broken");
      const size_t have = out.size() - zs.avail_out;
      sink.Write(out.data(), have);
      data.stored_size += have;
    } while (zs.avail_out == 0);
  }
  return data;
}

StreamedData StoreAll(EntrySource& source, ByteSink& sink) {
  Chunk in;
  StreamedData data;
  for (size_t got; (got = source.Read(in.data(), in.size())) != 0;) {
    CountRaw(data, got);
    data.crc32 = UpdateCrc(data.crc32, in.data(), got);
    sink.Write(in.data(), got);
  }
  data.stored_size = data.raw_size;
  return data;
}

StreamedData InflateRange(ArchiveInput& input, uint64_t offset, uint64_t compressed_size,
                          uint64_t expected_size, ByteSink& sink) {
  RequireInside(offset, compressed_size, input.Size());
  Inflater inflater;
  z_stream& zs = inflater.stream();
  Chunk in;
  Chunk out;
  StreamedData data;
  uint64_t left = compressed_size;
  int result = Z_OK;
  while (result != Z_STREAM_END) {
    if (zs.avail_in == 0 && left > 0) {
      const size_t take = static_cast<size_t>(std::min<uint64_t>(left, in.size()));
      input.ReadAt(offset + data.stored_size, std::span(in.data(), take));
      data.stored_size += take;
      left -= take;
      zs.next_in = in.data();
      zs.avail_in = static_cast<uInt>(take);
    }
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(out.size());
    result = inflate(&zs, Z_NO_FLUSH);
    if (result == Z_MEM_ERROR) throw std::bad_alloc();
    // Z_BUF_ERROR: no progress with all the input given, so the stream ends early.
    if (result != Z_OK && result != Z_STREAM_END)
      throw ZipFormatError(ZipDefect::kBadCompressedData, zs.msg != nullptr ? zs.msg : "");
    const size_t have = out.size() - zs.avail_out;
    if (have > expected_size - data.raw_size)
      throw ZipFormatError(ZipDefect::kSizeMismatch, "más datos de los declarados");
    data.raw_size += have;
    data.crc32 = UpdateCrc(data.crc32, out.data(), have);
    sink.Write(out.data(), have);
  }
  if (zs.avail_in != 0 || left != 0)
    throw ZipFormatError(ZipDefect::kInconsistent, "sobran datos tras el flujo comprimido");
  return data;
}

StreamedData CopyRange(ArchiveInput& input, uint64_t offset, uint64_t size, ByteSink& sink) {
  RequireInside(offset, size, input.Size());
  Chunk buffer;
  StreamedData data;
  while (data.raw_size < size) {
    const size_t take = static_cast<size_t>(std::min<uint64_t>(size - data.raw_size, kChunk));
    input.ReadAt(offset + data.raw_size, std::span(buffer.data(), take));
    data.crc32 = UpdateCrc(data.crc32, buffer.data(), take);
    sink.Write(buffer.data(), take);
    data.raw_size += take;
  }
  data.stored_size = data.raw_size;
  return data;
}

}  // namespace qeb::zip
