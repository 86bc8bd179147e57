#pragma once
// Deflate on every core. The data is cut into blocks that worker threads
// compress at the same time, each block primed with the 32 KiB before it; the
// compressed blocks are written in order and form one standard raw deflate
// stream, the same bytes whatever the number of workers. Memory stays at a few
// blocks whatever the size of the data.

#include <cstddef>
#include <cstdint>

#include "zip/deflate_codec.h"
#include "zip/streams.h"
#include "zip/zip_format.h"

namespace qeb::zip {

struct ParallelDeflateOptions {
  // Bytes of data per block, held between kDeflateWindow and 64 MiB. Each
  // block ends in a flush marker and starts new Huffman codes: at 512 KiB the
  // output of SUA data grows by about 0.03% over one pass, at 256 KiB by 0.1%,
  // while each block in flight costs its size in memory.
  size_t block_size = size_t{512} << 10;
  // Worker threads; 0 means one per core, at most eight.
  unsigned workers = 0;
  // Blocks read but not yet written, which bounds the memory; 0 means the
  // workers plus two (one being read, one waiting for its turn to be written).
  size_t blocks_in_flight = 0;
  // The largest data accepted; past it the data cannot be stored without Zip64.
  uint64_t size_limit = format::kMaxSize32;
};

// Reads `source` to its end and writes its deflated form to `sink`, with the
// CRC-32 of the data. Data that fits in one block is compressed on the calling
// thread, without starting any. Every worker has been joined when this
// returns or throws. Throws ZipTooLargeError as soon as the data passes the
// size limit, SourceReadError when the source cannot be read, and whatever
// the sink throws.
StreamedData DeflateInParallel(EntrySource& source, ByteSink& sink,
                               const ParallelDeflateOptions& options = {});

}  // namespace qeb::zip
