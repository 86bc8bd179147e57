// Deflate in blocks on several threads: the stream inflates back to the data
// with its CRC-32, its bytes do not depend on the number of workers, matches
// reach back across blocks, the output stays within a hair of one pass, and
// a failure reaches the caller. (A full disk: the component's tests.)

#include "zip/parallel_deflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cerrno>

#include "base/run_error.h"
#include "tools/sua_sample.h"
#include "zip/zip_errors.h"
#include "zip/zip_format.h"
#include "zip_test_support.h"

namespace qeb::zip {
namespace {
using testing_zip::Mixed;
using testing_zip::StringSink;
using testing_zip::StringSource;

constexpr size_t kBlock = size_t{64} * 1024;

// Fails on its `fail_at`-th read (never at 0).
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

struct Deflated {
  std::string error = "none";
  StreamedData result;
  std::string bytes;
};

Deflated Deflate(const std::string& data, size_t block, unsigned workers, size_t in_flight = 0,
                 int fail_at = 0, uint64_t limit = format::kMaxSize32) {
  ParallelDeflateOptions options;
  if (block != 0) options.block_size = block;
  options.workers = workers;
  options.blocks_in_flight = in_flight;
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
  deflated.bytes = sink.bytes;
  return deflated;
}

// Inflated by the archive reader's codec, which refuses a stream that ends
// early or leaves bytes over. Block 0 is the default size.
TEST(ParallelDeflate, InflatesToTheDataWithItsCrcWhateverTheBlocks) {
  const struct {
    std::string data;
    size_t block;
    unsigned workers;
    size_t in_flight;
  } kCases[] = {{"", kBlock, 2, 0},
                {testing_zip::Text(1000, 1), kBlock, 2, 0},
                {testing_zip::Text(kBlock, 2), kBlock, 2, 0},
                {testing_zip::Text(kBlock + 1, 3), kBlock, 2, 0},
                {Mixed(3 * kBlock, 4), kBlock, 2, 0},
                {Mixed(2'500'000, 5), kBlock, 2, 0},
                {Mixed(1'000'000, 6), kBlock, 1, 2},
                {Mixed(1'000'000, 7), kBlock, 6, 3},
                {testing_zip::RandomBytes(700'000, 8), kBlock, 2, 0},
                {std::string(3'000'000, '\0'), kBlock, 2, 0},
                {Mixed(3'000'000, 9), 0, 0, 0},
                {Mixed(300'000, 10), 1000, 2, 0}};  // held to the smallest block, a whole window
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
  }
}

// The archive must not depend on the machine it was made on.
TEST(ParallelDeflate, SameBytesWhateverTheWorkersAndBlocksInFlight) {
  const std::string data = Mixed(2'000'000, 20);
  const Deflated reference = Deflate(data, kBlock, 1, 2);
  for (const auto& [workers, in_flight] :
       std::vector<std::pair<unsigned, size_t>>{{2, 2}, {2, 4}, {3, 3}, {8, 16}})
    EXPECT_TRUE(Deflate(data, kBlock, workers, in_flight).bytes == reference.bytes) << workers;
}

// The second block repeats, four times, the last quarter of the first, which
// is noise: only the dictionary taken from the first block lets its first
// copy shrink (without it that copy alone would cost 16 KiB). SUA data comes
// out at most a tenth of a percent larger than in one pass.
TEST(ParallelDeflate, StaysWithinAHairOfOnePass) {
  const std::string noise = testing_zip::RandomBytes(kBlock, 21);
  const std::string quarter = noise.substr(kBlock - kBlock / 4);
  EXPECT_LT(Deflate(noise + quarter + quarter + quarter + quarter, kBlock, 2).bytes.size(),
            kBlock + 4096);

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
  EXPECT_LE(Deflate(sua, 0, 0).bytes.size(), zs.total_out * 1001 / 1000);
}

TEST(ParallelDeflate, FailureReachesTheCaller) {
  const std::string data = Mixed(2'000'000, 30);
  EXPECT_EQ(Deflate(data, kBlock, 2, 0, 12).error, "read");
  EXPECT_EQ(Deflate(data, kBlock, 2, 0, 0, data.size() - 1).error, "large");
  EXPECT_EQ(Deflate(data, kBlock, 2, 0, 0, data.size()).error, "none");
}

}  // namespace
}  // namespace qeb::zip
