#pragma once
// Raw deflate (no zlib header, as zip stores it) through fixed 32 KiB
// buffers, with the CRC-32 of the uncompressed data.

#include <cstdint>

#include "zip/streams.h"

namespace qeb::zip {

struct StreamedData {
  uint32_t crc32 = 0;
  uint64_t raw_size = 0;     // bytes read from the source
  uint64_t stored_size = 0;  // bytes written to the sink
};

// zlib level 6, its default balance of speed and size.
inline constexpr int kDeflateLevel = 6;

// Reads `source` to its end and writes its deflated form to `sink`. Throws
// ZipTooLargeError as soon as the source passes the 32-bit size limit.
StreamedData DeflateAll(EntrySource& source, ByteSink& sink);
// The same, copying the data unchanged.
StreamedData StoreAll(EntrySource& source, ByteSink& sink);

// Inflates the `compressed_size` bytes at `offset` of `input` into `sink`.
// Throws ZipFormatError when the stream is broken, ends early, leaves input
// over, or would give more than `expected_size` bytes.
StreamedData InflateRange(ArchiveInput& input, uint64_t offset, uint64_t compressed_size,
                          uint64_t expected_size, ByteSink& sink);
// Copies stored data, with its CRC-32.
StreamedData CopyRange(ArchiveInput& input, uint64_t offset, uint64_t size, ByteSink& sink);

}  // namespace qeb::zip
