#include "zip/deflate_codec.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <limits>
#include <memory>
#include <new>
#include <string>

#include "zip/zip_errors.h"
#include "zip/zip_format.h"

namespace qeb::zip {
namespace {

constexpr size_t kChunk = size_t{32} * 1024;
using Chunk = std::array<uint8_t, kChunk>;
// zip stores deflate data without the zlib wrapper: negative window bits.
constexpr int kRawWindowBits = -15;
constexpr int kMemLevel = 8;

// zlib refuses a call that the program's own arguments cannot make it refuse:
// a fault of the program, not of the data.
[[noreturn]] void ZlibFault(const char* call) {
  throw ZipError(ZipCode::kUnexpected, std::string("zlib rechazó ") + call);
}

uint32_t UpdateCrc(uint32_t crc, const uint8_t* data, size_t count) {
  return static_cast<uint32_t>(crc32(crc, data, static_cast<uInt>(count)));
}

class Inflater {
 public:
  Inflater() {
    const int result = inflateInit2(&stream_, kRawWindowBits);
    if (result == Z_MEM_ERROR) throw std::bad_alloc();
    if (result != Z_OK) ZlibFault("inflateInit2");
  }
  ~Inflater() { inflateEnd(&stream_); }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;
  z_stream& stream() { return stream_; }

 private:
  z_stream stream_{};
};

}  // namespace

std::span<uint8_t> BlockOutput::Room(size_t count) {
  if (capacity_ - size_ < count) {
    const size_t capacity = std::max(size_ + count, capacity_ + capacity_ / 2);
    auto bytes = std::make_unique_for_overwrite<uint8_t[]>(capacity);
    std::copy_n(bytes_.get(), size_, bytes.get());
    bytes_ = std::move(bytes);
    capacity_ = capacity;
  }
  return {bytes_.get() + size_, capacity_ - size_};
}

struct BlockDeflater::Stream {
  z_stream zs{};
};

BlockDeflater::BlockDeflater() : stream_(std::make_unique<Stream>()) {
  const int result = deflateInit2(&stream_->zs, kDeflateLevel, Z_DEFLATED, kRawWindowBits,
                                  kMemLevel, Z_DEFAULT_STRATEGY);
  if (result == Z_MEM_ERROR) throw std::bad_alloc();
  if (result != Z_OK) ZlibFault("deflateInit2");
}

BlockDeflater::~BlockDeflater() {
  deflateEnd(&stream_->zs);
}

void BlockDeflater::Compress(std::span<const uint8_t> dictionary, std::span<const uint8_t> data,
                             bool last, BlockOutput& out) {
  z_stream& zs = stream_->zs;
  if (used_ && deflateReset(&zs) != Z_OK) ZlibFault("deflateReset");
  used_ = true;
  if (!dictionary.empty() &&
      deflateSetDictionary(&zs, dictionary.data(), static_cast<uInt>(dictionary.size())) != Z_OK)
    ZlibFault("deflateSetDictionary");
  zs.next_in = const_cast<Bytef*>(data.data());
  zs.avail_in = static_cast<uInt>(data.size());
  // A sync flush ends the block's data on a byte boundary without ending the
  // stream; the bound leaves room for its empty stored block.
  const int flush = last ? Z_FINISH : Z_SYNC_FLUSH;
  size_t room = deflateBound(&zs, static_cast<uLong>(data.size())) + 16;
  for (;;) {
    const std::span<uint8_t> space = out.Room(room);
    zs.next_out = space.data();
    zs.avail_out = static_cast<uInt>(space.size());
    const int result = deflate(&zs, flush);
    if (result == Z_STREAM_ERROR) ZlibFault("deflate");
    out.Commit(space.size() - zs.avail_out);
    if (last ? result == Z_STREAM_END : zs.avail_out != 0) return;
    room = kChunk;
  }
}

void CountRaw(StreamedData& data, size_t count, uint64_t limit) {
  data.raw_size += count;
  if (data.raw_size > limit) throw ZipTooLargeError("el archivo tiene 4 GiB o más");
}

uint32_t ContinueCrc32(uint32_t crc, std::span<const uint8_t> data) {
  return UpdateCrc(crc, data.data(), data.size());
}

uint32_t CombineCrc32(uint32_t first, uint32_t second, uint64_t second_size) {
  if (second_size > static_cast<uint64_t>(std::numeric_limits<z_off_t>::max()))
    ZlibFault("crc32_combine");
  return static_cast<uint32_t>(crc32_combine(first, second, static_cast<z_off_t>(second_size)));
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
