#include "sua/append.h"

#include <gtest/gtest.h>

#include <regex>

#include "base/path_separator.h"
#include "fixture.h"

namespace qeb {
namespace {

using namespace testing_sua;

// Each read until the end ("end") or a failed read ("x"): the piece's size.
TEST(FGLeeCaractArch, ReadsPiecesOfTheAskedSizeOrAllThatRemainsUpToOneMore) {
  // clang-format off
  const struct Row {
    std::string data;
    int16_t pcarac;
    std::string reads;
  } rows[] = {
      {Filler(64001), kBlockLength, "32000 32001 end"}, {Filler(64002), kBlockLength, "32000 32000 2 end"},
      {Filler(32000), kBlockLength, "32000 end"}, {Filler(32001), kBlockLength, "32001 end"},
      {Filler(591), 295, "295 296 end"}, {Filler(592), 295, "295 295 2 end"}, {Filler(3), 1, "1 2 end"}, {Filler(1), kBlockLength, "1 end"},
      {"abc" + kMark, 3, "3 end"}, {"abc" + kMark, 10, "3 end"}, {"ab" + kMark + "cd", 10, "x"},
      {"abc" + kMark + kMark, 10, "x"}, {kMark + "a", 10, "end"}, {"abc", 0, "x"}, {"abc", -5, "x"}};
  // clang-format on
  TempFolder folder;
  for (const Row& row : rows) {
    SuaTextFile file(folder.Write("f.sua", row.data));
    std::string reads, all, texto = "kept", last = "kept";
    while (reads.find_first_of("dx") == std::string::npos) {
      if (file.AtEnd())
        reads += "end";
      else if (!FGLeeCaractArch(file, row.pcarac, texto))
        reads += "x";
      else
        reads += std::to_string(texto.size()) + " ", all += last = texto;
    }
    EXPECT_EQ(reads, row.reads) << row.data.substr(0, 8);
    EXPECT_EQ(texto, last) << "a failed read leaves the text";
    EXPECT_EQ(all, row.data.substr(0, all.size()));
    if (reads.back() == 'd') {
      EXPECT_FALSE(FGLeeCaractArch(file, row.pcarac, texto)) << "nothing left";
    }
  }
}

class FGAppendFileTest : public testing::Test {
 protected:
  std::string Append(const std::string& src, const std::string& app, const std::string& tgt,
                     int16_t long_reg = 0) {
    return Text(AppendSuaFile(fields_, src, app, tgt, long_reg));
  }
  // The fields of RecordFor(n) taken into the old ones.
  static std::string Took(int n) {
    const std::string d = (n < 10 ? "0" : "") + std::to_string(n);
    return "ID" + d + "4567890|20" + d + "07|" + std::to_string(n) + "|S" + d + " |CLAVE-" + d +
           std::string(11, ' ') + "|old";
  }
  const std::string kOld = "old-ident|old-cod|9|old-ini|old-clave|";  // and the old RegValErroneo

  const std::string kSrcData = Filler(1000, 7);
  TempFolder folder_;
  ValidationFields fields_ = OldFields();
  const std::string src_ = folder_.Write("S0307379.SUA", kSrcData);
  const std::string tgt_ = folder_.Path("joined.sua");
};

TEST_F(FGAppendFileTest, JoinsUpToTheMarkAndTakesTheFieldsOfTheLast295Characters) {
  const std::string r1 = Filler(295, 1), r2 = Filler(295, 2), r4 = RecordFor(4);
  const std::string shifted = Filler(3, 5) + r4.substr(0, 292), crlf = "\r\n";
  // A record's size and its fields go in the last two pieces alike.
  const auto ending = [](size_t size, int n) { return Filler(size - 295) + RecordFor(n); };
  // Records enough to pass the 128 KiB that are written at once, and those
  // records joined.
  std::string many_records, many_joined;
  for (int i = 0; i < 600; ++i) {
    many_records += r1;
    many_joined += r1 + crlf;
  }
  // clang-format off
  const struct Row {
    std::string data;
    int16_t long_reg;
    std::string outcome, appended, fields;
  } rows[] = {
      {ending(295, 1), 0, "done", ending(295, 1), Took(1)},
      {ending(32000, 2), 0, "done", ending(32000, 2), Took(2)},
      {ending(32001, 3), 0, "done", ending(32001, 3), Took(3)},
      {ending(32100, 5), 0, "done", ending(32100, 5), Took(5)},
      {ending(64001, 6), 0, "done", ending(64001, 6), Took(6)},
      {ending(64002, 7), 0, "done", ending(64002, 7), Took(7)},
      {RecordFor(8).substr(0, 100), 0, "done", RecordFor(8).substr(0, 100), "ID084567890|200807|8|S08 ||old"},
      {ending(1295, 9) + kMark, 0, "done", ending(1295, 9), Took(9)},
      {ending(64000, 10) + kMark, 0, "done", ending(64000, 10), Took(10)},
      {Filler(32100) + kMark + ending(40000, 11), 0, "failed", Filler(32000), kOld + "old"},
      {Filler(31999) + kMark + ending(40000, 12), 0, "done", Filler(31999), kOld + "old"},
      {"", 0, "done", "", kOld + "old"}, {kMark + RecordFor(13), 0, "done", "", kOld + "old"},
      {ending(795, 14) + crlf, 0, "done", ending(795, 14) + crlf, kOld + "old"},
      {r1 + r2 + RecordFor(15), 295, "done", r1 + crlf + r2 + crlf + RecordFor(15) + crlf, Took(15)},
      {r1 + shifted + r4.substr(292), 295, "done", r1 + crlf + shifted + crlf + r4.substr(292) + crlf, Took(4)},
      {ending(300000, 16), 0, "done", ending(300000, 16), Took(16)},
      {Filler(200100) + kMark + ending(40000, 17), 0, "failed", Filler(192000), kOld + "old"},
      {many_records + RecordFor(18), 295, "done", many_joined + RecordFor(18) + crlf, Took(18)},
      {"abc", -1, "failed", "", kOld + "old"}};
  // clang-format on
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message()
                 << row.data.size() << " characters, records of " << row.long_reg);
    folder_.Write("joined.sua", Filler(5000, 9));  // replaced
    fields_ = OldFields();
    EXPECT_EQ(Append(src_, folder_.Write("piece.su1", row.data), tgt_, row.long_reg), row.outcome);
    const std::string joined = ReadAll(tgt_);  // compared whole, without printing it
    EXPECT_EQ(joined.size(), kSrcData.size() + row.appended.size());
    EXPECT_TRUE(joined == kSrcData + row.appended);
    EXPECT_EQ(ReadAll(src_), kSrcData) << "the first file is only read";
    EXPECT_EQ(Text(fields_), row.fields);
  }
}

TEST_F(FGAppendFileTest, NamesOfOneFileTakeTheDataOnce) {
  const std::string data = Filler(700, 4) + RecordFor(2), lower = folder_.Path("s0307379.sua");
  EXPECT_EQ(Append(src_, folder_.Write("p.su1", data), lower), "done");
  EXPECT_EQ(ReadAll(src_), kSrcData + data);
#ifndef _WIN32
  EXPECT_FALSE(Exists(lower)) << "nothing may be copied to the differently written name";
#endif
  EXPECT_EQ(fields_.RegValDiscos, 2);
  EXPECT_EQ(Append(src_, src_, src_), "done");
  EXPECT_EQ(ReadAll(src_), kSrcData + data + kSrcData + data);
}

TEST_F(FGAppendFileTest, MissingFilesFailSilentlyAndOthersAreReported) {
  const std::string piece = folder_.Write("piece.su1", "abc"), missing = folder_.Path("missing");
  const std::string no_folder = folder_.Path("no-such-folder") + kPathSeparator + "joined.sua";
  // clang-format off
  const struct Row {
    std::string src, app, tgt, outcome;
  } rows[] = {{missing, piece, tgt_, "failed"}, {src_, missing, tgt_, "failed"},
              {src_, folder_.Root(), tgt_, "failed"}, {src_, piece, no_folder, "reported"},
              {src_, piece, folder_.Root(), "reported"}};
  // clang-format on
  for (const Row& row : rows) {
    std::string outcome = Append(row.src, row.app, row.tgt);
    if (std::regex_match(outcome, std::regex("failed: [0-9]+ [^ ].*"))) outcome = "reported";
    EXPECT_EQ(outcome, row.outcome) << row.src << " " << row.app << " " << row.tgt;
    EXPECT_FALSE(Exists(tgt_));
    EXPECT_EQ(Text(fields_), kOld + "old");
  }
  const std::string outcome =
      WhileUnopenable(folder_.Root(), piece, [&] { return Append(src_, piece, src_); });
  EXPECT_EQ(outcome, "failed: " + UnopenableErrorText());
  EXPECT_EQ(ReadAll(src_), kSrcData);
}

TEST_F(FGAppendFileTest, ReadsTheValidationRecordFromTheEndOfAWholeFile) {
  const std::string r = RecordFor(6);
  // clang-format off
  const struct Row {
    std::string data, fields;
  } rows[] = {{RecordFor(4), Took(4)}, {r.substr(0, 294), kOld}, {"", kOld},
              {Filler(40000) + kMark + Filler(5000, 2) + RecordFor(12), Took(12)},
              {Filler(1000) + r + "\r\n", kOld + r.substr(2) + "\r\n"}, {Filler(1000) + r + kMark, kOld},
              {Filler(1000) + r.substr(0, 200) + kMark + r.substr(201), kOld},
              {std::string(294, 'x') + "\xD1", kOld + std::string(294, 'x') + "Ñ"}};
  // clang-format on
  for (const Row& row : rows) {
    fields_ = OldFields();
    EXPECT_EQ(Text(ReadValidationRecordOfFile(fields_, folder_.Write("whole.sua", row.data))),
              "done");
    EXPECT_EQ(Text(fields_), row.fields) << row.data.size();
  }
  for (const std::string& path : {folder_.Path("missing.sua"), folder_.Root(), std::string()})
    EXPECT_EQ(Text(ReadValidationRecordOfFile(fields_, path)), "failed") << path;
  const std::string locked = folder_.Write("locked.sua", RecordFor(8));
  EXPECT_EQ(WhileUnopenable(folder_.Root(), locked,
                            [&] {
                              ValidationFields fields;
                              return Text(ReadValidationRecordOfFile(fields, locked)) + " " +
                                     std::to_string(fields.RegValDiscos);
                            }),
            "failed: " + UnopenableErrorText() + " 0");
}

}  // namespace
}  // namespace qeb
