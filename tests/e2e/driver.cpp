// The end-to-end driver: starts QEB_SUA.exe, plays the operator from a
// scenario file and writes what the program showed, step by step, to a
// report file that the caller compares with the expected one.
//
//   e2e_driver.exe PROGRAM SCENARIO REPORT SHOTS_FOLDER
//
// Scenario lines (UTF-8; "#" starts a comment):
//   start                 start PROGRAM (its folder as the current folder)
//   start-second          start a second copy; it must end on its own
//                         without showing a window
//   box                   wait for the next message box and report it
//   dialog                wait for the Open dialog and report it
//   answer BUTTON         press ok, cancel, yes or no in the box or dialog
//                         just reported, or send it esc or close
//   choose PATH           type PATH into the Open dialog and press Open
//   progress              report the progress window's text, ask it to
//                         close and report whether it stayed
//   shot NAME             save the screen as SHOTS_FOLDER\NAME.bmp
//   exit                  wait for the program to end; report its exit code
// A step that waits too long, or finds another window than it expects,
// reports what it found, ends the program and makes the driver fail.

#include "ui/win32/win32.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tests/win32/window_probe.h"
#include "ui/win32/handles.h"

namespace {

using qeb::probe::Narrow;
using qeb::probe::Widen;
using qeb::ui::win32::UniqueBitmap;
using qeb::ui::win32::UniqueKernelHandle;
using qeb::ui::win32::UniqueMemoryDc;
using std::chrono::milliseconds;

constexpr milliseconds kStepWait{30000};
constexpr milliseconds kPoll{25};
constexpr const wchar_t* kProgressClass = L"QEB_SUA.FMSG_SUA";
constexpr int kProgressLabel = 1001;
// The Open dialog's "Look in" box.
constexpr int kOpenLookInCombo = 0x471;

struct StepFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class Report {
 public:
  explicit Report(const std::filesystem::path& path) : out_(path, std::ios::binary) {
    if (!out_) throw std::runtime_error("cannot write the report");
  }
  void Line(const std::string& line) {
    out_ << line << "\n";
    out_.flush();  // what was seen stays even if the run hangs later
    if (!out_) throw std::runtime_error("cannot write the report");
  }

 private:
  std::ofstream out_;
};

std::string Quoted(const std::wstring& text) {
  std::string out = "\"";
  for (const char c : Narrow(text)) {
    if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n";
    else if (c == '"')
      out += "\\\"";
    else
      out += c;
  }
  return out + "\"";
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

// The visible top-level windows of one process.
std::vector<HWND> VisibleWindowsOf(DWORD process_id) {
  struct Search {
    DWORD process_id;
    std::vector<HWND> found;
  } search{process_id, {}};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == s->process_id && IsWindowVisible(window)) s->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The "Look in" box puts the drive's label, empty here, before the letter.
std::wstring TrimWide(const std::wstring& text) {
  const size_t first = text.find_first_not_of(L' ');
  if (first == std::wstring::npos) return {};
  return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

bool IsOpenDialog(HWND window) {
  return GetDlgItem(window, qeb::probe::kOpenFileNameControl) != nullptr;
}

std::string ButtonsOf(HWND box) {
  std::string buttons;
  const std::pair<int, const char*> names[] = {
      {IDOK, "OK"}, {IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}};
  for (const auto& [id, name] : names) {
    if (GetDlgItem(box, id) == nullptr) continue;
    if (!buttons.empty()) buttons += ",";
    buttons += name;
  }
  return buttons;
}

class Driver {
 public:
  Driver(std::wstring program, std::wstring shots, Report& report)
      : program_(std::move(program)), shots_(std::move(shots)), report_(report) {}
  ~Driver() {
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT)
      TerminateProcess(process_.get(), 99);
  }

  void Run(const std::string& command, const std::string& argument) {
    if (command == "start")
      Start();
    else if (command == "start-second")
      StartSecond();
    else if (command == "box")
      Box();
    else if (command == "dialog")
      Dialog();
    else if (command == "answer")
      Answer(argument);
    else if (command == "choose")
      Choose(argument);
    else if (command == "progress")
      Progress();
    else if (command == "shot")
      Shot(argument);
    else if (command == "exit")
      Exit();
    else
      throw StepFailure("unknown step: " + command);
  }

 private:
  static UniqueKernelHandle Launch(const std::wstring& program, DWORD* process_id) {
    const std::wstring folder = program.substr(0, program.find_last_of(L'\\'));
    std::wstring command_line = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), command_line.data(), /*process_security=*/nullptr,
                        /*thread_security=*/nullptr, /*inherit=*/FALSE, /*flags=*/0,
                        /*environment=*/nullptr, folder.c_str(), &startup, &info))
      throw StepFailure("cannot start the program, error " + std::to_string(GetLastError()));
    CloseHandle(info.hThread);
    *process_id = info.dwProcessId;
    return UniqueKernelHandle(info.hProcess);
  }

  void Start() {
    process_ = Launch(program_, &process_id_);
    report_.Line("start");
  }

  // A second copy must end at once and show nothing.
  void StartSecond() {
    DWORD second_id = 0;
    UniqueKernelHandle second = Launch(program_, &second_id);
    bool showed_window = false;
    const auto deadline = std::chrono::steady_clock::now() + kStepWait;
    while (WaitForSingleObject(second.get(), static_cast<DWORD>(kPoll.count())) == WAIT_TIMEOUT) {
      if (!VisibleWindowsOf(second_id).empty()) showed_window = true;
      if (std::chrono::steady_clock::now() > deadline) {
        TerminateProcess(second.get(), 99);
        throw StepFailure("second copy still running");
      }
    }
    DWORD code = 0;
    GetExitCodeProcess(second.get(), &code);
    report_.Line("second copy: exit " + std::to_string(code) +
                 (showed_window ? ", showed a window" : ", no window"));
  }

  // Waits for the next dialog-class window of the program (not the one just
  // answered), failing when the program ends or the wait runs out.
  HWND NextDialogWindow(const char* expected) {
    const auto deadline = std::chrono::steady_clock::now() + kStepWait;
    for (;;) {
      for (const HWND window : VisibleWindowsOf(process_id_)) {
        if (window == last_ && IsWindow(last_)) continue;
        if (ClassOf(window) == qeb::probe::kDialogClass) {
          last_ = window;
          return window;
        }
      }
      if (WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(process_.get(), &code);
        throw StepFailure(std::string("program ended (exit ") + std::to_string(code) +
                          ") while waiting for " + expected);
      }
      if (std::chrono::steady_clock::now() > deadline)
        throw StepFailure(std::string("timed out waiting for ") + expected);
      std::this_thread::sleep_for(kPoll);
    }
  }

  void Box() {
    const HWND box = NextDialogWindow("a message box");
    if (IsOpenDialog(box)) {
      report_.Line("dialog " + Quoted(qeb::probe::WindowText(box)) + " where a box was expected");
      throw StepFailure("unexpected Open dialog");
    }
    report_.Line("box " + Quoted(qeb::probe::WindowText(box)) + " [" + ButtonsOf(box) + "] " +
                 Quoted(qeb::probe::ItemText(box, qeb::probe::kMessageBoxText)));
  }

  void Dialog() {
    const HWND dialog = NextDialogWindow("the Open dialog");
    if (!IsOpenDialog(dialog)) {
      report_.Line("box " + Quoted(qeb::probe::WindowText(dialog)) + " " +
                   Quoted(qeb::probe::ItemText(dialog, qeb::probe::kMessageBoxText)) +
                   " where the Open dialog was expected");
      throw StepFailure("unexpected message box");
    }
    report_.Line("dialog " + Quoted(qeb::probe::WindowText(dialog)) + " in " +
                 Quoted(TrimWide(qeb::probe::ItemText(dialog, kOpenLookInCombo))) + " type " +
                 Quoted(qeb::probe::ItemText(dialog, qeb::probe::kOpenFileTypeCombo)));
  }

  HWND Current() const {
    if (last_ == nullptr || !IsWindow(last_)) throw StepFailure("no box or dialog to answer");
    return last_;
  }

  void Answer(const std::string& answer) {
    const HWND window = Current();
    report_.Line("answer " + answer);
    const std::pair<const char*, int> buttons[] = {
        {"ok", IDOK}, {"cancel", IDCANCEL}, {"yes", IDYES}, {"no", IDNO}};
    for (const auto& [name, id] : buttons) {
      if (answer != name) continue;
      if (!qeb::probe::PressButton(window, id)) throw StepFailure("no button " + answer);
      return;
    }
    if (answer == "esc") {
      PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    } else if (answer == "close") {
      PostMessageW(window, WM_CLOSE, 0, 0);
    } else {
      throw StepFailure("unknown answer " + answer);
    }
  }

  void Choose(const std::string& path) {
    const HWND dialog = Current();
    if (!IsOpenDialog(dialog)) throw StepFailure("no Open dialog to choose in");
    report_.Line("choose " + path);
    if (!qeb::probe::ChooseFile(dialog, Widen(path))) throw StepFailure("cannot type the path");
  }

  void Progress() {
    HWND window = nullptr;
    for (const HWND candidate : VisibleWindowsOf(process_id_))
      if (ClassOf(candidate) == kProgressClass) window = candidate;
    if (window == nullptr) {
      report_.Line("progress: none");
      return;
    }
    const std::wstring text = qeb::probe::ItemText(window, kProgressLabel);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_NORMAL, 5000, &ignored);
    const bool stayed = IsWindow(window) && IsWindowVisible(window);
    report_.Line("progress " + Quoted(text) +
                 (stayed ? ", stays after a close request" : ", closed"));
  }

  // The screen's pixels, bottom-up 24-bit rows.
  static std::vector<char> CaptureScreen(BITMAPINFOHEADER& info) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    const HDC screen = GetDC(nullptr);
    UniqueMemoryDc memory(CreateCompatibleDC(screen));
    UniqueBitmap bitmap(CreateCompatibleBitmap(screen, width, height));
    {
      qeb::ui::win32::ScopedSelection selection(memory.get(), bitmap.get());
      BitBlt(memory.get(), 0, 0, width, height, screen, 0, 0, SRCCOPY);
    }
    info = BITMAPINFOHEADER{};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::vector<char> pixels(static_cast<size_t>(stride) * static_cast<size_t>(height));
    GetDIBits(screen, bitmap.get(), 0, static_cast<UINT>(height), pixels.data(),
              reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return pixels;
  }

  // The whole screen as a BMP, once it has stopped changing (windows that
  // have just appeared may still be painting).
  void Shot(const std::string& name) {
    BITMAPINFOHEADER info{};
    std::vector<char> pixels = CaptureScreen(info);
    const auto deadline = std::chrono::steady_clock::now() + milliseconds(3000);
    for (;;) {
      std::this_thread::sleep_for(milliseconds(150));
      std::vector<char> again = CaptureScreen(info);
      const bool stable = again == pixels;
      pixels = std::move(again);
      if (stable || std::chrono::steady_clock::now() > deadline) break;
    }
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream out(std::filesystem::path(shots_) / (Widen(name) + L".bmp"), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&info), sizeof(info));
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    out.close();
    if (!out) throw StepFailure("cannot write the shot " + name);
  }

  void Exit() {
    const auto deadline = std::chrono::steady_clock::now() + kStepWait;
    while (WaitForSingleObject(process_.get(), static_cast<DWORD>(kPoll.count())) == WAIT_TIMEOUT) {
      for (const HWND window : VisibleWindowsOf(process_id_)) {
        if (ClassOf(window) != qeb::probe::kDialogClass || window == last_) continue;
        report_.Line("window " + Quoted(qeb::probe::WindowText(window)) + " " +
                     Quoted(qeb::probe::ItemText(window, qeb::probe::kMessageBoxText)) +
                     " where the end was expected");
        throw StepFailure("the program did not end");
      }
      if (std::chrono::steady_clock::now() > deadline) throw StepFailure("the program did not end");
    }
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    report_.Line("exit " + std::to_string(code));
  }

  std::wstring program_;
  std::wstring shots_;
  Report& report_;
  UniqueKernelHandle process_;
  DWORD process_id_ = 0;
  HWND last_ = nullptr;
};

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) {
    std::fputs("usage: e2e_driver PROGRAM SCENARIO REPORT SHOTS_FOLDER\n", stderr);
    return 2;
  }
  std::ifstream scenario(std::filesystem::path(argv[2]), std::ios::binary);
  if (!scenario) {
    std::fputs("cannot read the scenario\n", stderr);
    return 2;
  }
  try {
    Report report(argv[3]);
    Driver driver(argv[1], argv[4], report);
    std::string line;
    int line_number = 0;
    while (std::getline(scenario, line)) {
      ++line_number;
      line = Trim(line.substr(0, line.find('#')));
      if (line.empty()) continue;
      const size_t space = line.find(' ');
      const std::string command = line.substr(0, space);
      const std::string argument = space == std::string::npos ? "" : Trim(line.substr(space + 1));
      try {
        driver.Run(command, argument);
      } catch (const StepFailure& failure) {
        report.Line("FAILED at line " + std::to_string(line_number) + " (" + line +
                    "): " + failure.what());
        return 1;
      }
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "e2e_driver: %s\n", error.what());
    return 3;
  }
  return 0;
}
