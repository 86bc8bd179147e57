#include "sua/append.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "base/file_system.h"
#include "base/path_separator.h"
#include "outcome.h"
#include "sua/validation_record.h"
#include "temp_folder.h"
#include "unopenable_file.h"

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

namespace qeb {
namespace {

using testing_sua::Exists;
using testing_sua::Filler;
using testing_sua::Outcome;
using testing_sua::ReadAll;
using testing_sua::TempFolder;
using testing_sua::ValidationRecord;

const std::string kMark(1, '\x1A');

// ---------------------------------------------------------------- FGLeeCaractArch

// Sizes of the pieces read until the end; 0 stands for a failed read.
std::vector<size_t> PieceSizes(const std::string& path, int16_t pcarac, std::string* all) {
  SuaTextFile file(path);
  std::vector<size_t> sizes;
  std::string piece;
  while (!file.AtEnd()) {
    if (!FGLeeCaractArch(file, pcarac, piece)) {
      sizes.push_back(0);
      break;
    }
    sizes.push_back(piece.size());
    *all += piece;
  }
  return sizes;
}

struct PieceCase {
  size_t file_size;
  int16_t pcarac;
  std::vector<size_t> pieces;
};
void PrintTo(const PieceCase& c, std::ostream* out) {
  *out << c.file_size << " characters in pieces of " << c.pcarac;
}

class FGLeeCaractArchPieces : public testing::TestWithParam<PieceCase> {};

TEST_P(FGLeeCaractArchPieces, AsksForAllThatRemainsWhenAtMostOneMoreThanAPiece) {
  const PieceCase& c = GetParam();
  TempFolder folder;
  const std::string data = Filler(c.file_size);
  std::string all;
  EXPECT_EQ(PieceSizes(folder.Write("f.sua", data), c.pcarac, &all), c.pieces);
  EXPECT_EQ(all, data);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, FGLeeCaractArchPieces,
    testing::Values(PieceCase{64001, kBlockLength, {32000, 32001}},
                    PieceCase{64002, kBlockLength, {32000, 32000, 2}},
                    PieceCase{32000, kBlockLength, {32000}},
                    PieceCase{32001, kBlockLength, {32001}},
                    PieceCase{32002, kBlockLength, {32000, 2}}, PieceCase{1, kBlockLength, {1}},
                    PieceCase{96000, kBlockLength, {32000, 32000, 32000}},
                    PieceCase{590, 295, {295, 295}}, PieceCase{591, 295, {295, 296}},
                    PieceCase{592, 295, {295, 295, 2}}, PieceCase{3, 1, {1, 2}},
                    PieceCase{70000, 32766, {32766, 32766, 4468}}));

TEST(FGLeeCaractArch, DeliversAFileWithoutItsFinalMark) {
  TempFolder folder;
  for (const int16_t pcarac : {int16_t{3}, int16_t{10}}) {
    SuaTextFile file(folder.Write("final-mark.sua", "abc" + kMark));
    std::string texto;
    EXPECT_TRUE(FGLeeCaractArch(file, pcarac, texto));
    EXPECT_EQ(texto, "abc");
    EXPECT_TRUE(file.AtEnd());
  }
}

TEST(FGLeeCaractArch, APieceWithAMarkBeforeItsLastCharacterCannotBeRead) {
  TempFolder folder;
  for (const std::string& data : {"ab" + kMark + "cd", "abc" + kMark + kMark, kMark + "a"}) {
    SuaTextFile file(folder.Write("piece-with-eof-mark-inside.sua", data));
    std::string texto = "before";
    EXPECT_FALSE(FGLeeCaractArch(file, 10, texto));
    EXPECT_EQ(texto, "before");
  }
}

TEST(FGLeeCaractArch, NothingLeftOrNoRoomForACharacterIsAFailure) {
  TempFolder folder;
  SuaTextFile file(folder.Write("f.sua", "abc"));
  std::string texto = "before";
  EXPECT_FALSE(FGLeeCaractArch(file, 0, texto));
  EXPECT_FALSE(FGLeeCaractArch(file, -5, texto));
  EXPECT_TRUE(FGLeeCaractArch(file, 10, texto));
  EXPECT_FALSE(FGLeeCaractArch(file, 10, texto));
  EXPECT_EQ(texto, "abc");
}

TEST(FGLeeCaractArch, AFileCutShortWhileReadFails) {
  TempFolder folder;
  // The second piece is asked for by the size the file had when it opened.
  const std::string data = Filler(70000, 6);
  const std::string piece = folder.Write("cut-short.su1", data);
  SuaTextFile source(piece);
  std::string texto;
  ASSERT_TRUE(FGLeeCaractArch(source, kBlockLength, texto));
  std::filesystem::resize_file(fs::ToPath(piece), 40000);
  EXPECT_FALSE(FGLeeCaractArch(source, kBlockLength, texto));
  EXPECT_FALSE(source.AtEnd());
  EXPECT_EQ(texto, data.substr(0, 32000));
}

// ---------------------------------------------------------------- FGAppendFile

class FGAppendFileTest : public testing::Test {
 protected:
  FGAppendFileTest() {
    state_.RegValIdent = "old-ident";
    state_.RegValCodigo = "old-cod";
    state_.RegValDiscos = 9;
    state_.RegValInicial = "old-ini";
    state_.RegValClave = "old-clave";
    src_ = folder_.Write("S0307379.SUA", kSrcData);
    tgt_ = folder_.Path("joined.sua");
  }

  bool Append(const std::string& file_to_app, int16_t long_reg = 0) {
    return outcomes_.Keep(AppendSuaFile(state_, src_, file_to_app, tgt_, long_reg));
  }
  void ExpectOldFields() const {
    EXPECT_EQ(state_.RegValIdent, "old-ident");
    EXPECT_EQ(state_.RegValCodigo, "old-cod");
    EXPECT_EQ(state_.RegValDiscos, 9);
    EXPECT_EQ(state_.RegValInicial, "old-ini");
    EXPECT_EQ(state_.RegValClave, "old-clave");
  }

  const std::string kSrcData = Filler(1000, 7);
  TempFolder folder_;
  ValidationFields state_;
  testing_sua::Outcomes outcomes_;
  std::string src_;
  std::string tgt_;
};

// The record that ends each appended file, different for each size.
std::string RecordFor(size_t size) {
  const std::string n = std::to_string(size % 100);
  return ValidationRecord("ID" + n + "4567890", "20" + n + "07", n.size() == 1 ? "0" + n : n,
                          "S" + n, "CLAVE-" + n);
}

class FGAppendFileBlocks : public FGAppendFileTest, public testing::WithParamInterface<size_t> {};

TEST_P(FGAppendFileBlocks, JoinsBothFilesAndTakesTheLast295Characters) {
  const size_t size = GetParam();
  const std::string record = RecordFor(size);
  const std::string data = Filler(size - record.size(), 3) + record;
  ASSERT_EQ(data.size(), size);

  EXPECT_EQ(Outcome(Append(folder_.Write("piece.su1", data)), outcomes_), "true\n");
  EXPECT_EQ(ReadAll(tgt_), kSrcData + data);
  EXPECT_EQ(ReadAll(src_), kSrcData) << "the first file itself is only read";

  ValidationFields expected;
  ExtractValidationFields(record, expected);
  EXPECT_EQ(state_.RegValIdent, expected.RegValIdent);
  EXPECT_EQ(state_.RegValCodigo, expected.RegValCodigo);
  EXPECT_EQ(state_.RegValDiscos, size % 100);
  EXPECT_EQ(state_.RegValInicial, expected.RegValInicial);
  EXPECT_EQ(state_.RegValClave, expected.RegValClave);
}

// 64001: pieces 32000 and 32001. 64002: 32000, 32000 and 2, so that the
// record runs across the last two pieces, as it does for 32100.
INSTANTIATE_TEST_SUITE_P(Sizes, FGAppendFileBlocks,
                         testing::Values(295, 1295, 32000, 32001, 32100, 64001, 64002, 100000));

TEST_F(FGAppendFileTest, ATailShorterThanARecordIsAllTheData) {
  const std::string record = ValidationRecord("A1234567890", "200307", "03", "SXYZ", "CLAVE");
  EXPECT_EQ(Outcome(Append(folder_.Write("short.su1", record.substr(0, 100))), outcomes_),
            "true\n");
  EXPECT_EQ(state_.RegValIdent, "A1234567890");
  EXPECT_EQ(state_.RegValDiscos, 3);
  EXPECT_EQ(state_.RegValInicial, "SXYZ");
  EXPECT_EQ(state_.RegValClave, "");
}

TEST_F(FGAppendFileTest, AFinalMarkIsNotCopied) {
  const std::string record = RecordFor(42);
  for (const size_t before : {size_t{1000}, size_t{64001 - 295 - 1}}) {
    const std::string data = Filler(before, 5) + record;
    ASSERT_TRUE(Append(folder_.Write("final-mark.su1", data + kMark)));
    EXPECT_EQ(ReadAll(tgt_), kSrcData + data);
    EXPECT_EQ(state_.RegValDiscos, 42);
  }
  EXPECT_EQ(outcomes_.reported(), "");
}

TEST_F(FGAppendFileTest, AMarkInsideAPieceFailsSilentlyKeepingEarlierPieces) {
  const std::string first = Filler(32000, 1);
  const std::string data = first + Filler(100, 2) + kMark + Filler(40000, 3) + RecordFor(1);
  EXPECT_EQ(Outcome(Append(folder_.Write("piece-with-eof-mark-inside.su1", data)), outcomes_),
            "false\n");
  EXPECT_EQ(ReadAll(tgt_), kSrcData + first);
  ExpectOldFields();
}

TEST_F(FGAppendFileTest, AMarkAtTheLastPositionOfAPieceEndsTheCopyThere) {
  const std::string before = Filler(31999, 1);
  const std::string data = before + kMark + Filler(40000, 2) + RecordFor(1);
  EXPECT_EQ(Outcome(Append(folder_.Write("piece-ending-in-eof-mark.su1", data)), outcomes_),
            "true\n");
  EXPECT_EQ(ReadAll(tgt_), kSrcData + before);
  ExpectOldFields();  // the last 295 characters copied are no record
}

TEST_F(FGAppendFileTest, AnEmptyFileOrOneStartingWithAMarkAddsNothing) {
  for (const std::string& data : {std::string(), kMark + RecordFor(1)}) {
    EXPECT_TRUE(Append(folder_.Write("empty.su1", data)));
    EXPECT_EQ(ReadAll(tgt_), kSrcData);
  }
  EXPECT_EQ(outcomes_.reported(), "");
  ExpectOldFields();
}

TEST_F(FGAppendFileTest, ALineBreakAfterTheRecordLeavesTheFields) {
  const std::string data = Filler(500) + RecordFor(3) + "\r\n";
  EXPECT_TRUE(Append(folder_.Write("record-then-line-break.su1", data)));
  EXPECT_EQ(ReadAll(tgt_), kSrcData + data);
  ExpectOldFields();
}

TEST_F(FGAppendFileTest, AnExistingTargetIsReplaced) {
  folder_.Write("joined.sua", Filler(5000, 9));
  EXPECT_TRUE(Append(folder_.Write("piece.su1", "abc")));
  EXPECT_EQ(ReadAll(tgt_), kSrcData + "abc");
}

TEST_F(FGAppendFileTest, RecordModeEndsEachRecordWithALineBreak) {
  const std::string r1 = Filler(295, 1), r2 = Filler(295, 2), r3 = RecordFor(7);
  EXPECT_EQ(Outcome(Append(folder_.Write("records.su1", r1 + r2 + r3), 295), outcomes_), "true\n");
  EXPECT_EQ(ReadAll(tgt_), kSrcData + r1 + "\r\n" + r2 + "\r\n" + r3 + "\r\n");
  EXPECT_EQ(state_.RegValDiscos, 7);

  // A short last record ends the data; the tail runs across the last two.
  const std::string r4 = RecordFor(8);
  const std::string shifted = Filler(3, 5) + r4.substr(0, 292);
  EXPECT_TRUE(Append(folder_.Write("records.su1", r1 + shifted + r4.substr(292)), 295));
  EXPECT_EQ(ReadAll(tgt_), kSrcData + r1 + "\r\n" + shifted + "\r\n" + r4.substr(292) + "\r\n");
  EXPECT_EQ(state_.RegValDiscos, 8);
}

TEST_F(FGAppendFileTest, ANegativeRecordLengthReadsNothingAndEnds) {
  EXPECT_EQ(Outcome(Append(folder_.Write("piece.su1", "abc"), -1), outcomes_), "false\n");
  EXPECT_EQ(ReadAll(tgt_), kSrcData);
}

TEST_F(FGAppendFileTest, MissingFilesFailWithoutAReport) {
  const std::string piece = folder_.Write("piece.su1", "abc");
  EXPECT_FALSE(outcomes_.Keep(AppendSuaFile(state_, folder_.Path("missing.sua"), piece, tgt_, 0)));
  EXPECT_FALSE(Append(folder_.Path("missing.su1")));
  EXPECT_FALSE(Append(folder_.Root()));  // a folder is no file
  EXPECT_EQ(outcomes_.reported(), "");
  EXPECT_FALSE(Exists(tgt_));
  ExpectOldFields();
}

// Names that differ only in case are taken as one file: nothing is copied and
// the data goes to the end of the first file.
TEST_F(FGAppendFileTest, ATargetNamedLikeTheSourceReceivesTheDataItself) {
  const std::string data = Filler(700, 4) + RecordFor(2);
  const std::string other_case = folder_.Path("s0307379.sua");
  EXPECT_EQ(Outcome(outcomes_.Keep(
                        AppendSuaFile(state_, src_, folder_.Write("p.su1", data), other_case, 0)),
                    outcomes_),
            "true\n");
  EXPECT_EQ(ReadAll(src_), kSrcData + data);
#ifndef _WIN32
  EXPECT_FALSE(Exists(other_case)) << "nothing may be copied to the differently written name";
#endif
  EXPECT_EQ(state_.RegValDiscos, 2);
}

TEST_F(FGAppendFileTest, AFileAppendedToItselfIsCopiedOnce) {
  EXPECT_EQ(Outcome(outcomes_.Keep(AppendSuaFile(state_, src_, src_, src_, 0)), outcomes_),
            "true\n");
  EXPECT_EQ(ReadAll(src_), kSrcData + kSrcData);
}

TEST_F(FGAppendFileTest, ATargetInAMissingFolderIsReported) {
  tgt_ = folder_.Path("no-such-folder") + kPathSeparator + "joined.sua";
  const bool answer = Append(folder_.Write("piece.su1", "abc"));
#ifdef _WIN32
  EXPECT_FALSE(answer);
  EXPECT_TRUE(std::regex_match(outcomes_.reported(), std::regex("[0-9]+ [^ \n][^\n]*\n")))
      << outcomes_.reported();
#else
  EXPECT_EQ(Outcome(answer, outcomes_), "false\n2 No such file or directory\n");
#endif
  ExpectOldFields();
}

TEST_F(FGAppendFileTest, AFolderAsTargetIsReported) {
  tgt_ = folder_.Root();
  EXPECT_FALSE(Append(folder_.Write("piece.su1", "abc")));
  EXPECT_TRUE(std::regex_match(outcomes_.reported(), std::regex("[0-9]+ [^ \n][^\n]*\n")))
      << outcomes_.reported();
}

TEST_F(FGAppendFileTest, AFileToAppendThatCannotBeOpenedIsReported) {
  const std::string piece = folder_.Write("locked.su1", "abc");
  const std::string outcome = testing_sua::WhileUnopenable(folder_.Root(), piece, [&] {
    return Outcome(outcomes_.Keep(AppendSuaFile(state_, src_, piece, src_, 0)), outcomes_);
  });
  EXPECT_EQ(outcome, "false\n" + testing_sua::UnopenableErrorText() + "\n");
  EXPECT_EQ(ReadAll(src_), kSrcData);
}

#ifndef _WIN32
// A real full disk: the child may write no file beyond `limit` bytes, and the
// write that would pass it fails ("File too large") instead of killing it.
struct DiskFullCase {
  const char* name;
  size_t piece_size;
};
void PrintTo(const DiskFullCase& c, std::ostream* out) {
  *out << c.name;
}

class FGAppendFileDiskFull : public FGAppendFileTest,
                             public testing::WithParamInterface<DiskFullCase> {};

TEST_P(FGAppendFileDiskFull, AFailedWriteIsReportedAndAnswersFalse) {
  const std::string piece = folder_.Write("piece.su1", Filler(GetParam().piece_size, 2));
  const rlim_t limit = kSrcData.size();
  const std::string outcome = testing_sua::RunInChild(
      [limit] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit fsize{limit, limit};
        if (setrlimit(RLIMIT_FSIZE, &fsize) != 0) throw std::runtime_error("setrlimit");
      },
      [&] { return Outcome(Append(piece), outcomes_); });
  EXPECT_EQ(outcome, "false\n27 File too large\n");
  EXPECT_EQ(ReadAll(tgt_), kSrcData) << "the target stops at the limit";
}

// A piece too large for the C library's buffer fails as it is written; a small
// one stays buffered and fails when the target is flushed.
INSTANTIATE_TEST_SUITE_P(Writes, FGAppendFileDiskFull,
                         testing::Values(DiskFullCase{"AtTheWrite", 70000},
                                         DiskFullCase{"AtTheFlush", 10}),
                         [](const auto& info) { return std::string(info.param.name); });
#endif

// ---------------------------------------------------------------- FGRegValFile

class FGRegValFileTest : public FGAppendFileTest {
 protected:
  bool Examine(const std::string& path) {
    return outcomes_.Keep(ReadValidationRecordOfFile(state_, path));
  }
};

TEST_F(FGRegValFileTest, AFileOfExactlyOneRecordIsItsOwnValidationRecord) {
  const std::string record = RecordFor(4);
  EXPECT_EQ(Outcome(Examine(folder_.Write("whole.sua", record)), outcomes_), "true\n");
  EXPECT_EQ(state_.RegValDiscos, 4);
  EXPECT_EQ(state_.RegValIdent, "ID44567890 ");
  EXPECT_EQ(state_.RegValClave.substr(0, 8), "CLAVE-4 ");
  EXPECT_EQ(state_.RegValErroneo, "");
}

TEST_F(FGRegValFileTest, TakesTheLast295CharactersOfALongerFile) {
  // A mark before the last 295 characters is never read.
  const std::string data = Filler(40000, 1) + kMark + Filler(5000, 2) + RecordFor(12);
  EXPECT_TRUE(Examine(folder_.Write("whole.sua", data)));
  EXPECT_EQ(state_.RegValDiscos, 12);
  EXPECT_EQ(state_.RegValInicial, "S12 ");
  EXPECT_EQ(state_.RegValErroneo, "");
}

TEST_F(FGRegValFileTest, ALineBreakAfterTheRecordIsNoValidationRecord) {
  const std::string record = RecordFor(5);
  const std::string data = Filler(1000) + record + "\r\n";
  EXPECT_EQ(Outcome(Examine(folder_.Write("record-then-line-break.sua", data)), outcomes_),
            "true\n");
  EXPECT_EQ(state_.RegValErroneo, record.substr(2) + "\r\n");
  ExpectOldFields();
}

TEST_F(FGRegValFileTest, ShortFilesAndAFinalMarkGiveAnEmptyTail) {
  const std::string record = RecordFor(6);
  for (const std::string& data :
       {record.substr(0, 294), std::string(), Filler(1000) + record + kMark,
        Filler(1000) + record.substr(0, 200) + kMark + record.substr(201)}) {
    state_.RegValErroneo = "stale";
    EXPECT_TRUE(Examine(folder_.Write("short-or-marked.sua", data)));
    EXPECT_EQ(state_.RegValErroneo, "");
    ExpectOldFields();
  }
  EXPECT_EQ(outcomes_.reported(), "");
}

TEST_F(FGRegValFileTest, TheErroneousTailIsKeptAsUtf8) {
  EXPECT_TRUE(Examine(folder_.Write("whole.sua", std::string(294, 'x') + "\xD1")));
  EXPECT_EQ(state_.RegValErroneo, std::string(294, 'x') + "Ñ");
}

TEST_F(FGRegValFileTest, MissingFilesAndFoldersFailWithoutAReport) {
  EXPECT_EQ(Outcome(Examine(folder_.Path("missing.sua")), outcomes_), "false\n");
  EXPECT_EQ(Outcome(Examine(folder_.Root()), outcomes_), "false\n");
  EXPECT_EQ(Outcome(Examine(""), outcomes_), "false\n");
  ExpectOldFields();
}

TEST_F(FGRegValFileTest, AFileThatCannotBeOpenedIsReported) {
  const std::string path = folder_.Write("locked.sua", RecordFor(8));
  const std::string outcome = testing_sua::WhileUnopenable(folder_.Root(), path, [&] {
    ValidationFields state;
    const bool answer = outcomes_.Keep(ReadValidationRecordOfFile(state, path));
    return Outcome(answer, outcomes_) + "discos " + std::to_string(state.RegValDiscos);
  });
  EXPECT_EQ(outcome, "false\n" + testing_sua::UnopenableErrorText() + "\ndiscos 0");
}

}  // namespace
}  // namespace qeb
