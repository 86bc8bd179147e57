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
//   box                   wait for the next message box and report its
//                         title, buttons (the default marked "*"), icon
//                         and text
//   dialog                wait for the Open dialog and report its title,
//                         folder, file type and the names it lists
//   answer BUTTON         press ok, cancel, yes or no in the box or dialog
//                         just reported, or press Esc in it or its close
//                         control
//   choose PATH           type PATH into the Open dialog and press Open
//   progress              report the progress window's text, ask it to
//                         close and report whether it stayed; or report
//                         that there is none
//   progress-while-working
//                         right after a choice, until the next box: report
//                         the last text the progress window showed, or that
//                         it did not show
//   uncover               move the box or dialog just reported to the
//                         screen's corner, off the progress window
//   lock PATH             hold PATH open with no sharing (as another program
//                         using the file would) until the driver ends
//   shot NAME             save the screen as SHOTS_FOLDER\NAME.bmp
//   exit                  wait for the program to end; report its exit code
// A step that waits too long, or finds another window than it expects,
// reports what it found, ends the program and makes the driver fail. The
// time each step took goes to the standard error.

#include "ui/win32/win32.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/dialog_listing.h"
#include "tests/e2e/screen.h"
#include "tests/win32/window_probe.h"
#include "ui/win32/handles.h"

namespace {

using qeb::probe::Narrow;
using qeb::probe::Widen;
using qeb::ui::win32::UniqueKernelHandle;
using std::chrono::milliseconds;

constexpr milliseconds kStepWait{30000};
// How long a box or dialog may stay visible after it was answered.
constexpr milliseconds kAnsweredGrace{2000};
// A second copy must end at once: this covers the start of a Wine process.
constexpr milliseconds kSecondCopyWait{10000};
constexpr milliseconds kPoll{25};
constexpr milliseconds kFastPoll{5};
constexpr UINT kCloseWait = 5000;  // milliseconds
// Key-message flags of Esc: repeat count 1, scan code 1; released: also the
// previous-state and transition bits.
constexpr LPARAM kEscapeDown = 0x00010001;
constexpr LPARAM kEscapeUp = static_cast<LPARAM>(0xC0010001u);
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

// "Aceptar*,Cancelar": the box's buttons as drawn, left to right, without
// their keyboard-accelerator marks, the default one marked with "*".
std::string ButtonsOf(HWND box) {
  std::string buttons;
  for (const int id : {IDOK, IDYES, IDNO, IDCANCEL}) {
    const HWND button = GetDlgItem(box, id);
    if (button == nullptr) continue;
    std::wstring text = qeb::probe::WindowText(button);
    std::erase(text, L'&');
    if (!buttons.empty()) buttons += ",";
    buttons += Narrow(text);
    if ((GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) buttons += "*";
  }
  return buttons;
}

// "lists "A", "B"" or "lists nothing": what the Open dialog offers, once the
// list has stopped changing.
std::string ListingOf(HWND dialog) {
  std::optional<std::vector<std::wstring>> names = qeb::e2e::ListedNames(dialog);
  const auto deadline = std::chrono::steady_clock::now() + milliseconds(2000);
  for (;;) {
    std::this_thread::sleep_for(milliseconds(100));
    std::optional<std::vector<std::wstring>> again = qeb::e2e::ListedNames(dialog);
    const bool stable = again == names;
    names = std::move(again);
    if (stable || std::chrono::steady_clock::now() > deadline) break;
  }
  if (!names) return "lists ?";
  if (names->empty()) return "lists nothing";
  std::string listing = "lists ";
  for (size_t i = 0; i < names->size(); ++i) listing += (i ? ", " : "") + Quoted((*names)[i]);
  return listing;
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
    else if (command == "progress-while-working")
      ProgressWhileWorking();
    else if (command == "uncover")
      Uncover();
    else if (command == "lock")
      Lock(argument);
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
    const auto deadline = std::chrono::steady_clock::now() + kSecondCopyWait;
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
          CheckOnlyWindowsOfTheRun(window);
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

  // Besides the box or dialog just found, the operator may see only the
  // progress window: never the main window, nor a second box.
  void CheckOnlyWindowsOfTheRun(HWND found) const {
    for (const HWND window : VisibleWindowsOf(process_id_)) {
      if (window == found || ClassOf(window) == kProgressClass) continue;
      report_.Line("window " + Quoted(ClassOf(window)) + " " +
                   Quoted(qeb::probe::WindowText(window)) + " is visible too");
      throw StepFailure("an unexpected window is visible");
    }
  }

  void Box() {
    const HWND box = NextDialogWindow("a message box");
    if (IsOpenDialog(box)) {
      report_.Line("dialog " + Quoted(qeb::probe::WindowText(box)) + " where a box was expected");
      throw StepFailure("unexpected Open dialog");
    }
    report_.Line("box " + Quoted(qeb::probe::WindowText(box)) + " [" + ButtonsOf(box) + "] " +
                 qeb::e2e::MessageBoxIcon(box) + " " +
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
                 Quoted(qeb::probe::ItemText(dialog, qeb::probe::kOpenFileTypeCombo)) + " " +
                 ListingOf(dialog));
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
      // The key goes where the operator's would: to the control with the
      // focus, whose dialog loop turns it into the box's cancel command.
      const HWND target = FocusOf(window);
      PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, kEscapeDown);
      PostMessageW(target, WM_KEYUP, VK_ESCAPE, kEscapeUp);
    } else if (answer == "close") {
      // What the close control in the title bar sends.
      PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    } else {
      throw StepFailure("unknown answer " + answer);
    }
  }

  // The control of `window` that has the keyboard focus, or the window.
  static HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    if (GetGUIThreadInfo(thread, &info) && info.hwndFocus != nullptr &&
        (info.hwndFocus == window || IsChild(window, info.hwndFocus)))
      return info.hwndFocus;
    return window;
  }

  void Choose(const std::string& path) {
    const HWND dialog = Current();
    if (!IsOpenDialog(dialog)) throw StepFailure("no Open dialog to choose in");
    report_.Line("choose " + path);
    if (!qeb::probe::ChooseFile(dialog, Widen(path))) throw StepFailure("cannot type the path");
  }

  HWND VisibleProgressWindow() const {
    for (const HWND candidate : VisibleWindowsOf(process_id_))
      if (ClassOf(candidate) == kProgressClass) return candidate;
    return nullptr;
  }

  // The progress window's line, read from the system's copy of the text: the
  // program's thread may be busy and answer no message.
  static std::wstring ProgressLine(HWND window) {
    const HWND label = GetDlgItem(window, kProgressLabel);
    return label == nullptr ? L"" : qeb::probe::WindowText(label);
  }

  // Right after a choice the run works (copies, checks, packs) before it
  // shows the next box: the progress window must be up meanwhile. Reports
  // the last text it showed before that box (while it comes up it may show
  // its initial text for a moment).
  void ProgressWhileWorking() {
    const auto deadline = std::chrono::steady_clock::now() + kStepWait;
    std::wstring last_text;
    for (;;) {
      if (const HWND window = VisibleProgressWindow()) {
        const std::wstring text = ProgressLine(window);
        if (!text.empty()) last_text = text;
      }
      bool next_box = false;
      for (const HWND window : VisibleWindowsOf(process_id_))
        if (window != last_ && ClassOf(window) == qeb::probe::kDialogClass) next_box = true;
      if (next_box || WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0) break;
      if (std::chrono::steady_clock::now() > deadline) throw StepFailure("no box after the work");
      std::this_thread::sleep_for(kFastPoll);
    }
    report_.Line(last_text.empty() ? "no progress window while working"
                                   : "progress while working " + Quoted(last_text));
  }

  void Progress() {
    const HWND window = VisibleProgressWindow();
    if (window == nullptr) {
      report_.Line("progress: none");
      return;
    }
    const std::wstring text = ProgressLine(window);
    // A close request as the window manager sends it, and as the system
    // menu's Close (or Alt+F4) makes it.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_NORMAL, kCloseWait, &ignored);
    SendMessageTimeoutW(window, WM_SYSCOMMAND, SC_CLOSE, 0, SMTO_NORMAL, kCloseWait, &ignored);
    const bool stayed = IsWindow(window) && IsWindowVisible(window);
    report_.Line("progress " + Quoted(text) +
                 (stayed ? ", stays after a close request" : ", closed"));
  }

  void Shot(const std::string& name) {
    if (!qeb::e2e::SaveScreenShot(std::filesystem::path(shots_) / (Widen(name) + L".bmp")))
      throw StepFailure("cannot write the shot " + name);
  }

  // Moves the box or dialog just reported into the screen's corner, so that
  // a shot shows the progress window beneath it.
  void Uncover() {
    SetWindowPos(Current(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void Lock(const std::string& path) {
    UniqueKernelHandle file(CreateFileW(Widen(path).c_str(), GENERIC_READ, /*share=*/0,
                                        /*security=*/nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                        /*template_file=*/nullptr));
    if (!file)
      throw StepFailure("cannot lock " + path + ", error " + std::to_string(GetLastError()));
    locks_.push_back(std::move(file));
    report_.Line("lock " + path);
  }

  void Exit() {
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + kStepWait;
    while (WaitForSingleObject(process_.get(), static_cast<DWORD>(kPoll.count())) == WAIT_TIMEOUT) {
      // The box just answered may take a moment to go; after that it counts.
      const bool answered_box_counts = std::chrono::steady_clock::now() > start + kAnsweredGrace;
      for (const HWND window : VisibleWindowsOf(process_id_)) {
        if (ClassOf(window) != qeb::probe::kDialogClass) continue;
        if (window == last_ && !answered_box_counts) continue;
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
  std::vector<UniqueKernelHandle> locks_;
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
        // How long each step took goes to the log, for slow runs.
        const auto step_start = std::chrono::steady_clock::now();
        driver.Run(command, argument);
        const auto took =
            std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - step_start);
        std::fprintf(stderr, "%5lld ms  %s\n", static_cast<long long>(took.count()), line.c_str());
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
