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
//   answers-while-working
//                         right after a choice, until the next box: ask
//                         every window of the program for an answer, again
//                         and again; report the last text the progress
//                         window showed (or none), whether every answer came
//                         within 500 ms (the longest goes to the driver's
//                         log) and, when the work took 6 s or more, whether
//                         the progress window's line showed drawn on the
//                         screen midway, saved as
//                         SHOTS_FOLDER\while-working-N.bmp for the Nth step
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
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "base/wide_text.h"
#include "tests/win32/window_probe.h"
#include "ui/win32/handles.h"

namespace {

using namespace qeb::probe;
using qeb::ToUtf8Lenient;
using qeb::ToWide;
using qeb::ui::win32::UniqueKernelHandle;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kStepWait = 30s;
constexpr auto kSecondCopyWait = 10s;  // covers the start of a Wine process
constexpr auto kPoll = 25ms, kFastPoll = 5ms;
constexpr UINT kCloseWait = 5000;  // milliseconds
// The longest a window may take to answer, and the least a slow copy takes.
constexpr std::chrono::milliseconds kAnswerWithin = 500ms, kSlowWork = 6s, kLongWorkWait = 120s;
constexpr const wchar_t* kProgressClass = L"QEB_SUA.FMSG_SUA";
constexpr int kProgressLabel = 1001;
// Controls of the Open dialog: file type, "Look in" and file name.
constexpr int kOpenFileTypeCombo = 0x470, kOpenLookInCombo = 0x471, kOpenFileName = 0x47C;

struct StepFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::string Quoted(const std::wstring& text) {
  std::string quoted = "\"";
  quoted += ToUtf8Lenient(text);
  quoted += '"';
  return quoted;
}

bool HasClass(HWND window, const wchar_t* name) {
  wchar_t found[256] = {};
  GetClassNameW(window, found, 256);
  return std::wstring(found) == name;
}

// The top-level windows of one process, or only its visible ones.
std::vector<HWND> WindowsOf(DWORD process_id, bool visible_only = true) {
  std::vector<HWND> found;
  for (HWND window = FindWindowExW(nullptr, nullptr, nullptr, nullptr); window != nullptr;
       window = FindWindowExW(nullptr, window, nullptr, nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == process_id && (!visible_only || IsWindowVisible(window))) found.push_back(window);
  }
  return found;
}

bool IsOpenDialog(HWND window) {
  return GetDlgItem(window, kOpenFileName) != nullptr;
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
    if (!buttons.empty()) buttons += ',';
    buttons += ToUtf8Lenient(text);
    if ((GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) buttons += "*";
  }
  return buttons;
}

// The screen as a 32-bit top-down bitmap (`info` tells its form).
std::vector<uint32_t> ScreenPixels(BITMAPINFOHEADER info) {
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  const HBITMAP bitmap = CreateCompatibleBitmap(screen, info.biWidth, -info.biHeight);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, info.biWidth, -info.biHeight, screen, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  std::vector<uint32_t> pixels(static_cast<size_t>(info.biWidth) * -info.biHeight);
  GetDIBits(memory, bitmap, 0, -info.biHeight, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
            DIB_RGB_COLORS);
  DeleteObject(bitmap), DeleteDC(memory), ReleaseDC(nullptr, screen);
  for (uint32_t& pixel : pixels) pixel |= 0xFF000000;  // opaque
  return pixels;
}

// Saves the screen as a BMP file once it has stopped changing: windows that
// have just appeared may still be painting. Answers its pixels, row by row.
std::vector<uint32_t> SaveScreenShot(const std::filesystem::path& file) {
  // Negative height: rows top down; BI_RGB: no colour table follows.
  BITMAPINFOHEADER info{};
  info.biSize = sizeof(info);
  info.biWidth = GetSystemMetrics(SM_CXSCREEN);
  info.biHeight = -GetSystemMetrics(SM_CYSCREEN);
  info.biPlanes = 1;
  info.biBitCount = 32;
  info.biCompression = BI_RGB;
  std::vector<uint32_t> pixels = ScreenPixels(info), again;
  for (const auto deadline = Clock::now() + 3s; Clock::now() < deadline; pixels.swap(again)) {
    std::this_thread::sleep_for(150ms);
    if ((again = ScreenPixels(info)) == pixels) break;
  }
  const auto size = static_cast<DWORD>(pixels.size() * sizeof(uint32_t));
  const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof(info);
  const BITMAPFILEHEADER header{0x4D42 /* "BM" */, offset + size, 0, 0, offset};
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&header), sizeof(header));
  out.write(reinterpret_cast<const char*>(&info), sizeof(info));
  if (!out.write(reinterpret_cast<const char*>(pixels.data()), size))
    throw StepFailure("cannot write the shot");
  return pixels;
}

class Driver {
 public:
  Driver(std::wstring program, std::filesystem::path shots)
      : program_(std::move(program)), shots_(std::move(shots)) {}
  ~Driver() {
    if (process_ && !Ended(process_)) TerminateProcess(process_.get(), 99);
  }

  // Plays one step; returns what the report says of it after its name.
  std::string Run(const std::string& step, const std::string& argument) {
    if (step == "start") return process_ = Launch(&process_id_), "";
    if (step == "start-second") return StartSecond();
    if (step == "box" || step == "dialog") return BoxOrDialog(step == "dialog");
    if (step == "answer") return Answer(argument);
    if (step == "choose") {
      if (!IsOpenDialog(Current()) ||
          !SetDlgItemTextW(Current(), kOpenFileName, ToWide(argument).c_str()) ||
          !PressButton(Current(), IDOK))
        throw StepFailure("cannot choose in an Open dialog");
      return argument;
    }
    if (step == "progress") return Progress();
    if (step == "answers-while-working") return AnswersWhileWorking();
    if (step == "lock") {
      locks_.emplace_back(CreateFileW(ToWide(argument).c_str(), GENERIC_READ, /*share=*/0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!locks_.back()) throw StepFailure("cannot lock, error " + Number(GetLastError()));
      return argument;
    }
    if (step == "shot") return SaveScreenShot(shots_ / (ToWide(argument) + L".bmp")), argument;
    if (step == "exit") return Exit();
    throw StepFailure("unknown step");
  }

 private:
  static std::string Number(DWORD value) { return std::to_string(value); }
  static bool Ended(const UniqueKernelHandle& process, DWORD wait = 0) {
    return WaitForSingleObject(process.get(), wait) != WAIT_TIMEOUT;
  }
  static std::string ExitCode(const UniqueKernelHandle& process) {
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    return Number(code);
  }

  UniqueKernelHandle Launch(DWORD* process_id) const {
    std::wstring command_line = L"\"" + program_ + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program_.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        program_.substr(0, program_.find_last_of(L'\\')).c_str(), &startup, &info))
      throw StepFailure("cannot start the program, error " + Number(GetLastError()));
    CloseHandle(info.hThread);
    *process_id = info.dwProcessId;
    return UniqueKernelHandle(info.hProcess);
  }

  std::string StartSecond() const {
    DWORD second_id = 0;
    const UniqueKernelHandle second = Launch(&second_id);
    bool showed_window = false;
    for (const auto deadline = Clock::now() + kSecondCopyWait; !Ended(second, 25);) {
      showed_window |= !WindowsOf(second_id).empty();
      if (Clock::now() > deadline) {
        TerminateProcess(second.get(), 99);
        throw StepFailure("second copy still running");
      }
    }
    return "exit " + ExitCode(second) + (showed_window ? ", showed a window" : ", no window");
  }

  // A box or dialog of the program other than the one just answered, once
  // it is ready: a box shows its buttons and text, a dialog its file name.
  HWND NextDialogWindow() const {
    for (const HWND window : WindowsOf(process_id_))
      if (HasClass(window, kDialogClass) && !(window == last_ && IsWindow(last_)) &&
          (IsOpenDialog(window) ||
           (!ButtonsOf(window).empty() && !ItemText(window, kMessageBoxText).empty())))
        return window;
    return nullptr;
  }

  // Waits for the next box or dialog; besides it the operator may see only
  // the progress window.
  std::string BoxOrDialog(bool dialog) {
    for (const auto deadline = Clock::now() + kStepWait; !(last_ = NextDialogWindow());
         std::this_thread::sleep_for(kPoll)) {
      if (Ended(process_)) throw StepFailure("the program ended (exit " + ExitCode(process_) + ")");
      if (Clock::now() > deadline) throw StepFailure("timed out");
    }
    for (const HWND other : WindowsOf(process_id_))
      if (other != last_ && !HasClass(other, kProgressClass))
        throw StepFailure("window " + Quoted(WindowText(other)) + " is visible too");
    const std::string title = Quoted(WindowText(last_));
    if (IsOpenDialog(last_) != dialog)
      throw StepFailure((dialog ? "the box " : "the Open dialog ") + title);
    if (!dialog)
      return title + " [" + ButtonsOf(last_) + "] " + Quoted(ItemText(last_, kMessageBoxText));
    // The "Look in" box puts the drive's label, empty here, before the letter.
    std::wstring folder = ItemText(last_, kOpenLookInCombo);
    return title + " in " + Quoted(folder.erase(0, folder.find_first_not_of(L' '))) + " type " +
           Quoted(ItemText(last_, kOpenFileTypeCombo));
  }

  HWND Current() const {
    if (last_ == nullptr || !IsWindow(last_)) throw StepFailure("no box or dialog");
    return last_;
  }

  std::string Answer(const std::string& answer) const {
    const std::map<std::string, int> buttons{
        {"ok", IDOK}, {"cancel", IDCANCEL}, {"yes", IDYES}, {"no", IDNO}};
    if (buttons.contains(answer)) {
      if (!PressButton(Current(), buttons.at(answer))) throw StepFailure("no such button");
    } else if (answer == "esc") {  // the box's dialog loop makes it its cancel command
      PostMessageW(Current(), WM_KEYDOWN, VK_ESCAPE, 0);
    } else if (answer == "close") {
      PostMessageW(Current(), WM_SYSCOMMAND, SC_CLOSE, 0);  // what the close control sends
    } else {
      throw StepFailure("unknown answer");
    }
    return answer;
  }

  HWND VisibleProgressWindow() const {
    for (const HWND window : WindowsOf(process_id_))
      if (HasClass(window, kProgressClass)) return window;
    return nullptr;
  }

  // The progress window's line, read from the system's copy of the text: the
  // program's thread may be busy and answer no message.
  static std::wstring ProgressLine(HWND window) {
    return window == nullptr ? L"" : WindowText(GetDlgItem(window, kProgressLabel));
  }

  // Whether the progress window's line shows on the screen as drawn: dark
  // text on its white ground.
  static bool LineDrawn(HWND progress, const std::vector<uint32_t>& screen) {
    RECT line{};
    GetWindowRect(GetDlgItem(progress, kProgressLabel), &line);
    const LONG width = GetSystemMetrics(SM_CXSCREEN);
    int dark = 0;
    for (LONG y = std::max(line.top, 0L); y < line.bottom; ++y)
      for (LONG x = std::max(line.left, 0L); x < std::min(line.right, width); ++x)
        dark += static_cast<size_t>(y * width + x) < screen.size() &&
                (screen[y * width + x] & 0xFF) < 0x40;
    return dark > 20;
  }

  // Right after a choice the run works (copies, checks, packs) before its
  // next box: asks every window of the program for an answer meanwhile, and
  // says how the program answered and what it showed.
  std::string AnswersWhileWorking() {
    const auto started = Clock::now();
    auto longest = 0ms;
    std::optional<bool> drawn;  // once the shot is taken
    std::wstring last_text;
    while (NextDialogWindow() == nullptr && !Ended(process_)) {
      if (const std::wstring text = ProgressLine(VisibleProgressWindow()); !text.empty())
        last_text = text;
      for (const HWND window : WindowsOf(process_id_, /*visible_only=*/false)) {
        const auto asked = Clock::now();
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 15000, &ignored);
        longest = std::max(
            longest, std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - asked));
      }
      if (!drawn && Clock::now() - started > kSlowWork / 2)
        drawn = LineDrawn(VisibleProgressWindow(),
                          SaveScreenShot(shots_ / (L"while-working-" +
                                                   std::to_wstring(++working_steps_) + L".bmp")));
      if (Clock::now() - started > kLongWorkWait) throw StepFailure("no box after the work");
      std::this_thread::sleep_for(kFastPoll);
    }
    std::fprintf(stderr, "longest answer: %lld ms\n", static_cast<long long>(longest.count()));
    return (last_text.empty() ? "none" : Quoted(last_text)) +
           (longest <= kAnswerWithin ? ", every answer within 500 ms"
                                     : ", an answer after 500 ms") +
           (Clock::now() - started < kSlowWork ? ""
            : drawn.value_or(false)            ? ", 6 s or more, the line drawn"
                                               : ", 6 s or more, the line not drawn");
  }

  // Clicks the progress window, which must stay behind the box or dialog,
  // then asks it to close as the window manager does, and as its system
  // menu's Close (or Alt+F4) does.
  std::string Progress() const {
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

  std::string Exit() const {
    for (const auto deadline = Clock::now() + kStepWait; !Ended(process_, 25);) {
      if (const HWND box = NextDialogWindow())
        throw StepFailure("the box " + Quoted(ItemText(box, kMessageBoxText)) +
                          " where the end was expected");
      if (Clock::now() > deadline) throw StepFailure("the program did not end");
    }
    return ExitCode(process_);
  }

  std::wstring program_;
  std::filesystem::path shots_;
  UniqueKernelHandle process_;
  DWORD process_id_ = 0;
  HWND last_ = nullptr;
  std::vector<UniqueKernelHandle> locks_;
  int working_steps_ = 0;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 5)
    return std::fputs("usage: e2e_driver PROGRAM SCRIPT REPORT SHOTS_FOLDER\n", stderr), 2;
  std::ifstream script{std::filesystem::path(argv[2])};
  // Each line is flushed: what was seen stays in the report if the run hangs.
  std::ofstream report{std::filesystem::path(argv[3]), std::ios::binary};
  if (!script || !report)
    return std::fputs("cannot read the script or write the report\n", stderr), 2;
  Driver driver(argv[1], argv[4]);
  std::string line;
  for (int number = 1; std::getline(script, line); ++number) {
    const std::string step = line.substr(0, line.find(' '));
    const std::string argument = line.size() > step.size() ? line.substr(step.size() + 1) : "";
    try {
      const std::string seen = driver.Run(step, argument);
      report << step << (seen.empty() ? "" : " ") << seen << std::endl;
    } catch (const std::exception& failure) {
      report << "FAILED at line " << number << " (" << line << "): " << failure.what() << std::endl;
      return 1;
    }
  }
  return report ? 0 : 3;
}
