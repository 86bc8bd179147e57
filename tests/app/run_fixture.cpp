#include "run_fixture.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

#include "ui/window_system.h"

namespace qeb::testing_run {
namespace stdfs = std::filesystem;

Box FirstPrompt() {
  return {"Por favor inserte el diskette #0 en la unidad A:", kTitle11, ui::kIconInformation};
}
Box Info(const std::string& text) {
  return {text, kTitle10, ui::kIconInformation};
}
Box Error(const std::string& text) {
  return {text, kTitle10, ui::kIconStop};
}
Box MoreDiskettes() {
  return {"¿Más diskettes?", kTitle10, ui::kIconQuestion + ui::kButtonsYesNo};
}
Box InsertDiskette(int n, const std::string& drive) {
  return {"Inserte el diskette #" + std::to_string(n) + " en la unidad " + drive, kTitle10,
          ui::kIconQuestion + ui::kButtonsOkCancel};
}
Box ZipError(const std::string& text) {
  return {text, "Q.E.B. ( Compresión de SUA's ) V1.0", ui::kIconStop};
}
Box NotCopied() {
  return Error("El archivo concatenado NO se copió.");
}
Box Copied(const std::string& archive) {
  return Info("El archivo concatenado se copió como: " + archive);
}

std::string ReadFile(const stdfs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteFile(const stdfs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::vector<std::string> FilesIn(const stdfs::path& folder) {
  std::vector<std::string> names;
  std::error_code code;
  for (const auto& entry : stdfs::directory_iterator(folder, code))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

void RunTest::SetUp() {
  saved_current_folder_ = stdfs::current_path();
  std::random_device random;
  root_ = stdfs::temp_directory_path() / ("qeb-run-" + std::to_string(random()));
  for (const char* folder : {"prog", "A:", "B:", "M:", "a:"})
    stdfs::create_directories(root_ / folder);
  stdfs::current_path(root_);
  ws_.SetProgramFolder((root_ / "prog").string());
  app_ = std::make_unique<FQEB_SUA>(ws_);
}

void RunTest::TearDown() {
  stdfs::current_path(saved_current_folder_);
  for (const auto& [path, bytes] : diskette_files_)
    EXPECT_EQ(ReadFile(path), bytes) << path << " changed on its diskette";
  EXPECT_EQ(ws_.unanswered(), 0u) << "scripted answers left unused";
  EXPECT_FALSE(ws_.progress_loaded()) << "the progress window stayed up";
  std::error_code code;
  stdfs::remove_all(root_, code);
}

std::string RunTest::DialogPath(const std::string& drive, const std::string& file_name) const {
  return drive + "/" + file_name;
}

std::string RunTest::PutWhole(const std::string& drive, const std::string& file_name,
                              const std::string& data) {
  const stdfs::path path = root_ / drive / file_name;
  WriteFile(path, data);
  diskette_files_[path] = data;
  return DialogPath(drive, file_name);
}

std::vector<std::string> RunTest::PutPieces(const std::string& drive,
                                            const std::vector<std::string>& pieces,
                                            const std::string& name8) {
  std::vector<std::string> paths;
  for (size_t i = 0; i < pieces.size(); ++i)
    paths.push_back(PutWhole(drive, name8 + ".SU" + std::to_string(i), pieces[i]));
  return paths;
}

void RunTest::QueueSplit(const std::vector<std::string>& paths, bool asked_after_last) {
  ws_.QueueDialogPath(paths[0]);
  for (size_t i = 1; i < paths.size(); ++i) {
    ws_.QueueAnswer(ui::kAnswerYes);
    ws_.QueueAnswer(ui::kAnswerOk);
    ws_.QueueDialogPath(paths[i]);
  }
  if (asked_after_last) ws_.QueueAnswer(ui::kAnswerNo);
}

void RunTest::RunProgram() {
  app_->Form_Load();
  // Whatever the run did, the program leaves with its window unloaded.
  EXPECT_FALSE(ws_.main_window_loaded());
}

std::vector<Box> RunTest::RunWithFileSizeLimit(size_t limit) {
  const stdfs::path report = root_ / "boxes.txt";
  const pid_t child = fork();
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead
    const rlimit size_limit{limit, limit};
    setrlimit(RLIMIT_FSIZE, &size_limit);
    app_->Form_Load();
    std::ofstream out(report);
    for (const Box& box : ws_.boxes())
      out << box.style << '\n' << box.title << '\n' << box.text << '\n';
    out.close();
    _exit(out ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ws_ = ui::ScriptedWindowSystem();  // the child used the script
  std::vector<Box> boxes;
  std::ifstream in(report);
  for (std::string style, title, text;
       std::getline(in, style) && std::getline(in, title) && std::getline(in, text);)
    boxes.push_back({text, title, std::stoi(style)});
  return boxes;
}

std::string RunTest::ExpectedFile(const std::string& bytes) {
  const stdfs::path path = root_ / "expected.bin";
  WriteFile(path, bytes);
  return path.string();
}

PythonView ReadWithPython(const std::string& archive, const std::string& expected_content_file) {
  PythonView view;
  const std::string script =
      "import sys, zipfile\n"
      "z = zipfile.ZipFile(sys.argv[1])\n"
      "print('clean' if z.testzip() is None else 'corrupt')\n"
      "infos = z.infolist()\n"
      "print(','.join(i.filename for i in infos))\n"
      "print(infos[0].comment.hex() if infos else '')\n"
      "print('equal' if infos and z.read(infos[0]) == open(sys.argv[2], 'rb').read() else "
      "'differ')\n";
  const stdfs::path script_path = stdfs::temp_directory_path() / "qeb-read-zip.py";
  WriteFile(script_path, script);
  const std::string command = "python3 '" + script_path.string() + "' '" + archive + "' '" +
                              expected_content_file + "' 2>&1";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return view;
  std::string output;
  std::array<char, 4096> buffer{};
  while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) output += buffer.data();
  if (pclose(pipe) != 0) {
    ADD_FAILURE() << "python3 could not read " << archive << ":\n" << output;
    return view;
  }
  std::istringstream lines(output);
  std::string clean, names, equal;
  std::getline(lines, clean);
  std::getline(lines, names);
  std::getline(lines, view.comment_hex);
  std::getline(lines, equal);
  view.available = true;
  view.testzip_clean = clean == "clean";
  std::istringstream name_list(names);
  for (std::string name; std::getline(name_list, name, ',');) view.names.push_back(name);
  view.content_equal = equal == "equal";
  return view;
}

}  // namespace qeb::testing_run
