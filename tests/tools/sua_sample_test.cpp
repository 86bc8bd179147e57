#include "tools/sua_sample.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "app/run_state.h"
#include "sua/validation_record.h"

namespace qeb::sample {
namespace {

namespace stdfs = std::filesystem;

std::string Tail(const std::string& data) {
  return data.substr(data.size() - kRecordLength);
}

RunState FieldsOf(const std::string& data) {
  RunState state;
  ExtractValidationFields(Tail(data), state);
  return state;
}

std::string Join(const std::vector<std::string>& pieces) {
  std::string joined;
  for (const std::string& piece : pieces) joined += piece;
  return joined;
}

std::string ReadAll(const stdfs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A fresh folder per test, removed afterwards.
class TempFolder : public testing::Test {
 protected:
  void SetUp() override {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    path_ = stdfs::temp_directory_path() /
            (std::string("qeb_tools_") + info->test_suite_name() + "_" + info->name());
    stdfs::remove_all(path_);
    stdfs::create_directories(path_);
  }
  void TearDown() override { stdfs::remove_all(path_); }
  std::string folder() const { return path_.string(); }

  stdfs::path path_;
};

struct DataCase {
  std::string name8;
  size_t records;
  uint64_t seed;
  int disks;
};

class SuaData : public testing::TestWithParam<DataCase> {};

TEST_P(SuaData, IsRecordsEndingInAValidationRecordThatFitsTheName) {
  const DataCase& c = GetParam();
  const std::string data = MakeSuaData(c.name8, c.records, c.seed, c.disks);

  ASSERT_EQ(data.size(), c.records * kRecordLength);
  EXPECT_EQ(data.find_first_of(std::string("\r\n\x1A\0", 4)), std::string::npos);
  for (size_t at = 0; at < data.size(); at += kRecordLength) {
    EXPECT_TRUE(data[at] == '0' && data[at + 1] >= '1' && data[at + 1] <= '6')
        << "record at " << at;
  }
  if (c.records >= 2) {
    EXPECT_EQ(data.substr(0, 2), "01");
  }
  if (c.records >= 3) {
    EXPECT_EQ(data.substr(data.size() - 2 * kRecordLength, 2), "05");
  }
  ASSERT_EQ(Tail(data).substr(0, 2), "06");

  const RunState state = FieldsOf(data);
  EXPECT_EQ(state.RegValDiscos, c.disks);
  EXPECT_EQ(state.RegValClave.size(), 19u);
  EXPECT_TRUE(std::all_of(state.RegValClave.begin(), state.RegValClave.end(), [](char ch) {
    return (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9');
  })) << state.RegValClave;
  EXPECT_TRUE(NameMatchesValidationRecord(c.name8 + ".SUA", state));
  EXPECT_TRUE(NameMatchesValidationRecord(c.name8 + ".SU0", state));
  // Every name character is tied to the record: changing any one breaks the rule.
  for (size_t i = 0; i < c.name8.size(); ++i) {
    std::string other = c.name8;
    other[i] = other[i] == '7' ? '8' : '7';
    EXPECT_FALSE(NameMatchesValidationRecord(other + ".SUA", state)) << other;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, SuaData,
                         testing::Values(DataCase{"S0307379", 10000, 1, 3},  // three diskettes
                                         DataCase{"S0307379", 1, 5, 1},      // the record alone
                                         DataCase{"A1B2C3D4", 2, 9, 0},      // header and record
                                         DataCase{"Z9999990", 3, 2, 99},
                                         DataCase{"s0307379", 57, 77, 12},
                                         DataCase{"ab0cDeF1", 400, 0xFFFFFFFFFFFFFFFFull, 7}));

TEST(SuaDataSeed, SameSeedSameBytesOtherSeedOtherBytes) {
  const std::string data = MakeSuaData("S0307379", 300, 42, 2);
  EXPECT_EQ(MakeSuaData("S0307379", 300, 42, 2), data);
  EXPECT_NE(MakeSuaData("S0307379", 300, 43, 2), data);
  // Only the disk count differs between disk counts.
  std::string recounted = MakeSuaData("S0307379", 300, 42, 5);
  SetDiskCount(recounted, 2);
  EXPECT_EQ(recounted, data);
}

// The bytes must not depend on the compiler or its library: the Windows
// build has to give this same checksum.
TEST(SuaDataSeed, BytesAreTheSameOnEveryPlatform) {
  const std::string data = MakeSuaData("S0307379", 500, 2006, 4);
  uint64_t hash = 0xCBF29CE484222325ull;  // FNV-1a
  for (unsigned char c : data) hash = (hash ^ c) * 0x100000001B3ull;
  EXPECT_EQ(hash, 0x4A0A4DD45B6E6AE7ull);
}

TEST(SuaDataArguments, AreRefused) {
  EXPECT_THROW(MakeSuaData("S030737", 10, 1, 1), std::invalid_argument);
  EXPECT_THROW(MakeSuaData("S03073790", 10, 1, 1), std::invalid_argument);
  EXPECT_THROW(MakeSuaData("S030.379", 10, 1, 1), std::invalid_argument);
  EXPECT_THROW(MakeSuaData("S0307379", 0, 1, 1), std::invalid_argument);
  EXPECT_THROW(MakeSuaData("S0307379", 10, 1, 100), std::invalid_argument);
  EXPECT_THROW(MakeSuaData("S0307379", 10, 1, -1), std::invalid_argument);
}

struct SplitCase {
  size_t drop;  // characters taken off the front, for lengths that are no multiple of 295
  size_t piece_size;
  size_t expected_pieces;
};

class SplitBySize : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitBySize, PiecesRejoinAndTheLastHoldsTheWholeRecord) {
  const SplitCase& c = GetParam();
  const std::string data = MakeSuaData("S0307379", 10, 3, 1).substr(c.drop);  // 2950 - drop
  const std::vector<std::string> pieces = SplitIntoPieces(data, c.piece_size);

  ASSERT_EQ(pieces.size(), c.expected_pieces);
  EXPECT_EQ(Join(pieces), data);
  for (const std::string& piece : pieces) {
    EXPECT_FALSE(piece.empty());
    EXPECT_LE(piece.size(), c.piece_size);
  }
  ASSERT_GE(pieces.back().size(), kRecordLength);
  EXPECT_EQ(Tail(pieces.back()), Tail(data));
  EXPECT_EQ(Tail(pieces.back()).substr(0, 2), "06");
}

INSTANTIATE_TEST_SUITE_P(Cases, SplitBySize,
                         testing::Values(SplitCase{0, 1000, 3},  // last piece 950
                                         SplitCase{0, 1400, 3},  // 150 left: cut moves to 2655
                                         SplitCase{0, 2949, 2},  // 1 left
                                         SplitCase{0, 2950, 1}, SplitCase{0, 295, 10},
                                         SplitCase{0, 296, 10},  // 290 left
                                         SplitCase{7, 1457664, 1}, SplitCase{1, 590, 5},
                                         SplitCase{2655, 295, 1}));  // the record alone

TEST(SplitIntoPieces, RefusesPiecesSmallerThanARecordAndGivesNothingForNoData) {
  EXPECT_THROW(SplitIntoPieces(std::string(1000, '0'), 294), std::invalid_argument);
  EXPECT_TRUE(SplitIntoPieces("", 1000).empty());
}

class SplitByCount : public testing::TestWithParam<size_t> {};

TEST_P(SplitByCount, GivesExactlyThatManyEvenPieces) {
  const size_t count = GetParam();
  const std::string data = MakeSuaData("S0307379", 101, 4, 1);
  const std::vector<std::string> pieces = SplitIntoPieceCount(data, count);

  ASSERT_EQ(pieces.size(), count);
  EXPECT_EQ(Join(pieces), data);
  EXPECT_EQ(Tail(pieces.back()), Tail(data));
  const auto [shortest, longest] =
      std::minmax_element(pieces.begin(), pieces.end() - 1,
                          [](const auto& a, const auto& b) { return a.size() < b.size(); });
  if (count > 1) {
    EXPECT_LE(longest->size() - shortest->size(), 1u);
  }
  for (const std::string& piece : pieces) EXPECT_FALSE(piece.empty());
}

INSTANTIATE_TEST_SUITE_P(Counts, SplitByCount, testing::Values(1, 2, 3, 7, 99, 100));

TEST(SplitIntoPieceCount, RefusesDataTooShortForTheCount) {
  const std::string record = MakeSuaData("S0307379", 1, 4, 1);
  EXPECT_THROW(SplitIntoPieceCount(record, 2), std::invalid_argument);
  EXPECT_EQ(SplitIntoPieceCount("x" + record, 2), (std::vector<std::string>{"x", record}));
  EXPECT_THROW(SplitIntoPieceCount(record, 0), std::invalid_argument);
}

using WriteSet = TempFolder;

TEST_F(WriteSet, NinetyNinePiecesStateTwoDigitDiskCountAndRejoin) {
  const std::string name8 = "S0307379";
  const std::string data = MakeSuaData(name8, 400, 11, 0);  // 118000 characters
  const SplitSet set = MakeSplitSet(data, 1192);

  ASSERT_EQ(set.pieces.size(), 99u);
  EXPECT_EQ(Join(set.pieces), set.data);
  EXPECT_EQ(FieldsOf(set.data).RegValDiscos, 99);
  EXPECT_EQ(Tail(set.data).substr(66, 2), "99");

  const std::vector<std::string> paths = WritePieces(folder(), name8, set.pieces, false);
  ASSERT_EQ(paths.size(), 99u);
  std::string joined;
  for (size_t i = 0; i < paths.size(); ++i) {
    EXPECT_EQ(stdfs::path(paths[i]).filename().string(), "S0307379.SU" + std::to_string(i));
    joined += ReadAll(path_ / PieceFileName(name8, i));
  }
  EXPECT_EQ(joined, set.data);
  EXPECT_TRUE(NameMatchesValidationRecord(name8 + ".SUA", FieldsOf(joined)));

  EXPECT_THROW(MakeSplitSet(data, 1180), std::invalid_argument);  // 100 pieces
}

TEST_F(WriteSet, PieceCountIsStampedIntoTheRecord) {
  const SplitSet set = MakeSplitSetOfCount(MakeSuaData("S0307379", 30, 8, 0), 4);
  ASSERT_EQ(set.pieces.size(), 4u);
  EXPECT_EQ(Join(set.pieces), set.data);
  EXPECT_EQ(FieldsOf(set.data).RegValDiscos, 4);
}

TEST_F(WriteSet, EofMarkFollowsEveryPieceOnce) {
  const SplitSet set = MakeSplitSet(MakeSuaData("S0307379", 20, 5, 0), 2000);
  const std::vector<std::string> paths = WritePieces(folder(), "S0307379", set.pieces, true);
  ASSERT_EQ(paths.size(), 3u);
  for (size_t i = 0; i < paths.size(); ++i) {
    EXPECT_EQ(ReadAll(stdfs::path(paths[i])), set.pieces[i] + '\x1A') << paths[i];
  }
}

TEST_F(WriteSet, WholeFileReplacesALongerOneInANewFolder) {
  const std::string data = MakeSuaData("S0307379", 12, 6, 1);
  const std::string nested = (path_ / "a" / "b").string();
  stdfs::create_directories(nested);
  std::ofstream(stdfs::path(nested) / "S0307379.SUA") << std::string(10000, 'x');

  const std::vector<std::string> paths = WriteWholeFile(nested, "S0307379", data, false);
  ASSERT_EQ(paths.size(), 1u);
  EXPECT_EQ(stdfs::path(paths[0]).filename().string(), "S0307379.SUA");
  EXPECT_EQ(ReadAll(stdfs::path(paths[0])), data);

  const std::string fresh = (path_ / "new" / "folder").string();
  EXPECT_EQ(ReadAll(stdfs::path(WriteWholeFile(fresh, "S0307379", data, true)[0])), data + '\x1A');
}

TEST_F(WriteSet, FailureToWriteIsReported) {
  std::ofstream(path_ / "not_a_folder") << "x";
  EXPECT_THROW(WriteWholeFile((path_ / "not_a_folder").string(), "S0307379", "06", false),
               std::runtime_error);
  stdfs::create_directories(path_ / "S0307379.SUA");  // a folder where the file should go
  EXPECT_THROW(WriteWholeFile(folder(), "S0307379", "06", false), std::runtime_error);
}

}  // namespace
}  // namespace qeb::sample
