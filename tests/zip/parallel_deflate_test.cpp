// Deflate in blocks on several threads: the stream inflates back to the data
// with its CRC-32, its bytes do not depend on the number of workers, matches
// reach back across blocks, the output stays within a hair of one pass, and
// every failure reaches the caller with all workers joined.

#include "zip/parallel_deflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cerrno>
#include <filesystem>
#include <functional>

#include "base/run_error.h"
#include "tools/sua_sample.h"
#include "zip/zip_errors.h"
#include "zip_test_support.h"

namespace qeb::zip {
namespace {
using testing_zip::RandomBytes;
using testing_zip::StringSink;
using testing_zip::StringSource;
using testing_zip::Text;

constexpr size_t kBlock = size_t{64} * 1024;

uint32_t Crc32Of(const std::string& data) {
  return static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

// One raw deflate pass over the whole data with the same effort.
size_t OnePassSize(const std::string& data) {
  z_stream zs{};
  EXPECT_EQ(deflateInit2(&zs, kDeflateLevel, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY), Z_OK);
  std::string out(deflateBound(&zs, static_cast<uLong>(data.size())), '\0');
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  zs.avail_in = static_cast<uInt>(data.size());
  zs.next_out = reinterpret_cast<Bytef*>(out.data());
  zs.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&zs, Z_FINISH), Z_STREAM_END);
  deflateEnd(&zs);
  return zs.total_out;
}

// Inflates with the archive reader's codec, which refuses a stream that ends
// early or leaves bytes over.
std::string Inflate(const std::string& compressed, size_t expected_size) {
  MemoryArchive input({reinterpret_cast<const uint8_t*>(compressed.data()), compressed.size()});
  StringSink sink;
  InflateRange(input, 0, compressed.size(), expected_size, sink);
  return sink.bytes;
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

ParallelDeflateOptions Blocks(size_t block_size, unsigned workers, size_t in_flight = 0) {
  ParallelDeflateOptions options;
  options.block_size = block_size;
  options.workers = workers;
  options.blocks_in_flight = in_flight;
  return options;
}

// Text with stretches of noise, so that both stored and compressed deflate
// blocks occur.
std::string Mixed(size_t length, uint32_t seed) {
  std::string data;
  while (data.size() < length)
    data += seed % 3 == 2 ? RandomBytes(50'000, seed++) : Text(120'000, seed++);
  data.resize(length);
  return data;
}

struct RoundTrip {
  std::string name;
  std::function<std::string()> data;
  ParallelDeflateOptions options;
  friend void PrintTo(const RoundTrip& c, std::ostream* out) { *out << c.name; }
};

class ParallelDeflateRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(ParallelDeflateRoundTrip, InflatesToTheDataWithItsCrc) {
  const std::string data = GetParam().data();
  const Deflated deflated = Deflate(data, GetParam().options);
  EXPECT_EQ(deflated.result.raw_size, data.size());
  EXPECT_EQ(deflated.result.stored_size, deflated.bytes.size());
  EXPECT_EQ(deflated.result.crc32, Crc32Of(data));
  EXPECT_TRUE(Inflate(deflated.bytes, data.size()) == data);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, ParallelDeflateRoundTrip,
    testing::Values(
        RoundTrip{"Empty", [] { return std::string(); }, Blocks(kBlock, 2)},
        RoundTrip{"ShortText", [] { return Text(1000, 1); }, Blocks(kBlock, 2)},
        RoundTrip{"ExactlyOneBlock", [] { return Text(kBlock, 2); }, Blocks(kBlock, 2)},
        RoundTrip{"OneBlockAndOneByte", [] { return Text(kBlock + 1, 3); }, Blocks(kBlock, 2)},
        RoundTrip{"ExactlyThreeBlocks", [] { return Mixed(3 * kBlock, 4); }, Blocks(kBlock, 2)},
        RoundTrip{"ManyBlocksTwoWorkers", [] { return Mixed(2'500'000, 5); }, Blocks(kBlock, 2)},
        RoundTrip{"ManyBlocksOneWorker", [] { return Mixed(1'000'000, 6); }, Blocks(kBlock, 1, 2)},
        RoundTrip{"ManyBlocksManyWorkers", [] { return Mixed(1'000'000, 7); },
                  Blocks(kBlock, 6, 3)},
        RoundTrip{"Noise", [] { return RandomBytes(700'000, 8); }, Blocks(kBlock, 2)},
        RoundTrip{"Zeros", [] { return std::string(3'000'000, '\0'); }, Blocks(kBlock, 2)},
        RoundTrip{"DefaultBlocks", [] { return Mixed(3'000'000, 9); }, ParallelDeflateOptions{}},
        // Held to the smallest block, which still holds a whole window.
        RoundTrip{"BlockBelowTheWindow", [] { return Mixed(300'000, 10); }, Blocks(1000, 2)}),
    [](const testing::TestParamInfo<RoundTrip>& info) { return info.param.name; });

// The archive must not depend on the machine it was made on.
TEST(ParallelDeflate, SameBytesWhateverTheWorkersAndBlocksInFlight) {
  const std::string data = Mixed(2'000'000, 20);
  const Deflated reference = Deflate(data, Blocks(kBlock, 1, 2));
  for (const auto& [workers, in_flight] :
       std::vector<std::pair<unsigned, size_t>>{{2, 2}, {2, 4}, {3, 3}, {8, 16}}) {
    const Deflated other = Deflate(data, Blocks(kBlock, workers, in_flight));
    EXPECT_TRUE(other.bytes == reference.bytes) << workers << " workers, " << in_flight;
    EXPECT_EQ(other.result.crc32, reference.result.crc32);
  }
}

// The second block repeats, four times, the last quarter of the first, which
// is noise: only the dictionary taken from the first block lets its first
// copy shrink (without it that copy alone would cost 16 KiB).
TEST(ParallelDeflate, MatchesReachBackIntoTheBlockBefore) {
  const std::string noise = RandomBytes(kBlock, 21);
  const std::string quarter = noise.substr(kBlock - kBlock / 4);
  const std::string data = noise + quarter + quarter + quarter + quarter;
  const Deflated deflated = Deflate(data, Blocks(kBlock, 2));
  EXPECT_LT(deflated.bytes.size(), kBlock + 4096);
  EXPECT_TRUE(Inflate(deflated.bytes, data.size()) == data);
}

TEST(ParallelDeflate, SuaDataIsAtMostATenthOfAPercentLargerThanOnePass) {
  const std::string data = sample::MakeSuaData("ABCD1234", 20'000, 3, 1);  // 5.9 MB
  const Deflated deflated = Deflate(data, ParallelDeflateOptions{});
  const size_t one_pass = OnePassSize(data);
  EXPECT_LE(deflated.bytes.size(), one_pass + one_pass / 1000) << one_pass;
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

// Fails on its `fail_at`-th read, after handing out data on the ones before.
class FailingSource : public EntrySource {
 public:
  FailingSource(std::string data, int fail_at) : data_(std::move(data)), fail_at_(fail_at) {}
  size_t Read(uint8_t* buffer, size_t count) override {
    if (++reads_ == fail_at_) throw SourceReadError(RunError(EIO, "scripted read failure"));
    return inner_.Read(buffer, count);
  }
  void Rewind() override { inner_.Rewind(); }

 private:
  std::string data_;
  StringSource inner_{data_};
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

TEST(ParallelDeflateFailure, UnreadableSourceStopsTheWorkAndReachesTheCaller) {
  const int threads_before = ThreadCount();
  FailingSource source(Mixed(2'000'000, 30), 12);
  StringSink sink;
  EXPECT_THROW(DeflateInParallel(source, sink, Blocks(kBlock, 2)), SourceReadError);
  EXPECT_EQ(ThreadCount(), threads_before);
}

TEST(ParallelDeflateFailure, FullDiskStopsTheWorkAndReachesTheCaller) {
  const int threads_before = ThreadCount();
  StringSource source(RandomBytes(2'000'000, 31));
  FullSink sink(300'000);
  long number = 0;
  try {
    DeflateInParallel(source, sink, Blocks(kBlock, 2));
  } catch (const RunError& error) {
    number = error.number();
  }
  EXPECT_EQ(number, ENOSPC);
  EXPECT_EQ(ThreadCount(), threads_before);
}

TEST(ParallelDeflateFailure, DataPastTheSizeLimitIsRefused) {
  const int threads_before = ThreadCount();
  const std::string data = Mixed(1'000'000, 32);
  ParallelDeflateOptions options = Blocks(kBlock, 2);
  options.size_limit = data.size() - 1;
  StringSource source(data);
  StringSink sink;
  EXPECT_THROW(DeflateInParallel(source, sink, options), ZipTooLargeError);
  EXPECT_EQ(ThreadCount(), threads_before);

  options.size_limit = data.size();
  EXPECT_EQ(Deflate(data, options).result.raw_size, data.size());
}

}  // namespace
}  // namespace qeb::zip
