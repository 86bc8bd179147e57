// The sample generator's contract: the same bytes for the same seed on every
// platform, records ending in a validation record that fits the name and
// states the disk count, and the sizes and piece counts asked for.

#include "tools/sua_sample.h"

#include <gtest/gtest.h>

#include <tuple>

#include "sua/validation_record.h"

namespace qeb::sample {
namespace {

TEST(Sample, FitsItsNameAndSplitsAsAsked) {
  // The name, the records, the seed and the pieces.
  for (const auto& [name8, records, seed, pieces] :
       std::vector<std::tuple<std::string, size_t, uint64_t, size_t>>{
           {"S0307379", 3, 5, 1}, {"A1B2C3D4", 10, 9, 2}, {"ab0cDeF1", 400, ~uint64_t{0}, 99}}) {
    const std::string data = MakeSuaData(name8, records, seed, 0);
    ASSERT_EQ(data.size(), records * kRecordLength);
    EXPECT_EQ(data.find_first_of(std::string("\r\n\x1A", 3)), std::string::npos);
    EXPECT_EQ(MakeSuaData(name8, records, seed, 0), data);
    EXPECT_NE(MakeSuaData(name8, records, seed + 1, 0), data);

    const SplitSet set = MakeSplitSetOfCount(data, pieces);
    ASSERT_EQ(set.pieces.size(), pieces);
    std::string joined;
    for (const std::string& piece : set.pieces) joined += piece.empty() ? "(empty)" : piece;
    EXPECT_EQ(joined, set.data);
    EXPECT_GE(set.pieces.back().size(), kRecordLength);
    ValidationFields fields;
    ExtractValidationFields(std::string_view(joined).substr(joined.size() - kRecordLength), fields);
    EXPECT_EQ(fields.RegValDiscos, static_cast<int>(pieces));
    EXPECT_TRUE(NameMatchesValidationRecord(name8 + ".SUA", fields));
  }
}

// The Windows build has to give the same bytes too.
TEST(Sample, BytesAreTheSameOnEveryPlatform) {
  uint64_t hash = 0xCBF29CE484222325ull;  // FNV-1a
  for (const unsigned char c : MakeSuaData("S0307379", 500, 2006, 4))
    hash = (hash ^ c) * 0x100000001B3ull;
  EXPECT_EQ(hash, 0x4A0A4DD45B6E6AE7ull);
}

}  // namespace
}  // namespace qeb::sample
