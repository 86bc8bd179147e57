// Deflate in blocks on several threads: the stream inflates back to the data
// with its CRC-32, its bytes do not depend on the number of workers, matches
// reach back across blocks, and a failure reaches the caller. (A full disk: the component's tests;
// the size against one pass: bench/compare.sh.)

#include "zip/parallel_deflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <thread>
#include <tuple>

#include "base/run_error.h"
#include "zip/deflate_codec.h"
#include "zip/zip_errors.h"
#include "zip/zip_format.h"
#include "zip_test_support.h"

namespace qeb::zip::testing_zip {
namespace {

constexpr size_t kBlock = size_t{64} * 1024;

// Fails on its `fail_at`-th read (never at 0). Keeps the most bytes a read asked for and, on
// Linux, the most threads started since its first read.
class FailingSource : public StringSource {
 public:
  FailingSource(std::string data, int fail_at) : StringSource(std::move(data)), fail_at_(fail_at) {}
  size_t Read(uint8_t* buffer, size_t count) override {
    if (++reads_ == fail_at_) throw SourceReadError(RunError(EIO, "scripted read failure"));
    asked = std::max(asked, static_cast<std::ptrdiff_t>(count));
#ifdef __linux__
    const auto now = std::distance(std::filesystem::directory_iterator("/proc/self/task"), {});
    threads = std::max(threads, now - (reads_ == 1 ? (first_ = now) : first_));
#endif
    return StringSource::Read(buffer, count);
  }
  std::ptrdiff_t asked = 0, threads = 0, first_ = 0;

 private:
  int fail_at_, reads_ = 0;
};

struct Deflated {
  std::string error = "none";
  StreamedData result;
  std::string bytes;
  std::ptrdiff_t asked, threads;  // by the largest read; started
};

Deflated Deflate(const std::string& data, size_t block, unsigned workers, size_t in_flight = 0,
                 int fail_at = 0, uint64_t limit = format::kMaxSize32) {
  ParallelDeflateOptions options;  // 0: the default
  if (workers != 0) options.workers = workers;
  if (in_flight != 0) options.blocks_in_flight = in_flight;
  if (block != 0) options.block_size = block;
  options.size_limit = limit;
  FailingSource source(data, fail_at);
  StringSink sink;
  Deflated deflated;
  try {
    deflated.result = DeflateInParallel(source, sink, options);
  } catch (const SourceReadError&) {
    deflated.error = "read";
  } catch (const ZipTooLargeError&) {
    deflated.error = "large";
  }
  deflated.bytes = sink.bytes, deflated.asked = source.asked, deflated.threads = source.threads;
  return deflated;
}

// Inflated by the archive reader's codec, which refuses a stream that ends
// early or leaves bytes over; the same bytes come out of three workers with
// five blocks in flight. Block 0 is the default size.
TEST(ParallelDeflate, InflatesToTheDataWithItsCrcWhateverTheBlocksAndWorkers) {
  // clang-format off
  const struct {
    std::string data;
    size_t block;
    unsigned workers;
    size_t in_flight;
  } kCases[] = {{"", kBlock, 2, 0}, {Text(1000, 1), kBlock, 2, 0}, {Text(kBlock, 2), kBlock, 2, 0},
                {Text(kBlock + 1, 3), kBlock, 2, 0}, {Mixed(3 * kBlock, 4), kBlock, 2, 0},
                {Mixed(1'000'000, 6), kBlock, 1, 2}, {Mixed(2'000'000, 20), kBlock, 8, 16},
                {RandomBytes(700'000, 8), kBlock, 2, 0},
                {std::string(3'000'000, '\0'), kBlock, 2, 0}, {Mixed(3'000'000, 9), 0, 0, 0},
                {Mixed(300'000, 10), 1000, 2, 0}};  // held to the smallest block, a whole window
  // clang-format on
  for (const auto& c : kCases) {
    const Deflated deflated = Deflate(c.data, c.block, c.workers, c.in_flight);
    EXPECT_EQ(deflated.result.raw_size, c.data.size());
    EXPECT_EQ(deflated.result.stored_size, deflated.bytes.size());
    EXPECT_EQ(deflated.result.crc32, crc32(0, reinterpret_cast<const Bytef*>(c.data.data()),
                                           static_cast<uInt>(c.data.size())));
    MemoryArchive input(
        {reinterpret_cast<const uint8_t*>(deflated.bytes.data()), deflated.bytes.size()});
    StringSink sink;
    InflateRange(input, 0, deflated.bytes.size(), c.data.size(), sink);
    EXPECT_TRUE(sink.bytes == c.data) << c.data.size();
    EXPECT_TRUE(Deflate(c.data, c.block, 3, 5).bytes == deflated.bytes) << c.data.size();
  }
}

// The second block repeats, four times, the last quarter of the first, which
// is noise: only the dictionary taken from the first block lets its first
// copy shrink (without it that copy alone would cost 16 KiB).
TEST(ParallelDeflate, EachBlockReachesBackIntoTheOneBefore) {
  const std::string noise = RandomBytes(kBlock, 21);
  const std::string quarter = noise.substr(kBlock - kBlock / 4);
  EXPECT_LT(Deflate(noise + quarter + quarter + quarter + quarter, kBlock, 2).bytes.size(),
            kBlock + 4096);
}

// Blocks are held between one window and 64 MiB, 512 KiB when no size is asked for; data of
// more than one block is compressed by the workers asked for (counted on Linux).
TEST(ParallelDeflate, ReadsBlocksOfTheSizeAskedOnTheWorkersAskedFor) {
  for (const auto& [block, asked] : std::vector<std::pair<size_t, size_t>>{
           {1000, 32768}, {size_t{1} << 30, size_t{64} << 20}, {0, size_t{512} << 10}})
    EXPECT_EQ(Deflate("abc", block, 2).asked, static_cast<std::ptrdiff_t>(asked)) << block;
#ifdef __linux__
  EXPECT_EQ(Deflate(Mixed(300'000, 1), kBlock, 3).threads, 3);
  // None asked for: one per core, at most eight.
  const auto cores = static_cast<std::ptrdiff_t>(std::thread::hardware_concurrency());
  EXPECT_EQ(Deflate(Mixed(1'000'000, 1), kBlock, 0).threads,
            std::clamp<std::ptrdiff_t>(cores, 1, 8));
#endif
}

// Reading runs ahead of writing by the blocks in flight, the workers plus two
// when none are asked for: that bounds the memory held.
TEST(ParallelDeflate, ReadsAheadByTheBlocksInFlight) {
  struct CountingSource : StringSource {
    using StringSource::StringSource;
    size_t Read(uint8_t* buffer, size_t count) override {
      ++reads;
      return StringSource::Read(buffer, count);
    }
    int reads = 0;
  };
  struct FirstWriteSink : ByteSink {
    explicit FirstWriteSink(const int& reads) : reads(reads) {}
    void Write(const uint8_t*, size_t) override {
      if (reads_at_first_write < 0) reads_at_first_write = reads;
    }
    const int& reads;
    int reads_at_first_write = -1;
  };
  for (const auto& [workers, in_flight, ahead] :
       std::vector<std::tuple<unsigned, size_t, int>>{{3, 0, 5}, {1, 0, 3}, {2, 4, 4}}) {
    CountingSource source(Mixed(12 * kBlock, 2));
    FirstWriteSink sink(source.reads);
    ParallelDeflateOptions options{.block_size = kBlock, .workers = workers};
    if (in_flight != 0) options.blocks_in_flight = in_flight;
    DeflateInParallel(source, sink, options);
    EXPECT_EQ(sink.reads_at_first_write, ahead) << workers << " " << in_flight;
  }
}

// Data that deflate would not make smaller, not even by one byte, is stored (method 0).
TEST(ZipWriter, StoresDataThatDeflateWouldNotMakeSmaller) {
  std::string data = RandomBytes(2000, 4);  // noise, then zeros until deflate saves nothing
  while (Deflate(data, 0, 1).bytes.size() != data.size() && data.size() < 3000) data += '\0';
  EXPECT_EQ(ReadArchive(BuildArchive({{"n", data, ""}})).entries.at(0).method, 0) << data.size();
}

TEST(ParallelDeflate, FailureReachesTheCaller) {
  const std::string data = Mixed(2'000'000, 30);
  EXPECT_EQ(Deflate(data, kBlock, 2, 0, 12).error, "read");
  EXPECT_EQ(Deflate(data, kBlock, 2, 0, 0, data.size() - 1).error, "large");
  EXPECT_EQ(Deflate(data, kBlock, 2, 0, 0, data.size()).error, "none");
}

}  // namespace
}  // namespace qeb::zip::testing_zip
