// The whole run, natively, over drive folders: "A:", "B:", "M:" and "a:" are
// folders below the test's root, which is the current folder during the run.
// Each row puts files there, answers the boxes and dialogs in turn, and
// expects what the operator sees and what is left in the work folder; the
// files outside the work folder must be unchanged afterwards.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <sstream>
#include <thread>

#include "app/main_window.h"
#include "app/msg_error_zip.h"
#include "base/run_error.h"
#include "support/scripted_window_system.h"
#include "support/temp_folder.h"
#include "tools/sua_sample.h"
#include "zip/cifra_xor.h"
#include "zip/zip_component.h"
#include "zip/zip_error_text.h"

namespace qeb {
namespace {

namespace stdfs = std::filesystem;
using test_support::ReadAll;
using ui::ScriptedWindowSystem;

const std::string kName8 = "S0307379";
const std::string kZipTitle = "Q.E.B. ( Compresión de SUA's ) V1.0";

// Contents, joined with '+': "W" a whole file (30 records, one diskette),
// "W2" the same saying two diskettes, "short" its first 200 characters, "R"
// 200000 random characters and a validation record, "i/n" piece i of a set of
// n, "i/n!" the same with an end-of-data mark at its 100th character, "crlf",
// "eof" (0x1A); anything else is literal text.
std::string Bytes(const std::string& expression) {
  std::string bytes;
  std::istringstream tokens(expression);
  for (std::string token; std::getline(tokens, token, '+');) {
    if (token == "W" || token == "W2") {
      bytes += sample::MakeSuaData(kName8, 30, 7, token == "W" ? 1 : 2);
    } else if (token == "short") {
      bytes += Bytes("W").substr(0, 200);
    } else if (token == "R") {
      std::mt19937 random(5);
      for (int i = 0; i < 200000; ++i) {
        const auto byte = random() % 255;  // anything but 0x1A
        bytes += static_cast<char>(byte + (byte >= 0x1A ? 1 : 0));
      }
      bytes += sample::MakeSuaData(kName8, 1, 3, 1);
    } else if (token.size() >= 3 && token[1] == '/') {
      const auto set = sample::MakeSplitSetOfCount(sample::MakeSuaData(kName8, 40, 7, 1),
                                                   static_cast<size_t>(token[2] - '0'));
      std::string piece = set.pieces.at(static_cast<size_t>(token[0] - '0'));
      if (token.back() == '!') piece[100] = '\x1A';
      bytes += piece;
    } else {
      bytes += token == "crlf" ? "\r\n" : token == "eof" ? "\x1A" : token;
    }
  }
  return bytes;
}

// What the operator sees, one line per event: "~text" the progress window
// shows a text and "~" it goes away; "@value" the main window's left, top and
// caption; "D folder filter" an Open dialog; a box as its kind (I, E, YN, OC),
// its title in brackets when it is not the usual one, and its text. Each "!"
// before a line is one beep. {root} stands for the test's root.
const std::string kUp = "~Preparando información...\n";
const std::string kStart = kUp + "@5280\n@3960\n@Q.E.B. ( Concatenación de SUA's ) V1.0\n~\n" +
                           kUp +
                           "I[Q.E.B. ( Concatenación de SUA's ) V1.1] Por favor inserte el "
                           "diskette #0 en la unidad A:\n~\nD A: SUA (*.SU0;*.SUA)|*.SU0;*.SUA\n";
const std::string kChosen = kStart + kUp;
const std::string kMore = "!!YN ¿Más diskettes?\n";
std::string Insert(int n, const std::string& drive = "A:") {
  const std::string k = std::to_string(n);
  return "!OC Inserte el diskette #" + k + " en la unidad " + drive + "\nD " + drive + "/ SU" + k +
         "(*.SU" + k + ")|*.SU" + k + "|\n";
}
std::string Error(const std::string& text) {
  return "!E " + text + "\n~\n";  // the run's error exit; the program then takes the window down
}
const std::string kCopied =
    "~\n!I El archivo concatenado se copió como: {root}/prog/tmp/S0307379.ZIP\n";
const std::string kNotCopied = "~\n!E El archivo concatenado NO se copió.\n";
const std::string kName = "NOMBRE DE ARCHIVO NO CORRESPONDE A LOS DATOS QUE CONTIENE";
const std::string kCount = "La cantidad de discos no corresponde con los esperados.";
const std::string kNoAppend = "No fue posible concatenar el archivo";
const std::string kNotMatching =
    "El nombre del archivo no corresponde a los datos generados por el SUA.";

const std::string kSu0 = "A:/S0307379.SU0";
const std::string kSu1 = "A:/S0307379.SU1";
const std::string kSu2 = "A:/S0307379.SU2";

struct Scenario {
  std::string name;
  std::vector<std::string> files;    // "path=content" below the root; "path/" a folder
  std::vector<std::string> answers;  // a dialog's path ("work:NAME" in the work folder),
                                     // "cancel" or "fail"; a box's "Y", "N", "OK" or "C"
  std::string seen;
  std::vector<std::string> left;  // the work folder: "NAME", "NAME=content", "-" for none
  std::string archive = "";       // "ENTRY=content" of the archive listed in `left`
  std::string twist = "";  // "second copy", "centring fails", "prog/" (the program folder text
                           // ends in a separator) or "limit:content" (files stop growing there)
};

class Run : public testing::TestWithParam<Scenario> {
 protected:
  void SetUp() override { saved_folder_ = stdfs::current_path(); }
  void TearDown() override { stdfs::current_path(saved_folder_); }

  std::string Transcript() const {
    std::string seen;
    size_t box = 0;
    for (const auto& [op, detail] : ws_.calls()) {
      if (op == "Beep") seen += "!";
      if (op == "SetProgressText" && !detail.empty()) seen += "~" + detail + "\n";
      if (op == "UnloadProgressWindow") seen += "~\n";
      if (op.starts_with("SetMainWindow")) seen += "@" + detail + "\n";
      if (op == "ShowOpenDialog") seen += "D " + detail + "\n";
      if (op != "MessageBox") continue;
      const ScriptedWindowSystem::Box& b = ws_.boxes()[box++];
      const std::map<int, std::string> kinds{{64, "I"}, {16, "E"}, {36, "YN"}, {33, "OC"}};
      seen += kinds.count(b.style) ? kinds.at(b.style) : std::to_string(b.style);
      if (b.title != "Q.E.B. ( Concatenación de SUA's ) V1.0") seen += "[" + b.title + "]";
      seen += " " + b.text + "\n";
    }
    for (size_t at; (at = seen.find(folder_.Root())) != std::string::npos;)
      seen.replace(at, folder_.Root().size(), "{root}");
    return seen;
  }

  // Runs the program in a child process whose files cannot grow past `limit`
  // bytes, a real full disk; returns what the operator saw.
  std::string RunWithFileSizeLimit(size_t limit) {
    const std::string report = folder_.Path("seen.txt");
    const pid_t child = fork();
    if (child == 0) {
      std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead
      const rlimit size_limit{limit, limit};
      setrlimit(RLIMIT_FSIZE, &size_limit);
      app_.Form_Load();
      std::FILE* out = std::fopen(report.c_str(), "w");
      const std::string seen = Transcript();
      _exit(out && std::fputs(seen.c_str(), out) >= 0 && std::fclose(out) == 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return ReadAll(report);
  }

  std::vector<std::string> WorkFolder() const {
    if (!stdfs::is_directory(Work())) return {"-"};
    std::vector<std::string> names;
    for (const auto& entry : stdfs::directory_iterator(Work()))
      names.push_back(entry.path().filename().string() + (entry.is_directory() ? "/" : ""));
    std::sort(names.begin(), names.end());
    return names;
  }
  stdfs::path Work() const { return stdfs::path(folder_.Path("prog/tmp")); }

  test_support::TempFolder folder_;
  ScriptedWindowSystem ws_;
  FQEB_SUA app_{ws_};
  stdfs::path saved_folder_;
};

// An archive read back by Python's zipfile: its entries' names, the first
// entry's comment in hexadecimal, and the first entry's content in `content`.
std::string ReadWithPython(const std::string& archive, const std::string& content) {
  const std::string command =
      "python3 -c \"import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); "
      "assert z.testzip() is None; i = z.infolist(); open(sys.argv[2], 'wb').write(z.read(i[0])); "
      "print(*[e.filename for e in i], i[0].comment.hex())\" '" +
      archive + "' '" + content + "'";
  std::FILE* pipe = popen(command.c_str(), "r");
  std::string output(4096, '\0');
  output.resize(pipe && std::fgets(output.data(), 4096, pipe) ? std::strlen(output.data()) : 0);
  EXPECT_TRUE(pipe && pclose(pipe) == 0) << "python3 could not read " << archive;
  return output;
}

TEST_P(Run, ShowsAndLeavesWhatTheRowSays) {
  const Scenario& row = GetParam();
  std::map<std::string, std::string> outside_work_folder;
  for (const std::string& file : row.files) {
    const size_t equals = file.find('=');
    if (equals == std::string::npos) {
      stdfs::create_directories(folder_.Path(file));
    } else {
      const std::string relative = file.substr(0, equals);
      const std::string path = folder_.Write(relative, Bytes(file.substr(equals + 1)));
      if (!relative.starts_with("prog/tmp/")) outside_work_folder[path] = ReadAll(path);
    }
  }
  for (const char* drive : {"A:", "B:", "M:", "a:", "prog"})
    stdfs::create_directories(folder_.Path(drive));
  for (const std::string& answer : row.answers) {
    const std::map<std::string, int> buttons{{"Y", ui::kAnswerYes},
                                             {"N", ui::kAnswerNo},
                                             {"OK", ui::kAnswerOk},
                                             {"C", ui::kAnswerCancel}};
    if (buttons.count(answer))
      ws_.QueueAnswer(buttons.at(answer));
    else if (answer == "cancel")
      ws_.QueueDialogCancel();
    else if (answer == "fail")
      ws_.QueueDialogFailure(20476, "FNERR_INVALIDFILENAME");
    else if (answer.starts_with("work:"))
      ws_.QueueDialogPath((Work() / answer.substr(5)).string());
    else
      ws_.QueueDialogPath(answer);
  }
  ws_.SetProgramFolder(folder_.Path(row.twist == "prog/" ? "prog/" : "prog"));
  ws_.SetAnotherCopyRunning(row.twist == "second copy");
  if (row.twist == "centring fails")
    ws_.FailOperation("SetMainWindowLeft", 438, "Object doesn't support this property or method");
  stdfs::current_path(folder_.Root());

  std::string seen;
  if (row.twist.starts_with("limit:")) {
    seen = RunWithFileSizeLimit(Bytes(row.twist.substr(6)).size() + 40);
  } else {
    app_.Form_Load();
    seen = Transcript();
    EXPECT_EQ(ws_.Ops().back(), "UnloadMainWindow");
    EXPECT_FALSE(ws_.progress_loaded());
    EXPECT_EQ(ws_.unanswered(), 0u);
  }

  EXPECT_EQ(seen, row.seen);
  for (const ui::OpenDialogSettings& dialog : ws_.dialogs()) {
    EXPECT_EQ(dialog.file_name, "");
    EXPECT_EQ(dialog.flags, 4100);  // the file must exist; no read-only box
    EXPECT_EQ(dialog.filter_index, 1);
    EXPECT_TRUE(dialog.cancel_error);
    EXPECT_EQ(dialog.title, "Verificación para Cuotas IMSS (SUA)");
  }
  std::vector<std::string> names;
  for (const std::string& entry : row.left) {
    names.push_back(entry.substr(0, entry.find('=')));
    if (entry.find('=') != std::string::npos) {
      EXPECT_EQ(ReadAll((Work() / names.back()).string()), Bytes(entry.substr(entry.find('=') + 1)))
          << names.back();
    }
  }
  EXPECT_EQ(WorkFolder(), names);
  for (const auto& [path, bytes] : outside_work_folder)
    EXPECT_EQ(ReadAll(path), bytes) << path << " changed";

  if (!row.archive.empty()) {
    const std::string entry = row.archive.substr(0, row.archive.find('='));
    const std::string data = Bytes(row.archive.substr(entry.size() + 1));
    const std::string clave = data.substr(data.size() - 295 + 120, 19);
    const std::string archive = (Work() / names.at(0)).string();
    EXPECT_EQ(
        ReadWithPython(archive, folder_.Path("content")),
        entry + " " + test_support::Hex(zip::FGCifraXor(clave, zip::kLlaveComentario)) + "\n");
    EXPECT_EQ(ReadAll(folder_.Path("content")), data);
    EXPECT_EQ(stdfs::current_path(), stdfs::canonical(Work())) << "the checks moved into it";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Scenarios, Run,
    testing::Values(
        // A whole file whose record says two diskettes passes: the count comes from the name.
        Scenario{"WholeFile",
                 {"A:/S0307379.SUA=W2"},
                 {"A:/S0307379.SUA"},
                 kChosen + kCopied,
                 {"S0307379.ZIP"},
                 "S0307379.SUA=W2"},
        Scenario{
            "WholeFileLowerCaseFromAnyDrive",
            {"M:/s0307379.sua=W"},
            {"M:/s0307379.sua"},
            kChosen + "~\n!I El archivo concatenado se copió como: {root}/prog//tmp/s0307379.ZIP\n",
            {"s0307379.ZIP"},
            "s0307379.sua=W",
            "prog/"},
        // Leftovers of an earlier run give way to the pieces and the joined file.
        Scenario{"SplitFile",
                 {"A:/S0307379.SU0=0/3", "A:/S0307379.SU1=1/3", "A:/S0307379.SU2=2/3",
                  "prog/tmp/S0307379.SU1=old", "prog/tmp/S0307379.SUA=old"},
                 {kSu0, "Y", "OK", kSu1, "Y", "OK", kSu2, "N"},
                 kChosen + kMore + Insert(1) + kMore + Insert(2) + kMore + kCopied,
                 {"S0307379.ZIP"},
                 "S0307379.SUA=0/3+1/3+2/3"},
        Scenario{"SplitFileStartingAtOneFromAnyDrive",
                 {"M:/S0307379.SU1=0/2", "M:/S0307379.SU2=1/2"},
                 {"M:/S0307379.SU1", "Y", "OK", "M:/S0307379.SU2", "N"},
                 kChosen + kMore + Insert(1, "M:") + kMore + kCopied,
                 {"S0307379.ZIP"},
                 "S0307379.SUA=0/2+1/2"},
        Scenario{"MarkAsTheLastByteIsNoData",
                 {"A:/S0307379.SU0=0/2", "A:/S0307379.SU1=1/2+eof"},
                 {kSu0, "Y", "OK", kSu1, "N"},
                 kChosen + kMore + Insert(1) + kMore + kCopied,
                 {"S0307379.ZIP"},
                 "S0307379.SUA=0/2+1/2"},
        Scenario{"FirstDialogCancelled", {}, {"cancel"}, kStart, {"-"}},
        Scenario{
            "FirstDialogFails", {}, {"fail"}, kStart + "!E 20476 FNERR_INVALIDFILENAME\n", {"-"}},
        Scenario{"CancelAtDisketteOne",
                 {"A:/S0307379.SU0=0/3", "A:/S0307379.SU1=1/3"},
                 {kSu0, "Y", "C"},
                 kChosen + kMore + "!OC Inserte el diskette #1 en la unidad A:\n" + kNotCopied,
                 {"S0307379.SU0=0/3"}},
        Scenario{"FurtherDialogCancelled",
                 {"A:/S0307379.SU0=0/3", "A:/S0307379.SU1=1/3"},
                 {kSu0, "Y", "OK", kSu1, "Y", "OK", "cancel"},
                 kChosen + kMore + Insert(1) + kMore + Insert(2) + kNotCopied,
                 {"S0307379.SU0=0/3+1/3"}},
        Scenario{"NameEndingInTwo", {"A:/S0307379.SU2=W"}, {kSu2}, kChosen + Error(kName), {"-"}},
        Scenario{"PieceZeroFromOtherDrive",
                 {"M:/S0307379.SU0=0/2"},
                 {"M:/S0307379.SU0"},
                 kChosen + Error(kName),
                 {"-"}},
        Scenario{"PieceZeroFromLowerCaseA",
                 {"a:/S0307379.SU0=0/2"},
                 {"a:/S0307379.SU0"},
                 kChosen + Error(kName),
                 {"-"}},
        Scenario{"NoRightAfterPieceZeroFromB",
                 {"B:/S0307379.SU0=0/2"},
                 {"B:/S0307379.SU0", "N"},
                 kChosen + kMore + Error(kCount),
                 {"S0307379.SU0=0/2"}},
        Scenario{"LastPieceEndsInALineBreak",
                 {"A:/S0307379.SU0=0/2", "A:/S0307379.SU1=1/2+crlf"},
                 {kSu0, "Y", "OK", kSu1, "N"},
                 kChosen + kMore + Insert(1) + kMore + Error(kCount),
                 {"S0307379.SU0"}},
        Scenario{"LineBreakAfterTheRecord",
                 {"A:/S0307379.SUA=W+crlf"},
                 {"A:/S0307379.SUA"},
                 kChosen + Error("Error en el formato de la información, se esperaba registro de "
                                 "Validación"),
                 {}},
        Scenario{"ShortWholeFile",
                 {"A:/S0307379.SUA=short"},
                 {"A:/S0307379.SUA"},
                 kChosen + Error(kNotMatching),
                 {}},
        Scenario{"NameOfOtherData",
                 {"A:/T0307379.SUA=W"},
                 {"A:/T0307379.SUA"},
                 kChosen + Error(kNotMatching),
                 {}},
        Scenario{"WholeFileGoneBeforeItsCopy",
                 {},
                 {"A:/S0307379.SUA"},
                 kChosen + Error("No fue posible validar el Nombre del Archivo."),
                 {"-"}},
        Scenario{"MarkInsideAPiece",
                 {"A:/S0307379.SU0=0/3", "A:/S0307379.SU1=1/3!"},
                 {kSu0, "Y", "OK", kSu1},
                 kChosen + kMore + Insert(1) + Error(kNoAppend),
                 {"S0307379.SU0=0/3"}},
        Scenario{"SamePieceTwice",
                 {"A:/S0307379.SU0=0/2"},
                 {kSu0, "Y", "OK", kSu0},
                 kChosen + kMore + Insert(1) + Error(kNoAppend),
                 {"S0307379.SU0=0/2"}},
        Scenario{"SamePieceOtherCase",
                 {"A:/S0307379.SU0=0/2", "A:/s0307379.su0=0/2"},
                 {kSu0, "Y", "OK", "A:/s0307379.su0"},
                 kChosen + kMore + Insert(1) + Error(kNoAppend),
                 {"S0307379.SU0=0/2"}},
        Scenario{"PieceFromTheWorkFolder",
                 {"A:/S0307379.SU0=0/2", "prog/tmp/S0307379.SU1=1/2"},
                 {kSu0, "Y", "OK", "work:S0307379.SU1"},
                 kChosen + kMore + Insert(1) + Error(kNoAppend),
                 {"S0307379.SU0=0/2", "S0307379.SU1=1/2"}},
        Scenario{"PieceGoneBeforeItsCopy",
                 {"A:/S0307379.SU0=0/2"},
                 {kSu0, "Y", "OK", kSu1},
                 kChosen + kMore + Insert(1) + Error("2 No such file or directory"),
                 {"S0307379.SU0=0/2"}},
        Scenario{"WorkFolderTakenByAFile",
                 {"prog/tmp=old", "A:/S0307379.SUA=W"},
                 {"A:/S0307379.SUA"},
                 kChosen + Error("17 File exists"),
                 {"-"}},
        Scenario{"JoinedNameTakenByAFolder",
                 {"A:/S0307379.SU0=0/2", "A:/S0307379.SU1=1/2", "prog/tmp/S0307379.SUA/"},
                 {kSu0, "Y", "OK", kSu1, "N"},
                 kChosen + kMore + Insert(1) + kMore + Error("17 File exists"),
                 {"S0307379.SU0=0/2+1/2", "S0307379.SUA/"}},
        Scenario{"ArchiveNameTakenByAFolder",
                 {"A:/S0307379.SUA=W", "prog/tmp/S0307379.ZIP/"},
                 {"A:/S0307379.SUA"},
                 kChosen + "!E[" + kZipTitle + "] " + zip::ZipErrorText(519) + "\n" + kNotCopied,
                 {"S0307379.ZIP/"}},
        Scenario{
            "DiskFullWhileAppending",
            {"A:/S0307379.SU0=0/2", "A:/S0307379.SU1=1/2"},
            {kSu0, "Y", "OK", kSu1},
            kChosen + kMore + Insert(1) + "!E FGAppendFile:27 File too large\n" + Error(kNoAppend),
            {"S0307379.SU0"},
            "",
            "limit:1/2"},
        // An earlier archive is never reported as this run's.
        Scenario{"DiskFullWhilePacking",
                 {"A:/S0307379.SUA=R", "prog/tmp/S0307379.ZIP=old"},
                 {"A:/S0307379.SUA"},
                 kChosen + "!E[" + kZipTitle + "] " + zip::ZipErrorText(150) + "\n" + kNotCopied,
                 {"S0307379.ZIP=old"},
                 "",
                 "limit:R"},
        Scenario{"SecondCopy", {}, {}, "", {"-"}, "", "second copy"},
        Scenario{"ErrorWhileCentring",
                 {},
                 {},
                 kUp + "@5280\n!E 438 Object doesn't support this property or method\n~\n",
                 {"-"},
                 "",
                 "centring fails"}),
    [](const auto& info) { return info.param.name; });

// A run killed while packing leaves the earlier archive at the archive's path whole.
TEST_F(Run, KillWhilePackingLeavesTheEarlierArchiveWhole) {
  const std::string archive = folder_.Path("prog/tmp/S0307379.ZIP");
  stdfs::create_directories(folder_.Path("prog/tmp"));
  zip::ZipComponent earlier;
  earlier.SourceFiles = folder_.Write("earlier/S0307379.SUA", Bytes("W"));
  earlier.ZipFilename = archive;
  ASSERT_EQ(earlier.Compress(), 0);
  const std::string bytes = ReadAll(archive);
  folder_.Write("A:/S0307379.SUA", sample::MakeSuaData(kName8, 200'000'000 / 295, 8, 1));
  ws_.SetProgramFolder(folder_.Path("prog"));
  ws_.QueueDialogPath("A:/S0307379.SUA");
  stdfs::current_path(folder_.Root());

  const pid_t child = fork();
  if (child == 0) {
    app_.Form_Load();
    _exit(0);
  }
  // Packing has begun once a file other than the joined file and the archive shows.
  bool packing = false;
  for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(120);
       !packing && std::chrono::steady_clock::now() < until;
       std::this_thread::sleep_for(std::chrono::milliseconds(20)))
    for (const std::string& name : WorkFolder())
      packing = packing || (name != "S0307379.SUA" && name != "S0307379.ZIP" && name != "-");
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(packing && WIFSIGNALED(status)) << "killed before packing, or it ended first";
  EXPECT_EQ(ReadAll(archive), bytes);
}

// FGMsgErrorZip: a beep, then the code's text in a stop box under the compression title.
TEST(FGMsgErrorZip, BeepsThenShowsTheCodesText) {
  const std::vector<std::pair<int16_t, std::string>> rows{
      {150,
       "No hay bastante espacio en el dispositivo de almacenamiento para terminar la operación."},
      {999, "Ocurrió un error inesperado en la biblioteca."},
      {0, "Error en XCEEDZIP no catalogado"},
      {-5, "Error en XCEEDZIP no catalogado"},
      {527, "Error en XCEEDZIP no catalogado"}};
  for (const auto& [code, text] : rows) {
    ScriptedWindowSystem ws;
    FGMsgErrorZip(ws, code);
    EXPECT_EQ(ws.Ops(), (std::vector<std::string>{"Beep", "MessageBox"})) << code;
    EXPECT_EQ(ws.boxes().at(0), (ScriptedWindowSystem::Box{text, kZipTitle, 16})) << code;
  }
  ScriptedWindowSystem failing;
  failing.FailOperation("MessageBox");
  EXPECT_THROW(FGMsgErrorZip(failing, 504), RunError) << "a failing box reaches the caller";
}

}  // namespace
}  // namespace qeb
