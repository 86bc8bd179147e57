// Deflate in blocks on several threads: the stream inflates back to the data
// with its CRC-32, its bytes do not depend on the number of workers, matches
// reach back across blocks, the output stays within a hair of one pass, and
// every failure reaches the caller with all workers joined.

#include "zip/parallel_deflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cerrno>
#include <filesystem>

#include "base/run_error.h"
#include "tools/sua_sample.h"
#include "zip/zip_errors.h"
#include "zip_test_support.h"

namespace qeb::zip {
namespace {
using testing_zip::Mixed;
using testing_zip::RandomBytes;
using testing_zip::StringSink;
using testing_zip::StringSource;
using testing_zip::Text;

constexpr size_t kBlock = size_t{64} * 1024;

ParallelDeflateOptions Blocks(size_t block_size, unsigned workers, size_t in_flight = 0) {
  ParallelDeflateOptions options;
  options.block_size = block_size;
  options.workers = workers;
  options.blocks_in_flight = in_flight;
  return options;
}

struct Deflated {
  StreamedData result;
  std::string bytes;
};

Deflated Deflate(const std::string& data, const ParallelDeflateOptions& options) {
  StringSource source(data);
  StringSink sink;
  const StreamedData result = DeflateInParallel(source, sink, options);
  return {result, sink.bytes};
}

// Inflates with the archive reader's codec, which refuses a stream that ends
// early or leaves bytes over.
std::string Inflate(const std::string& compressed, size_t expected_size) {
  MemoryArchive input({reinterpret_cast<const uint8_t*>(compressed.data()), compressed.size()});
  StringSink sink;
  InflateRange(input, 0, compressed.size(), expected_size, sink);
  return sink.bytes;
}

// Blocks in flight 0 means the default.
TEST(ParallelDeflate, InflatesToTheDataWithItsCrcWhateverTheBlocks) {
  const struct {
    std::string data;
    ParallelDeflateOptions options;
  } kCases[] = {
      {"", Blocks(kBlock, 2)},
      {Text(1000, 1), Blocks(kBlock, 2)},
      {Text(kBlock, 2), Blocks(kBlock, 2)},
      {Text(kBlock + 1, 3), Blocks(kBlock, 2)},
      {Mixed(3 * kBlock, 4), Blocks(kBlock, 2)},
      {Mixed(2'500'000, 5), Blocks(kBlock, 2)},
      {Mixed(1'000'000, 6), Blocks(kBlock, 1, 2)},
      {Mixed(1'000'000, 7), Blocks(kBlock, 6, 3)},
      {RandomBytes(700'000, 8), Blocks(kBlock, 2)},
      {std::string(3'000'000, '\0'), Blocks(kBlock, 2)},
      {Mixed(3'000'000, 9), ParallelDeflateOptions{}},
      {Mixed(300'000, 10), Blocks(1000, 2)},  // held to the smallest block, a whole window
  };
  for (const auto& c : kCases) {
    const Deflated deflated = Deflate(c.data, c.options);
    EXPECT_EQ(deflated.result.raw_size, c.data.size());
    EXPECT_EQ(deflated.result.stored_size, deflated.bytes.size());
    const auto crc =
        crc32(0, reinterpret_cast<const Bytef*>(c.data.data()), static_cast<uInt>(c.data.size()));
    EXPECT_EQ(deflated.result.crc32, crc) << c.data.size();
    EXPECT_TRUE(Inflate(deflated.bytes, c.data.size()) == c.data) << c.data.size();
  }
}

// The archive must not depend on the machine it was made on.
TEST(ParallelDeflate, SameBytesWhateverTheWorkersAndBlocksInFlight) {
  const std::string data = Mixed(2'000'000, 20);
  const Deflated reference = Deflate(data, Blocks(kBlock, 1, 2));
  for (const auto& [workers, in_flight] :
       std::vector<std::pair<unsigned, size_t>>{{2, 2}, {2, 4}, {3, 3}, {8, 16}})
    EXPECT_TRUE(Deflate(data, Blocks(kBlock, workers, in_flight)).bytes == reference.bytes)
        << workers << " workers, " << in_flight;
}

// The second block repeats, four times, the last quarter of the first, which
// is noise: only the dictionary taken from the first block lets its first
// copy shrink (without it that copy alone would cost 16 KiB). SUA data comes
// out at most a tenth of a percent larger than in one pass.
TEST(ParallelDeflate, MatchesReachBackIntoTheBlockBefore) {
  const std::string noise = RandomBytes(kBlock, 21);
  const std::string quarter = noise.substr(kBlock - kBlock / 4);
  const std::string data = noise + quarter + quarter + quarter + quarter;
  const Deflated deflated = Deflate(data, Blocks(kBlock, 2));
  EXPECT_LT(deflated.bytes.size(), kBlock + 4096);
  EXPECT_TRUE(Inflate(deflated.bytes, data.size()) == data);

  const std::string sua = sample::MakeSuaData("ABCD1234", 20'000, 3, 1);  // 5.9 MB
  z_stream zs{};
  ASSERT_EQ(deflateInit2(&zs, kDeflateLevel, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY), Z_OK);
  std::string one_pass(deflateBound(&zs, static_cast<uLong>(sua.size())), '\0');
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(sua.data()));
  zs.avail_in = static_cast<uInt>(sua.size());
  zs.next_out = reinterpret_cast<Bytef*>(one_pass.data());
  zs.avail_out = static_cast<uInt>(one_pass.size());
  EXPECT_EQ(deflate(&zs, Z_FINISH), Z_STREAM_END);
  deflateEnd(&zs);
  EXPECT_LE(Deflate(sua, ParallelDeflateOptions{}).bytes.size(), zs.total_out * 1001 / 1000);
}

// Threads of this process, where the system can tell; -1 elsewhere.
int ThreadCount() {
#ifdef __linux__
  int count = 0;
  for ([[maybe_unused]] const auto& task : std::filesystem::directory_iterator("/proc/self/task"))
    ++count;
  return count;
#else
  return -1;
#endif
}

// Fails on its `fail_at`-th read (never at 0), after handing out data on
// the ones before.
class FailingSource : public StringSource {
 public:
  FailingSource(std::string data, int fail_at) : StringSource(std::move(data)), fail_at_(fail_at) {}
  size_t Read(uint8_t* buffer, size_t count) override {
    if (++reads_ == fail_at_) throw SourceReadError(RunError(EIO, "scripted read failure"));
    return StringSource::Read(buffer, count);
  }

 private:
  int fail_at_;
  int reads_ = 0;
};

// A disk that fills up after `room` bytes.
class FullSink : public ByteSink {
 public:
  explicit FullSink(size_t room) : room_(room) {}
  void Write(const uint8_t*, size_t count) override {
    if (count > room_) throw RunError(ENOSPC, "No space left on device");
    room_ -= count;
  }

 private:
  size_t room_;
};

TEST(ParallelDeflate, FailureStopsTheWorkAndReachesTheCaller) {
  const std::string data = Mixed(2'000'000, 30);
  const struct {
    int fail_at;
    size_t room;
    uint64_t size_limit;
    std::string error;
  } kCases[] = {{12, SIZE_MAX, data.size(), "read"},
                {0, 300'000, data.size(), "full"},
                {0, SIZE_MAX, data.size() - 1, "large"},
                {0, SIZE_MAX, data.size(), "none"}};
  const int threads_before = ThreadCount();
  for (const auto& c : kCases) {
    FailingSource source(data, c.fail_at);
    FullSink sink(c.room);
    ParallelDeflateOptions options = Blocks(kBlock, 2);
    options.size_limit = c.size_limit;
    std::string error = "none";
    try {
      DeflateInParallel(source, sink, options);
    } catch (const SourceReadError&) {
      error = "read";
    } catch (const ZipTooLargeError&) {
      error = "large";
    } catch (const RunError& e) {
      error = e.number() == ENOSPC ? "full" : "other";
    }
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(ThreadCount(), threads_before);
  }
}

}  // namespace
}  // namespace qeb::zip
