// Real faults through the whole run: a full disk, pieces that vanish or are
// folders, end-of-data marks anywhere, odd piece sizes, and a process killed
// while packing. Diskette files are checked byte for byte by the fixture.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <regex>
#include <thread>

#include "run_fixture.h"
#include "tools/sua_sample.h"
#include "zip/zip_component.h"

namespace qeb::testing_run {
namespace {

using ::testing::ElementsAre;
using ::testing::StartsWith;
namespace stdfs = std::filesystem;

const std::string kNoConcatenado = "No fue posible concatenar el archivo";
const std::string kCount = "La cantidad de discos no corresponde con los esperados.";

bool IsRunTimeErrorReport(const Box& box) {
  return box.style == ui::kIconStop && box.title == kTitle10 &&
         std::regex_match(box.text, std::regex("-?[0-9]+ .+"));
}

class Faults : public RunTest {
 protected:
  std::vector<std::string> Pieces(size_t count, size_t records = 60) {
    return sample::MakeSplitSetOfCount(sample::MakeSuaData(kName8, records, 21, 1), count).pieces;
  }
};

TEST_F(Faults, DiskFullWhileAppendingIsReportedAndNothingIsPacked) {
  const auto pieces = Pieces(2, 400);
  QueueSplit(PutPieces("A:", pieces));
  // Each piece's copy fits; the joined file does not.
  const auto boxes = RunWithFileSizeLimit(std::max(pieces[0].size(), pieces[1].size()) + 100);

  ASSERT_EQ(boxes.size(), 5u);
  EXPECT_THAT(boxes[3].text, StartsWith("FGAppendFile:"));
  EXPECT_EQ(boxes[3].style, ui::kIconStop);
  EXPECT_EQ(boxes[4], Error(kNoConcatenado));
  EXPECT_THAT(FilesIn(Work()), ElementsAre(kName8 + ".SU0")) << "the piece's copy is deleted";
}

TEST_F(Faults, PieceDeletedBetweenDialogAndCopyIsARunTimeError) {
  const auto pieces = Pieces(2);
  const auto paths = PutPieces("A:", {pieces[0]});
  ws_.QueueDialogPath(paths[0]);
  ws_.QueueAnswer(ui::kAnswerYes);
  ws_.QueueAnswer(ui::kAnswerOk);
  ws_.QueueDialogPath(DialogPath("A:", kName8 + ".SU1"));  // gone by the time it is copied
  RunProgram();
  ASSERT_EQ(ws_.boxes().size(), 4u);
  EXPECT_TRUE(IsRunTimeErrorReport(ws_.boxes()[3])) << ws_.boxes()[3].text;
  EXPECT_THAT(FilesIn(Work()), ElementsAre(kName8 + ".SU0"));
  EXPECT_EQ(ReadFile(Work() / (kName8 + ".SU0")), pieces[0]);
}

TEST_F(Faults, PiecePathThatIsAFolderIsARunTimeError) {
  const auto pieces = Pieces(2);
  const auto paths = PutPieces("A:", {pieces[0]});
  stdfs::create_directories(root_ / "A:" / (kName8 + ".SU1"));
  ws_.QueueDialogPath(paths[0]);
  ws_.QueueAnswer(ui::kAnswerYes);
  ws_.QueueAnswer(ui::kAnswerOk);
  ws_.QueueDialogPath(DialogPath("A:", kName8 + ".SU1"));
  RunProgram();
  ASSERT_EQ(ws_.boxes().size(), 4u);
  EXPECT_TRUE(IsRunTimeErrorReport(ws_.boxes()[3])) << ws_.boxes()[3].text;
  EXPECT_THAT(FilesIn(Work()), ElementsAre(kName8 + ".SU0"));
}

// Where a 0x1A mark lies in the last piece decides how much of it is data.
struct MarkCase {
  std::string name;
  long at;              // position of the mark from the start of the piece; -1: its last byte
  std::string outcome;  // "packed", "count" or "not-appended"
};

class MarkInPiece : public Faults, public ::testing::WithParamInterface<MarkCase> {};

TEST_P(MarkInPiece, EndsTheDataWhereTheRunExpectsIt) {
  auto pieces = Pieces(2, 300);  // the last piece is well over 32000 characters
  std::string& last = pieces[1];
  const std::string original = last;
  if (GetParam().at < 0)
    last += '\x1A';
  else
    last[static_cast<size_t>(GetParam().at)] = '\x1A';
  QueueSplit(PutPieces("A:", pieces), GetParam().outcome != "not-appended");
  RunProgram();

  const Box& report = ws_.boxes().back();
  if (GetParam().outcome == "packed") {
    EXPECT_EQ(report, Copied(ArchivePath()));
    const PythonView view = ReadWithPython(ArchivePath(), ExpectedFile(pieces[0] + original));
    EXPECT_TRUE(view.content_equal) << "the mark is not part of the data";
  } else if (GetParam().outcome == "count") {
    // The data ends at the mark, so no validation record was appended.
    EXPECT_EQ(report, Error(kCount));
    EXPECT_EQ(ReadFile(Work() / (kName8 + ".SU0")),
              pieces[0] + original.substr(0, static_cast<size_t>(GetParam().at)));
  } else {
    EXPECT_EQ(report, Error(kNoConcatenado));
    EXPECT_THAT(FilesIn(Work()), ElementsAre(kName8 + ".SU0"));
  }
}

INSTANTIATE_TEST_SUITE_P(Positions, MarkInPiece,
                         ::testing::Values(MarkCase{"AtTheStart", 0, "count"},
                                           MarkCase{"InTheMiddle", 1000, "not-appended"},
                                           MarkCase{"At32000thCharacter", 31999, "count"},
                                           MarkCase{"AsTheLastByte", -1, "packed"}),
                         [](const auto& info) { return info.param.name; });

TEST_F(Faults, EmptyLastPieceAppendsNothingAndFailsTheCount) {
  const std::string data = sample::MakeSuaData(kName8, 60, 21, 2);
  QueueSplit(PutPieces("A:", {data, ""}));
  RunProgram();
  EXPECT_EQ(ws_.boxes().back(), Error(kCount));
  EXPECT_EQ(ReadFile(Work() / (kName8 + ".SU0")), data);
}

TEST_F(Faults, LastPieceOfExactlyOneRecordIsPacked) {
  std::string data = sample::MakeSuaData(kName8, 60, 21, 2);
  const std::string record = data.substr(data.size() - 295);
  data.resize(data.size() - 295);
  QueueSplit(PutPieces("A:", {data, record}));
  RunProgram();
  EXPECT_EQ(ws_.boxes().back(), Copied(ArchivePath()));
  EXPECT_TRUE(ReadWithPython(ArchivePath(), ExpectedFile(data + record)).content_equal);
}

TEST_F(Faults, ThirtyPiecesAreJoinedInOrder) {
  const auto set = sample::MakeSplitSetOfCount(sample::MakeSuaData(kName8, 300, 4, 1), 30);
  QueueSplit(PutPieces("A:", set.pieces));
  RunProgram();
  EXPECT_EQ(app_->state().DiscosLeidos, 30);
  EXPECT_EQ(ws_.boxes().back(), Copied(ArchivePath()));
  EXPECT_TRUE(ReadWithPython(ArchivePath(), ExpectedFile(set.data)).content_equal);
}

// An archive made by an earlier, successful packing.
std::string PackEarlierArchive(const stdfs::path& work, const std::string& archive) {
  const stdfs::path source = work / "earlier" / (kName8 + ".SUA");
  stdfs::create_directories(source.parent_path());
  WriteFile(source, sample::MakeSuaData(kName8, 40, 99, 1));
  zip::ZipComponent component;
  component.SourceFiles = source.string();
  component.ZipFilename = archive;
  EXPECT_EQ(component.Compress(), 0);
  stdfs::remove_all(source.parent_path());
  return ReadFile(archive);
}

TEST_F(Faults, KillDuringPackingLeavesTheEarlierArchiveWhole) {
  stdfs::create_directories(Work());
  const std::string earlier = PackEarlierArchive(Work(), ArchivePath());
  const std::string data = sample::MakeSuaData(kName8, 200'000'000 / 295, 8, 1);
  ws_.QueueDialogPath(PutWhole("A:", kName8 + ".SUA", data));

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    app_->Form_Load();
    _exit(0);
  }
  // Packing has begun once a file other than the joined file and the archive
  // shows in the work folder.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  bool packing = false;
  while (!packing && std::chrono::steady_clock::now() < deadline) {
    for (const std::string& name : FilesIn(Work()))
      packing = packing || (name != kName8 + ".SUA" && name != kName8 + ".ZIP");
    if (!packing) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(packing) << "packing never started";
  ASSERT_TRUE(WIFSIGNALED(status)) << "the run ended before it could be killed";
  ws_ = ui::ScriptedWindowSystem();  // the child used the script

  EXPECT_EQ(ReadFile(ArchivePath()), earlier)
      << "the archive path holds the earlier archive, whole";
}

}  // namespace
}  // namespace qeb::testing_run
