#pragma once
// Raw deflate (no zlib header, as zip stores it) with the CRC-32 of the
// uncompressed data: one block of a stream compressed in blocks, copying,
// and inflating through fixed 32 KiB buffers.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "zip/streams.h"
#include "zip/zip_format.h"

namespace qeb::zip {

struct StreamedData {
  uint32_t crc32 = 0;
  uint64_t raw_size = 0;     // bytes read from the source
  uint64_t stored_size = 0;  // bytes written to the sink
};

// zlib's compression level for archive entries.
inline constexpr int kDeflateLevel = 6;

// How far back a deflate match may reach.
inline constexpr size_t kDeflateWindow = size_t{32} * 1024;

// The compressed bytes of one block. Grows without clearing, so that pages
// never written are never touched and cost no resident memory.
class BlockOutput {
 public:
  const uint8_t* data() const { return bytes_.get(); }
  size_t size() const { return size_; }
  void Clear() { size_ = 0; }
  // At least `count` writable bytes past the end (throws std::bad_alloc).
  std::span<uint8_t> Room(size_t count);
  // Adds the first `count` bytes of the last Room to the data.
  void Commit(size_t count) { size_ += count; }

 private:
  std::unique_ptr<uint8_t[]> bytes_;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

// Compresses the blocks of one raw deflate stream independently of each
// other. Each block is primed with the data just before it, so that matches
// reach back as they would in one pass, and ends on a byte boundary (an empty
// stored block) or, for the last one, with the final block: the outputs laid
// end to end are one standard deflate stream.
class BlockDeflater {
 public:
  BlockDeflater();  // throws std::bad_alloc
  ~BlockDeflater();
  BlockDeflater(const BlockDeflater&) = delete;
  BlockDeflater& operator=(const BlockDeflater&) = delete;

  // Appends the compressed `data` to `out`. `dictionary` is the end (at most
  // kDeflateWindow bytes) of the data before the block, empty for the first.
  void Compress(std::span<const uint8_t> dictionary, std::span<const uint8_t> data, bool last,
                BlockOutput& out);

 private:
  struct Stream;
  std::unique_ptr<Stream> stream_;
  bool used_ = false;
};

// Adds `count` bytes read to `data.raw_size`; throws ZipTooLargeError once it
// passes `limit`, the largest size an entry can have without Zip64.
void CountRaw(StreamedData& data, size_t count, uint64_t limit = format::kMaxSize32);

// CRC-32 of the data that follows `crc`.
uint32_t ContinueCrc32(uint32_t crc, std::span<const uint8_t> data);
// CRC-32 of two pieces of data laid end to end, from the CRC-32 of each. The
// second piece is shorter than 2 GiB (zlib counts it in a long, 32-bit on
// Windows); the blocks of a stream are far shorter.
uint32_t CombineCrc32(uint32_t first, uint32_t second, uint64_t second_size);

// Reads `source` to its end and writes it unchanged to `sink`. Throws
// ZipTooLargeError as soon as the source passes the 32-bit size limit.
StreamedData StoreAll(EntrySource& source, ByteSink& sink);

// Inflates the `compressed_size` bytes at `offset` of `input` into `sink`.
// Throws ZipFormatError when the stream is broken, ends early, leaves input
// over, or would give more than `expected_size` bytes.
StreamedData InflateRange(ArchiveInput& input, uint64_t offset, uint64_t compressed_size,
                          uint64_t expected_size, ByteSink& sink);
// Copies stored data, with its CRC-32.
StreamedData CopyRange(ArchiveInput& input, uint64_t offset, uint64_t size, ByteSink& sink);

}  // namespace qeb::zip
