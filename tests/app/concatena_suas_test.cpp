// The intake: the first prompt and dialog, classification and the drive rule,
// copies into the work folder, and the diskette loop with its exits.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>

#include "run_fixture.h"
#include "tools/sua_sample.h"
#include "zip/cifra_xor.h"

namespace qeb::testing_run {
namespace {

using ::testing::ElementsAre;
namespace stdfs = std::filesystem;

const std::string kNombreNoCorresponde =
    "NOMBRE DE ARCHIVO NO CORRESPONDE A LOS DATOS QUE CONTIENE";
const std::string kNoConcatenado = "No fue posible concatenar el archivo";

std::string Data(size_t records, int disk_count) {
  return sample::MakeSuaData(kName8, records, 7, disk_count);
}

std::vector<std::string> Pieces(size_t count, size_t records = 40) {
  return sample::MakeSplitSetOfCount(Data(records, 1), count).pieces;
}

std::string Joined(const std::vector<std::string>& pieces) {
  std::string joined;
  for (const std::string& piece : pieces) joined += piece;
  return joined;
}

using Intake = RunTest;

TEST_F(Intake, FirstDialogCancelledEndsSilentlyWithoutWorkFolder) {
  ws_.QueueDialogCancel();
  RunProgram();

  EXPECT_THAT(ws_.boxes(), ElementsAre(FirstPrompt()));
  ASSERT_EQ(ws_.dialogs().size(), 1u);
  const ui::OpenDialogSettings& dialog = ws_.dialogs()[0];
  EXPECT_EQ(dialog.file_name, "");
  EXPECT_EQ(dialog.initial_folder, "A:");
  EXPECT_EQ(dialog.filter, "SUA (*.SU0;*.SUA)|*.SU0;*.SUA");
  EXPECT_EQ(dialog.flags, 4100);
  EXPECT_EQ(dialog.filter_index, 1);
  EXPECT_TRUE(dialog.cancel_error);
  EXPECT_EQ(dialog.title, "Verificación para Cuotas IMSS (SUA)");
  EXPECT_FALSE(ws_.progress_up_at_dialogs()[0])
      << "the first dialog opens with the progress window down";
  EXPECT_FALSE(stdfs::exists(Work()));
}

TEST_F(Intake, DialogFailureOtherThanCancelIsReportedWithItsNumber) {
  ws_.QueueDialogFailure(20476, "FNERR_INVALIDFILENAME");
  RunProgram();
  EXPECT_THAT(ws_.boxes(), ElementsAre(FirstPrompt(), Error("20476 FNERR_INVALIDFILENAME")));
  EXPECT_FALSE(stdfs::exists(Work()));
}

TEST_F(Intake, WholeFileFromAnyDriveWithLowerCaseNameIsPacked) {
  const std::string data = Data(30, 1);
  ws_.QueueDialogPath(PutWhole("M:", "s0307379.sua", data));
  RunProgram();

  const std::string archive = WorkPath("s0307379.ZIP");
  EXPECT_THAT(ws_.boxes(), ElementsAre(FirstPrompt(), Copied(archive)));
  EXPECT_THAT(FilesIn(Work()), ElementsAre("s0307379.ZIP"));
}

struct DriveCase {
  std::string name;
  std::string drive;
  bool accepted;
};

class PieceZeroDrive : public RunTest, public ::testing::WithParamInterface<DriveCase> {};

TEST_P(PieceZeroDrive, OnlyDrivesAAndBAreAccepted) {
  const auto pieces = Pieces(2);
  const auto paths = PutPieces(GetParam().drive, pieces);
  ws_.QueueDialogPath(paths[0]);
  if (GetParam().accepted) {
    ws_.QueueAnswer(ui::kAnswerNo);  // no more diskettes: the count check refuses
    RunProgram();
    EXPECT_THAT(ws_.boxes(),
                ElementsAre(FirstPrompt(), MoreDiskettes(),
                            Error("La cantidad de discos no corresponde con los esperados.")));
    EXPECT_THAT(FilesIn(Work()), ElementsAre(kName8 + ".SU0"));
  } else {
    RunProgram();
    EXPECT_THAT(ws_.boxes(), ElementsAre(FirstPrompt(), Error(kNombreNoCorresponde)));
    EXPECT_FALSE(stdfs::exists(Work())) << "nothing is copied before the file is classified";
  }
}

INSTANTIATE_TEST_SUITE_P(Drives, PieceZeroDrive,
                         ::testing::Values(DriveCase{"A", "A:", true}, DriveCase{"B", "B:", true},
                                           DriveCase{"M", "M:", false},
                                           DriveCase{"LowerCaseA", "a:", false}),
                         [](const auto& info) { return info.param.name; });

TEST_F(Intake, NameNotEndingInAZeroOrOneIsRefused) {
  ws_.QueueDialogPath(PutWhole("A:", kName8 + ".SU2", Data(5, 1)));
  RunProgram();
  EXPECT_THAT(ws_.boxes(), ElementsAre(FirstPrompt(), Error(kNombreNoCorresponde)));
  EXPECT_FALSE(stdfs::exists(Work()));
}

TEST_F(Intake, FirstFileEndingInOneIsSplitFromAnyDrive) {
  // The set starts at SU1; the operator then picks SU2 on the same drive.
  const auto pieces = Pieces(2);
  const std::string first = PutWhole("M:", kName8 + ".SU1", pieces[0]);
  const std::string second = PutWhole("M:", kName8 + ".SU2", pieces[1]);
  ws_.QueueDialogPath(first);
  ws_.QueueAnswer(ui::kAnswerYes);
  ws_.QueueAnswer(ui::kAnswerOk);
  ws_.QueueDialogPath(second);
  ws_.QueueAnswer(ui::kAnswerNo);
  RunProgram();

  EXPECT_THAT(ws_.boxes(), ElementsAre(FirstPrompt(), MoreDiskettes(), InsertDiskette(1, "M:"),
                                       MoreDiskettes(), Copied(ArchivePath())));
  ASSERT_EQ(ws_.dialogs().size(), 2u);
  EXPECT_EQ(ws_.dialogs()[1].initial_folder, "M:/");
  EXPECT_THAT(FilesIn(Work()), ElementsAre(kName8 + ".ZIP"));
}

TEST_F(Intake, DiskettePromptsAndFiltersFollowThePieceNumber) {
  const auto pieces = Pieces(4);
  const auto paths = PutPieces("A:", pieces);
  ws_.QueueDialogPath(paths[0]);
  for (int n = 1; n <= 3; ++n) {
    ws_.QueueAnswer(ui::kAnswerYes);
    ws_.QueueAnswer(ui::kAnswerOk);
    ws_.QueueDialogPath(paths[static_cast<size_t>(n)]);
  }
  ws_.QueueAnswer(ui::kAnswerNo);
  RunProgram();

  EXPECT_THAT(ws_.boxes(),
              ElementsAre(FirstPrompt(), MoreDiskettes(), InsertDiskette(1, "A:"), MoreDiskettes(),
                          InsertDiskette(2, "A:"), MoreDiskettes(), InsertDiskette(3, "A:"),
                          MoreDiskettes(), Copied(ArchivePath())));
  ASSERT_EQ(ws_.dialogs().size(), 4u);
  for (int n = 1; n <= 3; ++n) {
    const ui::OpenDialogSettings& dialog = ws_.dialogs()[static_cast<size_t>(n)];
    const std::string k = std::to_string(n);
    EXPECT_EQ(dialog.filter, "SU" + k + "(*.SU" + k + ")|*.SU" + k + "|");
    EXPECT_EQ(dialog.initial_folder, "A:/");
    EXPECT_EQ(dialog.file_name, "");
    EXPECT_EQ(dialog.flags, 4100);
    EXPECT_EQ(dialog.filter_index, 1);
    EXPECT_EQ(dialog.title, "Verificación para Cuotas IMSS (SUA)");
    EXPECT_TRUE(ws_.progress_up_at_dialogs()[static_cast<size_t>(n)]);
  }
  EXPECT_EQ(app_->state().DiscosLeidos, 4);

  // The archive holds one entry, the joined bytes, with the scrambled comment.
  const std::string expected = ExpectedFile(Joined(pieces));
  const PythonView view = ReadWithPython(ArchivePath(), expected);
  ASSERT_TRUE(view.available);
  EXPECT_TRUE(view.testzip_clean);
  EXPECT_THAT(view.names, ElementsAre(kName8 + ".SUA"));
  EXPECT_TRUE(view.content_equal);
  const std::string clave = Joined(pieces).substr(Joined(pieces).size() - 295 + 120, 19);
  EXPECT_EQ(view.comment_hex, Hex(zip::FGCifraXor(clave, zip::kLlaveComentario)));
}

TEST_F(Intake, CancelAtDisketteOneKeepsThePartlyJoinedCopy) {
  const auto pieces = Pieces(3);
  const auto paths = PutPieces("A:", pieces);
  ws_.QueueDialogPath(paths[0]);
  ws_.QueueAnswer(ui::kAnswerYes);
  ws_.QueueAnswer(ui::kAnswerCancel);
  RunProgram();

  EXPECT_THAT(ws_.boxes(),
              ElementsAre(FirstPrompt(), MoreDiskettes(), InsertDiskette(1, "A:"), NotCopied()));
  EXPECT_THAT(FilesIn(Work()), ElementsAre(kName8 + ".SU0"));
  EXPECT_EQ(ReadFile(Work() / (kName8 + ".SU0")), pieces[0]);
}

TEST_F(Intake, FurtherDialogCancelledEndsWithTheClosingReport) {
  const auto pieces = Pieces(3);
  const auto paths = PutPieces("A:", pieces);
  ws_.QueueDialogPath(paths[0]);
  ws_.QueueAnswer(ui::kAnswerYes);
  ws_.QueueAnswer(ui::kAnswerOk);
  ws_.QueueDialogPath(paths[1]);
  ws_.QueueAnswer(ui::kAnswerYes);
  ws_.QueueAnswer(ui::kAnswerOk);
  ws_.QueueDialogCancel();
  RunProgram();

  EXPECT_THAT(ws_.boxes(), ElementsAre(FirstPrompt(), MoreDiskettes(), InsertDiskette(1, "A:"),
                                       MoreDiskettes(), InsertDiskette(2, "A:"), NotCopied()));
  EXPECT_EQ(ReadFile(Work() / (kName8 + ".SU0")), pieces[0] + pieces[1]);
  EXPECT_THAT(FilesIn(Work()), ElementsAre(kName8 + ".SU0"));
}

TEST_F(Intake, PieceThatCannotBeAppendedIsReportedAndItsCopyDeleted) {
  auto pieces = Pieces(3);
  pieces[1][100] = '\x1A';  // an end-of-data mark inside the piece
  const auto paths = PutPieces("A:", pieces);
  ws_.QueueDialogPath(paths[0]);
  ws_.QueueAnswer(ui::kAnswerYes);
  ws_.QueueAnswer(ui::kAnswerOk);
  ws_.QueueDialogPath(paths[1]);
  RunProgram();

  EXPECT_THAT(ws_.boxes(), ElementsAre(FirstPrompt(), MoreDiskettes(), InsertDiskette(1, "A:"),
                                       Error(kNoConcatenado)));
  EXPECT_THAT(FilesIn(Work()), ElementsAre(kName8 + ".SU0"));
  EXPECT_EQ(ReadFile(Work() / (kName8 + ".SU0")), pieces[0]);
}

TEST_F(Intake, WorkFolderTakenByAFileIsARunTimeError) {
  WriteFile(root_ / "prog" / "tmp", "not a folder");
  ws_.QueueDialogPath(PutWhole("A:", kName8 + ".SUA", Data(5, 1)));
  RunProgram();

  ASSERT_EQ(ws_.boxes().size(), 2u);
  const Box& report = ws_.boxes()[1];
  EXPECT_EQ(report.title, kTitle10);
  EXPECT_EQ(report.style, ui::kIconStop);
  EXPECT_TRUE(std::regex_match(report.text, std::regex("-?[0-9]+ .+"))) << report.text;
  EXPECT_EQ(ReadFile(root_ / "prog" / "tmp"), "not a folder");
}

TEST_F(Intake, LeftoverCopyOfAPieceIsReplacedByTheDisketteOne) {
  const auto pieces = Pieces(2);
  const auto paths = PutPieces("A:", pieces);
  stdfs::create_directories(Work());
  WriteFile(Work() / (kName8 + ".SU1"), "left over from an earlier run");
  ws_.QueueDialogPath(paths[0]);
  ws_.QueueAnswer(ui::kAnswerYes);
  ws_.QueueAnswer(ui::kAnswerOk);
  ws_.QueueDialogPath(paths[1]);
  ws_.QueueAnswer(ui::kAnswerNo);
  RunProgram();

  EXPECT_THAT(ws_.boxes().back(), Copied(ArchivePath()));
  const std::string expected = ExpectedFile(Joined(pieces));
  const PythonView view = ReadWithPython(ArchivePath(), expected);
  EXPECT_TRUE(view.content_equal);
}

// A piece that would be copied onto the first file's copy, or out of the work
// folder itself, is refused before anything is deleted or copied.
struct UnsafePieceCase {
  std::string name;
  std::string piece;  // "same", "same-lower-case" or "work-folder"
};

class UnsafePiece : public RunTest, public ::testing::WithParamInterface<UnsafePieceCase> {};

TEST_P(UnsafePiece, IsRefusedAndTheFirstCopyStaysIntact) {
  const auto pieces = Pieces(2);
  const auto paths = PutPieces("A:", pieces);
  ws_.QueueDialogPath(paths[0]);
  ws_.QueueAnswer(ui::kAnswerYes);
  ws_.QueueAnswer(ui::kAnswerOk);
  const std::string which = GetParam().piece;
  stdfs::path in_work_folder;
  if (which == "same") {
    ws_.QueueDialogPath(paths[0]);
  } else if (which == "same-lower-case") {
    ws_.QueueDialogPath(PutWhole("A:", "s0307379.su0", pieces[0]));
  } else {
    stdfs::create_directories(Work());
    in_work_folder = Work() / (kName8 + ".SU1");
    WriteFile(in_work_folder, pieces[1]);
    ws_.QueueDialogPath(in_work_folder.string());
  }
  RunProgram();

  EXPECT_THAT(ws_.boxes(), ElementsAre(FirstPrompt(), MoreDiskettes(), InsertDiskette(1, "A:"),
                                       Error(kNoConcatenado)));
  EXPECT_EQ(ReadFile(Work() / (kName8 + ".SU0")), pieces[0]);
  if (!in_work_folder.empty()) {
    EXPECT_EQ(ReadFile(in_work_folder), pieces[1]) << "the chosen file is left alone";
  }
}

INSTANTIATE_TEST_SUITE_P(Choices, UnsafePiece,
                         ::testing::Values(UnsafePieceCase{"SameFile", "same"},
                                           UnsafePieceCase{"SameNameOtherCase", "same-lower-case"},
                                           UnsafePieceCase{"FromWorkFolder", "work-folder"}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace qeb::testing_run
