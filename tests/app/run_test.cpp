// The whole run, natively, over drive folders: "A:", "B:", "M:" and "a:" are
// folders below the test's root, which is the current folder during the run.
// Each row puts files there, answers the boxes and dialogs in turn, and
// expects what the operator sees and what is left in the work folder; the
// files outside the work folder must be unchanged afterwards.

#include <gtest/gtest.h>

#include <sys/syscall.h>
#include <zlib.h>
#include <csignal>
#include <filesystem>
#include <random>
#include <regex>
#include <sstream>

#include "app/error_trap.h"
#include "app/main_window.h"
#include "base/run_error.h"
#include "support/child_process.h"
#include "support/outside_tool.h"
#include "support/scripted_window_system.h"
#include "support/temp_folder.h"
#include "tools/sua_sample.h"
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
      for (int i = 0; i < 200000; ++i)  // anything but 0x1A
        bytes += static_cast<char>((random() % 255 + 0x1B) % 256);
      bytes += sample::MakeSuaData(kName8, 1, 3, 1);
    } else if (const size_t slash = token.find('/'); slash != std::string::npos) {
      const auto set = sample::MakeSplitSetOfCount(sample::MakeSuaData(kName8, 40, 7, 1),
                                                   std::stoul(token.substr(slash + 1)));
      std::string piece = set.pieces.at(std::stoul(token));
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
// before a line is one beep, each "&" one step run off the window thread
// (every copy from a drive, append and packing). {root} stands for the
// test's root.
const std::string kUp = "~Preparando información...\n";
const std::string kStart = kUp + "@5280\n@3960\n@Q.E.B. ( Concatenación de SUA's ) V1.0\n~\n" +
                           kUp +
                           "I[Q.E.B. ( Concatenación de SUA's ) V1.1] Por favor inserte el "
                           "diskette #0 en la unidad A:\n~\nD A: SUA (*.SU0;*.SUA)|*.SU0;*.SUA\n";
const std::string kChosen = kStart + kUp;
const std::string kTaken = kChosen + "&";  // the first file classified and copied
const std::string kMore = "!!YN ¿Más diskettes?\n";
std::string Insert(int n, const std::string& drive = "A:") {
  const std::string k = std::to_string(n);
  return "!OC Inserte el diskette #" + k + " en la unidad " + drive + "\nD " + drive + "/ SU" + k +
         "(*.SU" + k + ")|*.SU" + k + "|\n";
}
// Pieces 1 to n-1 asked for and chosen, each after "more?", and "more?" once more.
std::string Further(int n, const std::string& drive = "A:") {
  std::string seen = kMore;
  for (int i = 1; i < n; ++i) seen += Insert(i, drive) + "&&" + kMore;
  return seen;
}
std::string Error(const std::string& text) {
  return "!E " + text + "\n~\n";  // the run's error exit; the program then takes the window down
}
const std::string kPacked = "&~\n!I El archivo concatenado se copió como: {root}/prog/";
const std::string kCopied = kPacked + "tmp/S0307379.ZIP\n";
const std::string kNotCopied = "~\n!E El archivo concatenado NO se copió.\n";
const std::string kName = "NOMBRE DE ARCHIVO NO CORRESPONDE A LOS DATOS QUE CONTIENE";
const std::string kCount = "La cantidad de discos no corresponde con los esperados.";
const std::string kNoAppend = "No fue posible concatenar el archivo";
const std::string kNotValidated = "No fue posible validar el Nombre del Archivo.";
const std::string kNotMatching =
    "El nombre del archivo no corresponde a los datos generados por el SUA.";

// Space-separated words where "*" stands for S0307379.
struct Scenario {
  std::string name;
  std::string files;    // "path=content" below the root; "path/" a folder
  std::string answers;  // a dialog's path ("work:NAME" in the work folder), "cancel" or
                        // "fail"; a box's "Y", "N", "OK" or "C"
  std::string seen;
  std::string left;       // the work folder: "NAME", "NAME=content"; "-" for none
  std::string archive{};  // "ENTRY=content COMMENT" of the archive listed in `left`; COMMENT
                          // is the entry's comment in hexadecimal, the data's clave scrambled
                          // with the key, worked out apart from the program
  std::string twist{};    // "second copy", "centring fails" (oddly), "prog/" (the program folder
                          // text ends in a separator), "limit:content" (files stop 40 bytes
                          // past its size) or "kill:content" (killed there)
};

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string word; in >> word; words.push_back(word))
    if (const size_t star = word.find('*'); star != std::string::npos)
      word.replace(star, 1, kName8);
  return words;
}

class RunFixture : public testing::Test {
 protected:
  void SetUp() override { saved_folder_ = stdfs::current_path(); }
  void TearDown() override { stdfs::current_path(saved_folder_); }

  // Puts the files on the drives and in the program's folder; answers the
  // files outside the work folder, with their bytes.
  std::map<std::string, std::string> Place(const std::string& files) const {
    std::map<std::string, std::string> outside_work_folder;
    for (const std::string& file : Words(files)) {
      const size_t equals = file.find('=');
      if (equals == std::string::npos) {
        stdfs::create_directories(folder_.Path(file));
      } else {
        const std::string path =
            folder_.Write(file.substr(0, equals), Bytes(file.substr(equals + 1)));
        if (!file.starts_with("prog/tmp/")) outside_work_folder[path] = ReadAll(path);
      }
    }
    for (const char* drive : {"A:", "B:", "M:", "a:", "prog"})
      stdfs::create_directories(folder_.Path(drive));
    return outside_work_folder;
  }

  void Script(const std::string& answers) {
    // clang-format off
    const std::map<std::string, int> buttons{
        {"Y", ui::kAnswerYes}, {"N", ui::kAnswerNo}, {"OK", ui::kAnswerOk}, {"C", ui::kAnswerCancel}};
    // clang-format on
    for (const std::string& answer : Words(answers)) {
      if (buttons.count(answer))
        ws_.QueueAnswer(buttons.at(answer));
      else if (answer == "cancel")
        ws_.QueueDialogCancel();
      else if (answer == "fail")
        ws_.QueueDialogFailure(20476, "FNERR_INVALIDFILENAME");
      else
        ws_.QueueDialogPath(answer.starts_with("work:") ? (Work() / answer.substr(5)).string()
                                                        : answer);
    }
    ws_.SetProgramFolder(folder_.Path("prog"));
  }

  // Runs the program and returns what the operator saw; for a twist with a
  // colon, in a child process that meets a real full disk (and is killed by
  // SIGKILL right there for "kill:").
  std::string Seen(const std::string& twist) {
    const auto run = [this] { return app_.Form_Load(), Transcript() + Unfinished(); };
    const std::string named = twist.substr(twist.find(':') + 1);  // after the colon
    if (!twist.starts_with("limit:") && !twist.starts_with("kill:")) return run();
    return test_support::RunInChild(
        [limit = Bytes(named).size() + 40, kill = twist.starts_with("kill:")] {
          test_support::LimitFileSize(limit);
          if (kill) std::signal(SIGXFSZ, [](int) { std::raise(SIGKILL); });
        },
        run);
  }

  // What the run left undone, checked where it ran (a child process's run
  // too): the main window unloaded, the progress window gone, every answer
  // taken, and each Open dialog set up the same way: no file name; 4100, the
  // file must exist, no read-only box; the first filter; a cancellation is an
  // error.
  std::string Unfinished() const {
    std::string left;
    if (ws_.Ops().back() != "UnloadMainWindow") left += "the main window stays\n";
    if (ws_.progress_loaded()) left += "the progress window stays\n";
    if (ws_.unanswered() != 0) left += std::to_string(ws_.unanswered()) + " answers not taken\n";
    for (const ui::OpenDialogSettings& d : ws_.dialogs())
      if (const std::string set = d.file_name + "|" + std::to_string(d.flags) + "|" +
                                  std::to_string(d.filter_index) + "|" +
                                  std::to_string(d.cancel_error) + "|" + d.title;
          set != "|4100|1|1|Verificación para Cuotas IMSS (SUA)")
        left += "a dialog set up as " + set + "\n";
    return left;
  }

  std::string Transcript() const {
    std::string seen;
    size_t box = 0;
    const std::map<int, std::string> kinds{{64, "I"}, {16, "E"}, {36, "YN"}, {33, "OC"}};
    for (const auto& [op, detail] : ws_.calls()) {
      if (op == "Beep") seen += "!";
      if (op == "RunWhileAnswering") seen += "&";
      if (op == "SetProgressText" && !detail.empty()) seen += "~" + detail + "\n";
      if (op == "UnloadProgressWindow") seen += "~\n";
      if (op.starts_with("SetMainWindow")) seen += "@" + detail + "\n";
      if (op == "ShowOpenDialog") seen += "D " + detail + "\n";
      if (op != "MessageBox") continue;
      const ScriptedWindowSystem::Box& b = ws_.boxes()[box++];
      seen += kinds.count(b.style) ? kinds.at(b.style) : std::to_string(b.style);
      if (b.title != "Q.E.B. ( Concatenación de SUA's ) V1.0") seen += "[" + b.title + "]";
      seen += " " + b.text + "\n";
    }
    for (size_t at; (at = seen.find(folder_.Root())) != std::string::npos;)
      seen.replace(at, folder_.Root().size(), "{root}");
    return seen;
  }

  std::vector<std::string> WorkFolder() const {
    if (!stdfs::is_directory(Work())) return {"-"};
    std::vector<std::string> names;
    for (const auto& entry : stdfs::directory_iterator(Work()))  // a temporary name's tag left out
      names.push_back(std::regex_replace(entry.path().filename().string(),
                                         std::regex("\\.[0-9a-f]{16}(\\.tmp)$"), "$1") +
                      (entry.is_directory() ? "/" : ""));
    std::sort(names.begin(), names.end());
    return names;
  }
  stdfs::path Work() const { return stdfs::path(folder_.Path("prog/tmp")); }

  test_support::TempFolder folder_;
  ScriptedWindowSystem ws_;
  FQEB_SUA app_{ws_};
  stdfs::path saved_folder_;
};

class Run : public RunFixture, public testing::WithParamInterface<Scenario> {};

TEST_P(Run, ShowsAndLeavesWhatTheRowSays) {
  const Scenario& row = GetParam();
  const std::map<std::string, std::string> outside_work_folder = Place(row.files);
  Script(row.answers);
  if (row.twist == "prog/") ws_.SetProgramFolder(folder_.Path("prog/"));
  ws_.SetAnotherCopyRunning(row.twist == "second copy");
  if (row.twist.starts_with("centring fails"))  // "... oddly": with a failure that is no RunError
    ws_.FailOperation("SetMainWindowLeft", row.twist.ends_with("oddly") ? 0 : 438,
                      "Object doesn't support this property or method");
  stdfs::current_path(folder_.Root());

  EXPECT_EQ(Seen(row.twist), row.seen);
  std::vector<std::string> names;
  for (const std::string& entry : Words(row.left)) {
    names.push_back(entry.substr(0, entry.find('=')));
    if (entry.find('=') != std::string::npos) {
      EXPECT_EQ(ReadAll((Work() / names.back()).string()),
                Bytes(entry.substr(names.back().size() + 1)))
          << names.back();
    }
  }
  EXPECT_EQ(WorkFolder(), names);
  for (const auto& [path, bytes] : outside_work_folder)
    EXPECT_EQ(ReadAll(path), bytes) << path << " changed";

  if (row.archive.empty()) return;
  // Read back by Python's zipfile: the entries' names, the first one's
  // comment in hexadecimal, and its content.
  const std::vector<std::string> archive = Words(row.archive);
  const size_t equals = archive.at(0).find('=');
  const auto [status, output] = test_support::RunTool(
      "python3 -c \"import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); "
      "assert z.testzip() is None; i = z.infolist(); open(sys.argv[2], 'wb').write(z.read(i[0])); "
      "print(*[e.filename for e in i], i[0].comment.hex())\" " +
      test_support::Quote((Work() / names.at(0)).string()) + " " +
      test_support::Quote(folder_.Path("content")));
  EXPECT_EQ(status, 0) << output;
  EXPECT_EQ(output, archive[0].substr(0, equals) + " " + archive.at(1) + "\n");
  EXPECT_EQ(ReadAll(folder_.Path("content")), Bytes(archive[0].substr(equals + 1)));
  EXPECT_EQ(stdfs::current_path(), stdfs::canonical(Work())) << "the checks moved into it";
}

// The whole run again and again, the Nth call of the file layer failing
// (open, read, write, flush, close, time, rename, delete, new folder), for
// every N until a run meets no failure, as SQLite's I/O-error tests do. A run
// ends in an error box and no archive, or leaves the archive of the run that
// met no failure, byte for byte; it never reports an archive that is not
// there, and never changes a diskette.
// A one-entry archive with its entry's time (the joined file's last write,
// which moves from run to run) blanked in its local and central headers.
std::string WithoutItsTime(std::string zip) {
  if (zip.size() < 22) return zip;
  size_t central = 0;  // where the central header is, from the end record
  for (size_t i = 3; i <= 3; --i)
    central = central << 8 | static_cast<uint8_t>(zip[zip.size() - 6 + i]);
  for (const size_t at : {size_t{10}, central + 12}) zip.replace(at, 4, 4, '\0');
  return zip;
}

class RunWithAFailingCall
    : public RunFixture,
      public testing::WithParamInterface<std::tuple<const char*, const char*, uLong>> {};
TEST_P(RunWithAFailingCall, EndsInAnErrorOrWithTheWholeArchive) {
  // clang-format off
  const std::vector<long> kFileCalls{SYS_openat, SYS_read, SYS_write, SYS_fsync, SYS_fdatasync,
      SYS_close, SYS_utimensat, SYS_ftruncate, SYS_rename, SYS_renameat, SYS_renameat2, SYS_unlink,
      SYS_unlinkat, SYS_mkdir};
  // clang-format on
  const std::string archive = folder_.Path("prog/tmp/S0307379.ZIP");
  const auto [files, answers, crc] = GetParam();
  Script(answers);  // taken by each run in a child of its own
  stdfs::current_path(folder_.Root());
  std::string untouched;
  for (long nth = 0;; ++nth) {  // 0: nothing fails
    for (const auto& entry : stdfs::directory_iterator(folder_.Root())) stdfs::remove_all(entry);
    const std::map<std::string, std::string> diskettes = Place(files);
    std::shared_ptr<const std::atomic<long>> calls;
    const std::string outcome = test_support::RunInChild(
        [&] { calls = test_support::FailSystemCall(kFileCalls, nth, EIO); },
        [&] {
          app_.Form_Load();
          return std::to_string(*calls >= nth) + std::to_string(ws_.boxes().back().style) + " " +
                 ws_.boxes().back().text;
        });
    const bool reported = outcome.find("se copió como") != std::string::npos;
    const bool archived = test_support::Exists(archive);
    if (nth == 0) {
      ASSERT_TRUE(reported && archived) << outcome;
      untouched = WithoutItsTime(ReadAll(archive));
      // The bytes the program has always made of these files, but for the time.
      EXPECT_EQ(crc32(0, reinterpret_cast<const Bytef*>(untouched.data()), untouched.size()), crc);
    }
    EXPECT_TRUE(reported ? archived : outcome.substr(1, 3) == "16 ") << nth << ": " << outcome;
    EXPECT_TRUE(!archived || WithoutItsTime(ReadAll(archive)) == untouched)
        << nth << ": " << outcome;
    for (const auto& [path, bytes] : diskettes) EXPECT_EQ(ReadAll(path), bytes) << nth;
    if (nth > 0 && outcome[0] == '0') break;  // the call never came
  }
}
INSTANTIATE_TEST_SUITE_P(WholeAndSplit, RunWithAFailingCall,
                         testing::Values(std::tuple{"A:/*.SUA=W", "A:/*.SUA", 0xd1ee9e14ul},
                                         std::tuple{"A:/*.SU0=0/3 A:/*.SU1=1/3 A:/*.SU2=2/3",
                                                    "A:/*.SU0 Y OK A:/*.SU1 Y OK A:/*.SU2 N",
                                                    0xbe06591dul}));

// Built when the tests are listed, after every static text is.
std::vector<Scenario> Scenarios() {
  // Eleven pieces: the last one's prompt and filter carry a number of two digits.
  std::string pieces = "A:/*.SU0=0/11", chosen = "A:/*.SU0", joined = "0/11";
  for (const std::string k : {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"})
    pieces += " A:/*.SU" + k + "=" + k + "/11", chosen += " Y OK A:/*.SU" + k,
        joined += "+" + k + "/11";
  return {
      // A whole file whose record says two diskettes passes: the count comes from the name.
      {"WholeFile", "A:/*.SUA=W2", "A:/*.SUA", kTaken + kCopied, "*.ZIP",
       "*.SUA=W2 6a0d73127b64664171630e756e070c1870747d"},
      {"WholeFileLowerCaseFromAnyDrive", "M:/s0307379.sua=W", "M:/s0307379.sua",
       kTaken + kPacked + "/tmp/s0307379.ZIP\n", "s0307379.ZIP",
       "s0307379.sua=W 6a0d73127b64664171630e756e070c1870747d", "prog/"},
      // Leftovers of an earlier run give way to the pieces and the joined file.
      {"SplitFile", pieces + " prog/tmp/*.SU1=old prog/tmp/*.SUA=old", chosen + " N",
       kTaken + Further(11) + kCopied, "*.ZIP",
       "*.SUA=" + joined + " 0a6a1004071315146f0702026d7f7c7a0b7271"},
      {"SplitFileStartingAtOneFromAnyDrive", "M:/*.SU1=0/2 M:/*.SU2=1/2",
       "M:/*.SU1 Y OK M:/*.SU2 N", kTaken + Further(2, "M:") + kCopied, "*.ZIP",
       "*.SUA=0/2+1/2 0a6a1004071315146f0702026d7f7c7a0b7271"},
      {"MarkAsTheLastByteIsNoData", "A:/*.SU0=0/2 A:/*.SU1=1/2+eof", "A:/*.SU0 Y OK A:/*.SU1 N",
       kTaken + Further(2) + kCopied, "*.ZIP",
       "*.SUA=0/2+1/2 0a6a1004071315146f0702026d7f7c7a0b7271"},
      {"FirstDialogCancelled", "", "cancel", kStart, "-"},
      {"FirstDialogFails", "", "fail", kStart + "!E 20476 FNERR_INVALIDFILENAME\n", "-"},
      {"CancelAtDisketteOne", "A:/*.SU0=0/3 A:/*.SU1=1/3", "A:/*.SU0 Y C",
       kTaken + kMore + "!OC Inserte el diskette #1 en la unidad A:\n" + kNotCopied, "*.SU0=0/3"},
      {"FurtherDialogCancelled", "A:/*.SU0=0/3 A:/*.SU1=1/3", "A:/*.SU0 Y OK A:/*.SU1 Y OK cancel",
       kTaken + kMore + Insert(1) + "&&" + kMore + Insert(2) + kNotCopied, "*.SU0=0/3+1/3"},
      {"NameEndingInTwo", "A:/*.SU2=W", "A:/*.SU2", kChosen + Error(kName), "-"},
      {"PieceZeroFromOtherDrive", "M:/*.SU0=0/2", "M:/*.SU0", kChosen + Error(kName), "-"},
      {"PieceZeroFromLowerCaseA", "a:/*.SU0=0/2", "a:/*.SU0", kChosen + Error(kName), "-"},
      {"NoRightAfterPieceZeroFromB", "B:/*.SU0=0/2", "B:/*.SU0 N", kTaken + kMore + Error(kCount),
       "*.SU0=0/2"},
      {"LastPieceEndsInALineBreak", "A:/*.SU0=0/2 A:/*.SU1=1/2+crlf", "A:/*.SU0 Y OK A:/*.SU1 N",
       kTaken + Further(2) + Error(kCount), "*.SU0"},
      {"LineBreakAfterTheRecord", "A:/*.SUA=W+crlf", "A:/*.SUA",
       kTaken + Error("Error en el formato de la información, se esperaba registro de Validación"),
       ""},
      {"ShortWholeFile", "A:/*.SUA=short", "A:/*.SUA", kTaken + Error(kNotMatching), ""},
      {"NameOfOtherData", "A:/T0307379.SUA=W", "A:/T0307379.SUA", kTaken + Error(kNotMatching), ""},
      {"WholeFileGoneBeforeItsCopy", "", "A:/*.SUA", kTaken + Error(kNotValidated), "-"},
      // A copy left by an earlier run is never taken for this run's file.
      {"WholeFileGoneAndAnEarlierCopy", "prog/tmp/*.SUA=W", "A:/*.SUA",
       kTaken + Error(kNotValidated), ""},
      {"MarkInsideAPiece", "A:/*.SU0=0/3 A:/*.SU1=1/3!", "A:/*.SU0 Y OK A:/*.SU1",
       kTaken + kMore + Insert(1) + "&&" + Error(kNoAppend), "*.SU0=0/3"},
      {"SamePieceTwice", "A:/*.SU0=0/2", "A:/*.SU0 Y OK A:/*.SU0",
       kTaken + kMore + Insert(1) + Error(kNoAppend), "*.SU0=0/2"},
      {"SamePieceOtherCase", "A:/*.SU0=0/2 A:/s0307379.su0=0/2", "A:/*.SU0 Y OK A:/s0307379.su0",
       kTaken + kMore + Insert(1) + Error(kNoAppend), "*.SU0=0/2"},
      {"PieceFromTheWorkFolder", "A:/*.SU0=0/2 prog/tmp/*.SU1=1/2", "A:/*.SU0 Y OK work:*.SU1",
       kTaken + kMore + Insert(1) + Error(kNoAppend), "*.SU0=0/2 *.SU1=1/2"},
      {"PieceGoneBeforeItsCopy", "A:/*.SU0=0/2", "A:/*.SU0 Y OK A:/*.SU1",
       kTaken + kMore + Insert(1) + "&" + Error("2 No such file or directory"), "*.SU0=0/2"},
      {"WorkFolderTakenByAFile", "prog/tmp=old A:/*.SUA=W", "A:/*.SUA",
       kTaken + Error("17 File exists"), "-"},
      {"JoinedNameTakenByAFolder", "A:/*.SU0=0/2 A:/*.SU1=1/2 prog/tmp/*.SUA/",
       "A:/*.SU0 Y OK A:/*.SU1 N", kTaken + Further(2) + Error("17 File exists"),
       "*.SU0=0/2+1/2 *.SUA/"},
      {"ArchiveNameTakenByAFolder", "A:/*.SUA=W prog/tmp/*.ZIP/", "A:/*.SUA",
       kTaken + "&!E[" + kZipTitle + "] " + zip::ZipErrorText(519) + "\n" + kNotCopied, "*.ZIP/"},
      {"DiskFullWhileAppending", "A:/*.SU0=0/2 A:/*.SU1=1/2", "A:/*.SU0 Y OK A:/*.SU1",
       kTaken + kMore + Insert(1) + "&&!E FGAppendFile:27 File too large\n" + Error(kNoAppend),
       "*.SU0", "", "limit:1/2"},
      // An earlier archive is never reported as this run's.
      {"DiskFullWhilePacking", "A:/*.SUA=R prog/tmp/*.ZIP=old", "A:/*.SUA",
       kTaken + "&!E[" + kZipTitle + "] " + zip::ZipErrorText(150) + "\n" + kNotCopied, "*.ZIP=old",
       "", "limit:R"},
      // Only the archive's temporary file holds what was written.
      {"KilledWhilePacking", "A:/*.SUA=R prog/tmp/*.ZIP=old", "A:/*.SUA",
       "child ended with status 9: ", "*.SUA=R *.ZIP=old *.ZIP.tmp", "", "kill:R"},
      {"SecondCopy", "", "", "", "-", "", "second copy"},
      {"ErrorWhileCentring", "", "",
       kUp + "@5280\n!E 438 Object doesn't support this property or method\n~\n", "-", "",
       "centring fails"},
      {"InternalErrorWhileCentring", "", "", kUp + "@5280\n!E 51 Error interno\n~\n", "-", "",
       "centring fails oddly"}};
}
INSTANTIATE_TEST_SUITE_P(Scenarios, Run, testing::ValuesIn(Scenarios()),
                         [](const auto& info) { return info.param.name; });

// The standard library's failures reach the operator as numbered errors (a
// system error's own number is seen in the rows above).
TEST(WithRunErrors, MemoryRunningOutIsError7) {
  try {
    WithRunErrors([]() -> int { throw std::bad_alloc(); });
    ADD_FAILURE() << "no error";
  } catch (const RunError& error) {
    EXPECT_EQ(error.OperatorText(), "7 Memoria insuficiente");
  }
}

}  // namespace
}  // namespace qeb
