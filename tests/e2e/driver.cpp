// The end-to-end driver: starts QEB_SUA.exe, plays the operator from a
// script and writes what the program showed, step by step, to a report.
//
//   e2e_driver.exe PROGRAM SCRIPT REPORT SHOTS_FOLDER
//
// Each script line (UTF-8) starts with a step; the report gets one line per
// step, starting with the same step and followed by what was seen, so that a
// transcript of a run is also a script for it (the rest of a line is only
// read by the steps that take an argument):
//   start                 start PROGRAM (its folder as the current folder)
//   start-second          start a second copy; reports its exit code and
//                         whether it showed a window
//   box                   wait for the next message box; reports its title,
//                         buttons as drawn (the default marked "*") and text
//   dialog                wait for the Open dialog; reports its title,
//                         folder and file type
//   answer BUTTON         press ok, cancel, yes or no in the box or dialog
//                         just reported, or press esc in it, or close it
//                         as its title bar's close control does
//   choose PATH           type PATH into the Open dialog and press Open
//   progress              report the progress window's text, click it (it
//                         must stay behind the box or dialog), ask it to
//                         close and report whether it stayed; or "none"
//   progress-while-working
//                         right after a choice, until the next box: report
//                         the last text the progress window showed, or none
//   lock PATH             hold PATH open with no sharing (as another program
//                         using the file would) until the driver ends
//   shot NAME             save the screen, once it stops changing, as
//                         SHOTS_FOLDER\NAME.bmp
//   exit                  wait for the program to end; reports its exit code
// A step that waits too long, or finds another window than it expects,
// reports "FAILED ...", ends the program and makes the driver fail.

#include "ui/win32/win32.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tests/win32/window_probe.h"
#include "ui/win32/handles.h"
#include "base/wide_text.h"

namespace {

using qeb::probe::ItemText;
using qeb::probe::WindowText;
using qeb::ui::win32::ScopedSelection;
using qeb::ToUtf8Lenient;
using qeb::ToWide;
using qeb::ui::win32::UniqueBitmap;
using qeb::ui::win32::UniqueKernelHandle;
using qeb::ui::win32::UniqueMemoryDc;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using namespace std::chrono_literals;

constexpr milliseconds kStepWait{30000};
// A second copy must end at once: this covers the start of a Wine process.
constexpr milliseconds kSecondCopyWait{10000};
constexpr milliseconds kPoll{25};
constexpr milliseconds kFastPoll{5};
constexpr UINT kCloseWait = 5000;  // milliseconds
constexpr const wchar_t* kProgressClass = L"QEB_SUA.FMSG_SUA";
constexpr int kProgressLabel = 1001;
// Controls of the Open dialog: file type, "Look in" and file name.
constexpr int kOpenFileTypeCombo = 0x470;
constexpr int kOpenLookInCombo = 0x471;
constexpr int kOpenFileNameControl = 0x47C;

struct StepFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::string Quoted(const std::wstring& text) {
  return std::string("\"").append(ToUtf8Lenient(text)).append("\"");
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

// The visible top-level windows of one process.
std::vector<HWND> VisibleWindowsOf(DWORD process_id) {
  std::vector<HWND> found;
  for (HWND window = FindWindowExW(nullptr, nullptr, nullptr, nullptr); window != nullptr;
       window = FindWindowExW(nullptr, window, nullptr, nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == process_id && IsWindowVisible(window)) found.push_back(window);
  }
  return found;
}

bool IsOpenDialog(HWND window) {
  return GetDlgItem(window, kOpenFileNameControl) != nullptr;
}

// "Aceptar*,Cancelar": the box's buttons as drawn, left to right, without
// their keyboard-accelerator marks, the default one marked with "*".
std::string ButtonsOf(HWND box) {
  std::string buttons;
  for (const int id : {IDOK, IDYES, IDNO, IDCANCEL}) {
    const HWND button = GetDlgItem(box, id);
    if (button == nullptr) continue;
    std::wstring text = WindowText(button);
    std::erase(text, L'&');
    if (!buttons.empty()) buttons += ",";
    buttons += ToUtf8Lenient(text);
    if ((GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) buttons += "*";
  }
  return buttons;
}

// The screen, in the 32-bit top-down form that `info` describes.
std::vector<uint32_t> ScreenPixels(BITMAPINFOHEADER info) {
  const HDC screen = GetDC(nullptr);
  UniqueMemoryDc memory(CreateCompatibleDC(screen));
  UniqueBitmap bitmap(CreateCompatibleBitmap(screen, info.biWidth, -info.biHeight));
  {
    ScopedSelection selection(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, info.biWidth, -info.biHeight, screen, 0, 0, SRCCOPY);
  }
  ReleaseDC(nullptr, screen);
  std::vector<uint32_t> pixels(static_cast<size_t>(info.biWidth) * -info.biHeight);
  GetDIBits(memory.get(), bitmap.get(), 0, -info.biHeight, pixels.data(),
            reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  for (uint32_t& pixel : pixels) pixel |= 0xFF000000;  // opaque
  return pixels;
}

// Saves the screen as a BMP file once it has stopped changing: windows that
// have just appeared may still be painting.
void SaveScreenShot(const std::filesystem::path& file) {
  BITMAPINFOHEADER info{};
  info.biSize = sizeof(info);
  info.biWidth = GetSystemMetrics(SM_CXSCREEN);
  info.biHeight = -GetSystemMetrics(SM_CYSCREEN);  // negative: rows top down
  info.biPlanes = 1;
  info.biBitCount = 32;  // BI_RGB: no colour table follows
  std::vector<uint32_t> pixels = ScreenPixels(info);
  for (const auto deadline = Clock::now() + 3s; Clock::now() < deadline;) {
    std::this_thread::sleep_for(150ms);
    std::vector<uint32_t> again = ScreenPixels(info);
    if (again == pixels) break;
    pixels = std::move(again);
  }
  const auto size = static_cast<DWORD>(pixels.size() * sizeof(uint32_t));
  const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof(info);
  const BITMAPFILEHEADER header{0x4D42 /* "BM" */, offset + size, 0, 0, offset};
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&header), sizeof(header));
  out.write(reinterpret_cast<const char*>(&info), sizeof(info));
  out.write(reinterpret_cast<const char*>(pixels.data()), size);
  if (!out) throw StepFailure("cannot write the shot");
}

UniqueKernelHandle Launch(const std::wstring& program, DWORD* process_id) {
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

class Driver {
 public:
  Driver(std::wstring program, std::filesystem::path shots)
      : program_(std::move(program)), shots_(std::move(shots)) {}
  ~Driver() {
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT)
      TerminateProcess(process_.get(), 99);
  }

  // Plays one step; returns what the report says of it after its name.
  std::string Run(const std::string& step, const std::string& argument) {
    if (step == "start") {
      process_ = Launch(program_, &process_id_);
      return "";
    }
    if (step == "start-second") return StartSecond();
    if (step == "box") return Box();
    if (step == "dialog") return Dialog();
    if (step == "answer") return Answer(argument);
    if (step == "choose") {
      if (!IsOpenDialog(Current()) ||
          !SetDlgItemTextW(Current(), kOpenFileNameControl, ToWide(argument).c_str()) ||
          !qeb::probe::PressButton(Current(), IDOK))
        throw StepFailure("cannot choose in an Open dialog");
      return argument;
    }
    if (step == "progress") return Progress();
    if (step == "progress-while-working") return ProgressWhileWorking();
    if (step == "lock") return Lock(argument);
    if (step == "shot") {
      SaveScreenShot(shots_ / (ToWide(argument) + L".bmp"));
      return argument;
    }
    if (step == "exit") return Exit();
    throw StepFailure("unknown step");
  }

 private:
  std::string StartSecond() {
    DWORD second_id = 0;
    UniqueKernelHandle second = Launch(program_, &second_id);
    bool showed_window = false;
    const auto deadline = Clock::now() + kSecondCopyWait;
    while (WaitForSingleObject(second.get(), static_cast<DWORD>(kPoll.count())) == WAIT_TIMEOUT) {
      showed_window |= !VisibleWindowsOf(second_id).empty();
      if (Clock::now() > deadline) {
        TerminateProcess(second.get(), 99);
        throw StepFailure("second copy still running");
      }
    }
    DWORD code = 0;
    GetExitCodeProcess(second.get(), &code);
    return "exit " + std::to_string(code) + (showed_window ? ", showed a window" : ", no window");
  }

  // The next dialog-class window of the program (not the one just answered).
  // Besides it the operator may see only the progress window.
  HWND NextDialogWindow() {
    for (const auto deadline = Clock::now() + kStepWait;; std::this_thread::sleep_for(kPoll)) {
      for (const HWND window : VisibleWindowsOf(process_id_)) {
        if ((window == last_ && IsWindow(last_)) || ClassOf(window) != qeb::probe::kDialogClass)
          continue;
        last_ = window;
        for (const HWND other : VisibleWindowsOf(process_id_))
          if (other != window && ClassOf(other) != kProgressClass)
            throw StepFailure("window " + Quoted(WindowText(other)) + " is visible too");
        return window;
      }
      if (WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0)
        throw StepFailure("the program ended (exit " + ExitCode() + ")");
      if (Clock::now() > deadline) throw StepFailure("timed out");
    }
  }

  std::string Box() {
    const HWND box = NextDialogWindow();
    if (IsOpenDialog(box)) throw StepFailure("the Open dialog " + Quoted(WindowText(box)));
    return Quoted(WindowText(box)) + " [" + ButtonsOf(box) + "] " +
           Quoted(ItemText(box, qeb::probe::kMessageBoxText));
  }

  std::string Dialog() {
    const HWND dialog = NextDialogWindow();
    if (!IsOpenDialog(dialog))
      throw StepFailure("the box " + Quoted(ItemText(dialog, qeb::probe::kMessageBoxText)));
    return Quoted(WindowText(dialog)) + " in " +
           // The "Look in" box puts the drive's label, empty here, before the letter.
           Quoted(
               std::regex_replace(ItemText(dialog, kOpenLookInCombo), std::wregex(L"^ +"), L"")) +
           " type " + Quoted(ItemText(dialog, kOpenFileTypeCombo));
  }

  HWND Current() const {
    if (last_ == nullptr || !IsWindow(last_)) throw StepFailure("no box or dialog");
    return last_;
  }

  std::string Answer(const std::string& answer) {
    const HWND window = Current();
    const std::map<std::string, int> buttons{
        {"ok", IDOK}, {"cancel", IDCANCEL}, {"yes", IDYES}, {"no", IDNO}};
    if (buttons.contains(answer)) {
      if (!qeb::probe::PressButton(window, buttons.at(answer))) throw StepFailure("no such button");
    } else if (answer == "esc") {  // the box's dialog loop makes it its cancel command
      PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, /*flags=*/0);
    } else if (answer == "close") {
      PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);  // what the close control sends
    } else {
      throw StepFailure("unknown answer");
    }
    return answer;
  }

  HWND VisibleProgressWindow() const {
    for (const HWND candidate : VisibleWindowsOf(process_id_))
      if (ClassOf(candidate) == kProgressClass) return candidate;
    return nullptr;
  }

  // The progress window's line, read from the system's copy of the text: the
  // program's thread may be busy and answer no message.
  static std::wstring ProgressLine(HWND window) {
    return window == nullptr ? L"" : WindowText(GetDlgItem(window, kProgressLabel));
  }

  // Right after a choice the run works (copies, checks, packs) before its
  // next box: the last text the progress window showed meanwhile.
  std::string ProgressWhileWorking() {
    std::wstring last_text;
    for (const auto deadline = Clock::now() + kStepWait;; std::this_thread::sleep_for(kFastPoll)) {
      const std::wstring text = ProgressLine(VisibleProgressWindow());
      if (!text.empty()) last_text = text;
      bool next_box = false;
      for (const HWND window : VisibleWindowsOf(process_id_))
        next_box |= window != last_ && ClassOf(window) == qeb::probe::kDialogClass;
      if (next_box || WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0) break;
      if (Clock::now() > deadline) throw StepFailure("no box after the work");
    }
    return last_text.empty() ? "none" : Quoted(last_text);
  }

  // Clicks the progress window, which must stay behind the box or dialog,
  // then asks it to close as the window manager does, and as its system
  // menu's Close (or Alt+F4) does.
  std::string Progress() {
    const HWND window = VisibleProgressWindow();
    if (window == nullptr) return "none";
    const std::wstring text = ProgressLine(window);
    DWORD_PTR activate = 0, ignored = 0;
    SendMessageTimeoutW(window, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(window),
                        MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN), SMTO_NORMAL, kCloseWait, &activate);
    if (activate != MA_NOACTIVATE) throw StepFailure("a click brings the progress window forward");
    SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_NORMAL, kCloseWait, &ignored);
    SendMessageTimeoutW(window, WM_SYSCOMMAND, SC_CLOSE, 0, SMTO_NORMAL, kCloseWait, &ignored);
    const bool stayed = IsWindow(window) && IsWindowVisible(window);
    return Quoted(text) + (stayed ? ", stays after a close request" : ", closed");
  }

  std::string Lock(const std::string& path) {
    UniqueKernelHandle file(CreateFileW(ToWide(path).c_str(), GENERIC_READ, /*share=*/0,
                                        /*security=*/nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                        /*template_file=*/nullptr));
    if (!file) throw StepFailure("cannot lock, error " + std::to_string(GetLastError()));
    locks_.push_back(std::move(file));
    return path;
  }

  std::string ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return std::to_string(code);
  }

  std::string Exit() {
    for (const auto deadline = Clock::now() + kStepWait;
         WaitForSingleObject(process_.get(), static_cast<DWORD>(kPoll.count())) == WAIT_TIMEOUT;) {
      for (const HWND window : VisibleWindowsOf(process_id_))
        if (window != last_ && ClassOf(window) == qeb::probe::kDialogClass)
          throw StepFailure("the box " + Quoted(ItemText(window, qeb::probe::kMessageBoxText)) +
                            " where the end was expected");
      if (Clock::now() > deadline) throw StepFailure("the program did not end");
    }
    return ExitCode();
  }

  std::wstring program_;
  std::filesystem::path shots_;
  UniqueKernelHandle process_;
  DWORD process_id_ = 0;
  HWND last_ = nullptr;
  std::vector<UniqueKernelHandle> locks_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) {
    std::fputs("usage: e2e_driver PROGRAM SCRIPT REPORT SHOTS_FOLDER\n", stderr);
    return 2;
  }
  std::ifstream script{std::filesystem::path(argv[2])};
  // What was seen stays in the report even if the run hangs later: each line
  // is flushed.
  std::ofstream report{std::filesystem::path(argv[3]), std::ios::binary};
  if (!script || !report) {
    std::fputs("cannot read the script or write the report\n", stderr);
    return 2;
  }
  Driver driver(argv[1], argv[4]);
  std::string line;
  for (int number = 1; std::getline(script, line); ++number) {
    const std::string step = line.substr(0, line.find(' '));
    const std::string argument = line.size() > step.size() ? line.substr(step.size() + 1) : "";
    try {
      const auto start = Clock::now();
      const std::string seen = driver.Run(step, argument);
      report << step << (seen.empty() ? "" : " ") << seen << std::endl;
      // How long each step took goes to the log, for slow runs.
      std::fprintf(stderr, "%6lld ms  %s\n", static_cast<long long>((Clock::now() - start) / 1ms),
                   step.c_str());
    } catch (const std::exception& failure) {
      report << "FAILED at line " << number << " (" << line << "): " << failure.what() << std::endl;
      return 1;
    }
  }
  return report ? 0 : 3;
}
