// The checks in their order (count, final name, format, name), packing, and
// the closing report.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>
#include <regex>

#include "run_fixture.h"
#include "tools/sua_sample.h"
#include "zip/zip_error_text.h"

namespace qeb::testing_run {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
namespace stdfs = std::filesystem;

const std::string kCount = "La cantidad de discos no corresponde con los esperados.";
const std::string kFormat =
    "Error en el formato de la información, se esperaba registro de Validación";
const std::string kName = "El nombre del archivo no corresponde a los datos generados por el SUA.";
const std::string kNotValidated = "No fue posible validar el Nombre del Archivo.";

class CheckAndPack : public RunTest {
 protected:
  // Chooses a whole file from drive A: and lets the run go.
  void RunWhole(const std::string& file_name, const std::string& data) {
    ws_.QueueDialogPath(PutWhole("A:", file_name, data));
    RunProgram();
  }
  // Chooses every piece in turn, then answers No.
  void RunSplit(const std::vector<std::string>& pieces) {
    QueueSplit(PutPieces("A:", pieces));
    RunProgram();
  }
};

std::string Data(size_t records, int disk_count) {
  return sample::MakeSuaData(kName8, records, 11, disk_count);
}

TEST_F(CheckAndPack, WholeFileSuccessLeavesOnlyTheArchive) {
  const std::string data = Data(50, 1);
  RunWhole(kName8 + ".SUA", data);

  EXPECT_THAT(ws_.boxes(), ElementsAre(FirstPrompt(), Copied(ArchivePath())));
  EXPECT_THAT(FilesIn(Work()), ElementsAre(kName8 + ".ZIP"));
  EXPECT_EQ(app_->ArchivoZIP(), ArchivePath());
  EXPECT_EQ(app_->state().RegValClave, data.substr(data.size() - 295 + 120, 19));
}

TEST_F(CheckAndPack, WorkFolderIsTheCurrentFolderAfterTheChecks) {
  RunWhole(kName8 + ".SUA", Data(3, 1));
  EXPECT_EQ(stdfs::current_path(), stdfs::canonical(Work()));
}

TEST_F(CheckAndPack, WholeFileWhoseRecordSaysTwoDiskettesStillPasses) {
  RunWhole(kName8 + ".SUA", Data(20, 2));
  EXPECT_THAT(ws_.boxes(), ElementsAre(FirstPrompt(), Copied(ArchivePath())));
  EXPECT_EQ(app_->state().RegValDiscos, 2) << "the validation overwrites the count after the check";
}

TEST_F(CheckAndPack, NoRightAfterPieceZeroFailsTheCount) {
  const auto set = sample::MakeSplitSetOfCount(Data(30, 1), 2);
  const auto paths = PutPieces("A:", set.pieces);
  ws_.QueueDialogPath(paths[0]);
  ws_.QueueAnswer(ui::kAnswerNo);
  RunProgram();

  EXPECT_THAT(ws_.boxes(), ElementsAre(FirstPrompt(), MoreDiskettes(), Error(kCount)));
  EXPECT_THAT(FilesIn(Work()), ElementsAre(kName8 + ".SU0"));
}

TEST_F(CheckAndPack, SplitSetWithTooFewPiecesFailsTheCount) {
  const auto set = sample::MakeSplitSetOfCount(Data(30, 1), 3);
  auto pieces = set.pieces;
  pieces[1] += pieces[2];  // two pieces, but the record says three
  pieces.pop_back();
  RunSplit(pieces);
  EXPECT_EQ(ws_.boxes().back(), Error(kCount));
  EXPECT_EQ(ReadFile(Work() / (kName8 + ".SU0")), set.data);
}

TEST_F(CheckAndPack, SplitSetIsRenamedToItsWholeName) {
  const auto set = sample::MakeSplitSetOfCount(Data(30, 1), 2);
  RunSplit(set.pieces);
  EXPECT_EQ(ws_.boxes().back(), Copied(ArchivePath()));
  EXPECT_THAT(FilesIn(Work()), ElementsAre(kName8 + ".ZIP"));
}

TEST_F(CheckAndPack, LeftoverJoinedFileIsDeletedBeforeTheRename) {
  const auto set = sample::MakeSplitSetOfCount(Data(30, 1), 2);
  stdfs::create_directories(Work());
  WriteFile(Work() / (kName8 + ".SUA"), "an earlier joined file");
  RunSplit(set.pieces);

  EXPECT_EQ(ws_.boxes().back(), Copied(ArchivePath()));
  const std::string expected = ExpectedFile(set.data);
  EXPECT_TRUE(ReadWithPython(ArchivePath(), expected).content_equal);
}

TEST_F(CheckAndPack, SplitSetWhoseLastPieceEndsInALineBreakFailsTheCount) {
  auto pieces = sample::MakeSplitSetOfCount(Data(30, 1), 2).pieces;
  pieces.back() += "\r\n";
  RunSplit(pieces);
  EXPECT_EQ(ws_.boxes().back(), Error(kCount));
}

TEST_F(CheckAndPack, WholeFileThatVanishedCannotBeValidated) {
  // The chosen file is gone by the time it is copied: nothing is copied.
  ws_.QueueDialogPath(DialogPath("A:", kName8 + ".SUA"));
  RunProgram();
  EXPECT_THAT(ws_.boxes(), ElementsAre(FirstPrompt(), Error(kNotValidated)));
}

TEST_F(CheckAndPack, LineBreakAfterTheRecordFailsTheFormatAndDeletesTheJoinedFile) {
  RunWhole(kName8 + ".SUA", Data(20, 1) + "\r\n");
  EXPECT_THAT(ws_.boxes(), ElementsAre(FirstPrompt(), Error(kFormat)));
  EXPECT_THAT(FilesIn(Work()), IsEmpty());
  EXPECT_EQ(app_->state().RegValErroneo.substr(0, 4),
            Data(20, 1).substr(Data(20, 1).size() - 293, 4));
}

TEST_F(CheckAndPack, ShortWholeFileFailsTheNameRule) {
  RunWhole(kName8 + ".SUA", Data(1, 1).substr(0, 200));
  EXPECT_THAT(ws_.boxes(), ElementsAre(FirstPrompt(), Error(kName)));
  EXPECT_THAT(FilesIn(Work()), IsEmpty());
}

TEST_F(CheckAndPack, NameThatDoesNotCorrespondIsRefusedAndDeleted) {
  RunWhole("T0307379.SUA", Data(20, 1));
  EXPECT_THAT(ws_.boxes(), ElementsAre(FirstPrompt(), Error(kName)));
  EXPECT_THAT(FilesIn(Work()), IsEmpty());
}

TEST_F(CheckAndPack, RenameOntoAFolderIsARunTimeError) {
  const auto set = sample::MakeSplitSetOfCount(Data(30, 1), 2);
  stdfs::create_directories(Work() / (kName8 + ".SUA"));
  RunSplit(set.pieces);

  const Box report = ws_.boxes().back();
  EXPECT_EQ(report.style, ui::kIconStop);
  EXPECT_TRUE(std::regex_match(report.text, std::regex("-?[0-9]+ .+"))) << report.text;
  EXPECT_EQ(ReadFile(Work() / (kName8 + ".SU0")), set.data);
}

TEST_F(CheckAndPack, ArchivePathTakenByAFolderShowsTheZipErrorAndNotCopied) {
  stdfs::create_directories(Work() / (kName8 + ".ZIP"));
  RunWhole(kName8 + ".SUA", Data(20, 1));

  ASSERT_EQ(ws_.boxes().size(), 3u);
  const Box zip_error = ws_.boxes()[1];
  EXPECT_EQ(zip_error.title, "Q.E.B. ( Compresión de SUA's ) V1.0");
  EXPECT_EQ(zip_error.style, ui::kIconStop);
  EXPECT_NE(zip_error.text, zip::kUncataloguedZipError);
  EXPECT_EQ(ws_.boxes()[2], NotCopied());
  EXPECT_THAT(FilesIn(Work()), ElementsAre(kName8 + ".ZIP")) << "the joined file is deleted";
  EXPECT_TRUE(stdfs::is_directory(Work() / (kName8 + ".ZIP")));
}

// Incompressible data ending in a validation record: its archive is larger
// than the file itself.
std::string IncompressibleData(size_t size) {
  std::mt19937 random(5);
  std::string data(size, ' ');
  for (char& c : data) {
    do c = static_cast<char>(random() & 0xFF);
    while (c == '\x1A');
  }
  return data + sample::MakeSuaData(kName8, 1, 3, 1);
}

TEST_F(CheckAndPack, FailedPackingNeverReportsAnEarlierArchiveAsWritten) {
  const std::string data = IncompressibleData(200000);
  const std::string earlier_archive = "an archive from an earlier run";
  stdfs::create_directories(Work());
  WriteFile(ArchivePath(), earlier_archive);
  ws_.QueueDialogPath(PutWhole("A:", kName8 + ".SUA", data));

  // A real full disk: the copy of the file fits under the limit, its archive does not.
  const auto boxes = RunWithFileSizeLimit(data.size() + 40);
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[1].title, "Q.E.B. ( Compresión de SUA's ) V1.0");
  EXPECT_EQ(boxes[1].text, zip::ZipErrorText(150));
  EXPECT_EQ(boxes[2], NotCopied());
  EXPECT_EQ(ReadFile(ArchivePath()), earlier_archive);
  EXPECT_THAT(FilesIn(Work()), ElementsAre(kName8 + ".ZIP"))
      << "no joined or temporary file is left";
}

}  // namespace
}  // namespace qeb::testing_run
