// The sample generator's contract: the same bytes for the same seed on every
// platform, records ending in a validation record that fits the name and
// states the disk count, and the sizes and piece counts asked for.

#include "tools/sua_sample.h"

#include <gtest/gtest.h>

#include "sua/validation_record.h"

namespace qeb::sample {
namespace {

struct SampleCase {
  std::string name8;
  size_t records;
  uint64_t seed;
  size_t pieces;
};

class Sample : public testing::TestWithParam<SampleCase> {};

TEST_P(Sample, FitsItsNameAndSplitsAsAsked) {
  const SampleCase& c = GetParam();
  const std::string data = MakeSuaData(c.name8, c.records, c.seed, 0);
  ASSERT_EQ(data.size(), c.records * kRecordLength);
  EXPECT_EQ(data.find_first_of(std::string("\r\n\x1A", 3)), std::string::npos);
  EXPECT_EQ(MakeSuaData(c.name8, c.records, c.seed, 0), data);
  EXPECT_NE(MakeSuaData(c.name8, c.records, c.seed + 1, 0), data);

  const SplitSet set = MakeSplitSetOfCount(data, c.pieces);
  ASSERT_EQ(set.pieces.size(), c.pieces);
  std::string joined;
  for (const std::string& piece : set.pieces) joined += piece.empty() ? "(empty)" : piece;
  EXPECT_EQ(joined, set.data);
  EXPECT_GE(set.pieces.back().size(), kRecordLength);
  ValidationFields fields;
  ExtractValidationFields(std::string_view(joined).substr(joined.size() - kRecordLength), fields);
  EXPECT_EQ(fields.RegValDiscos, static_cast<int>(c.pieces));
  EXPECT_TRUE(NameMatchesValidationRecord(c.name8 + ".SUA", fields));
  for (size_t i = 0; i < c.name8.size(); ++i) {
    std::string other = c.name8;
    other[i] = other[i] == '7' ? '8' : '7';
    EXPECT_FALSE(NameMatchesValidationRecord(other + ".SUA", fields)) << other;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, Sample,
                         testing::Values(SampleCase{"S0307379", 3, 5, 1},
                                         SampleCase{"A1B2C3D4", 10, 9, 2},
                                         SampleCase{"ab0cDeF1", 400, 0xFFFFFFFFFFFFFFFFull, 99}));

// The Windows build has to give the same bytes.
TEST(Sample, BytesAreTheSameOnEveryPlatform) {
  uint64_t hash = 0xCBF29CE484222325ull;  // FNV-1a
  for (unsigned char c : MakeSuaData("S0307379", 500, 2006, 4))
    hash = (hash ^ c) * 0x100000001B3ull;
  EXPECT_EQ(hash, 0x4A0A4DD45B6E6AE7ull);
}

}  // namespace
}  // namespace qeb::sample
