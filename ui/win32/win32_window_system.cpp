#include "ui/win32/win32_window_system.h"

#include <algorithm>
#include <utility>

#include "base/run_error.h"
#include "base/wide_text.h"
#include "base/win32_error.h"
#include "ui/progress_window.h"
#include "ui/win32/dpi.h"
#include "ui/win32/module_folder.h"
#include "ui/win32/open_dialog.h"
#include "ui/win32/worker.h"

namespace qeb::ui::win32 {
namespace {

// The error of a form that is used after it was unloaded.
RunError ObjectUnloadedError() {
  return ProgramError(kErrObjectUnloaded);
}

// Screen measures in twips use the system DPI throughout, so that a size
// read and a position set (the centring) agree.
Extent WindowSizeInTwips(HWND window) {
  RECT rect;
  if (!GetWindowRect(window, &rect)) throw LastError();
  const UINT dpi = SystemDpi();
  return {PixelsToTwips(rect.right - rect.left, dpi), PixelsToTwips(rect.bottom - rect.top, dpi)};
}

enum class Edge { kLeft, kTop };

void MoveWindowEdge(HWND window, Edge edge, double twips) {
  const int pixels = TwipsToPixels(twips, SystemDpi());
  RECT rect;
  if (!GetWindowRect(window, &rect)) throw LastError();
  const int x = edge == Edge::kLeft ? pixels : rect.left;
  const int y = edge == Edge::kTop ? pixels : rect.top;
  if (!SetWindowPos(window, /*insert_after=*/nullptr, x, y, /*width=*/0, /*height=*/0,
                    SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE))
    throw LastError();
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM windows) {
  // NOLINTNEXTLINE(performance-no-int-to-ptr): the enumeration hands our pointer back as an integer
  reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
  return TRUE;
}

}  // namespace

Win32WindowSystem::Win32WindowSystem(HINSTANCE instance, ProgressWindowTexts progress_texts,
                                     const std::wstring& mutex_name)
    : instance_(instance),
      progress_texts_(std::move(progress_texts)),
      single_instance_(mutex_name),
      main_window_(std::make_unique<HiddenMainWindow>(instance)) {}

Win32WindowSystem::~Win32WindowSystem() {
  // The progress window's procedure calls back into this object: it goes first.
  progress_.reset();
  main_window_.reset();
}

HWND Win32WindowSystem::progress_window() const {
  return progress_ && progress_->alive() ? progress_->hwnd() : nullptr;
}

void Win32WindowSystem::Beep() {
  // A machine without sound still runs: a failed beep is no failure of the run.
  MessageBeep(MB_OK);
}

int Win32WindowSystem::MessageBox(const std::string& text, const std::string& title, int style) {
  const std::wstring wide_text = ToWideLenient(text);
  const std::wstring wide_title = ToWideLenient(title);
  const int buttons = style & kButtonsMask;
  for (;;) {
    // No owner: the box gets its own task-bar button, so the operator finds
    // it even though the main window is never shown. Task-modal: while it is
    // up, every top-level window of this thread (the progress window too) is
    // disabled, and enabled again when it goes.
    const int answer = MessageBoxW(/*owner=*/nullptr, wide_text.c_str(), wide_title.c_str(),
                                   static_cast<UINT>(style) | MB_TASKMODAL);
    if (answer == 0) throw LastError();
    // Some systems end a box on a close request even without a Cancel button.
    // A box with only OK answers OK however it is dismissed, and a Yes/No box
    // is asked again until the operator says Yes or No.
    if (buttons == kButtonsOk) return kAnswerOk;
    if (buttons == kButtonsYesNo && answer != kAnswerYes && answer != kAnswerNo) continue;
    return answer;
  }
}

void Win32WindowSystem::SetBusyPointer(bool busy) {
  busy_ = busy;
  // Takes effect at once over the program's windows; their WM_SETCURSOR keeps it.
  SetCursor(LoadCursorW(/*instance=*/nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

void Win32WindowSystem::LoadProgressWindow() {
  if (ProgressWindowLoaded()) return;
  progress_.reset();  // a window closed from outside leaves its object behind
  progress_ = std::make_unique<ProgressWindow>(instance_, static_cast<ProgressWindowEvents&>(*this),
                                               ToWide(progress_texts_.caption),
                                               ToWide(progress_texts_.initial_text));
  FMSG_SUA(*this).Form_Load();
}

bool Win32WindowSystem::ProgressWindowLoaded() {
  return progress_ && progress_->alive();
}

ProgressWindow& Win32WindowSystem::LoadedProgressWindow() {
  if (!ProgressWindowLoaded()) throw ObjectUnloadedError();
  return *progress_;
}

void Win32WindowSystem::ShowProgressWindow() {
  const HWND window = LoadedProgressWindow().hwnd();
  EnableWindow(window, TRUE);
  // Showing activates the window, and its WM_ACTIVATE runs Form_Activate.
  ShowWindow(window, SW_SHOW);
  // Bringing to the front may be refused by the system's foreground rules;
  // the window is shown all the same.
  SetForegroundWindow(window);
  BringWindowToTop(window);
}

void Win32WindowSystem::SetProgressText(const std::string& text) {
  LoadedProgressWindow().SetText(ToWideLenient(text));
}

std::string Win32WindowSystem::ProgressText() {
  if (!ProgressWindowLoaded()) return {};
  return ToUtf8Lenient(progress_->Text());
}

void Win32WindowSystem::UnloadProgressWindow() {
  if (!ProgressWindowLoaded()) return;
  // The close request runs Form_QueryUnload, which may veto it.
  if (progress_->RequestClose()) progress_.reset();
}

Extent Win32WindowSystem::ProgressWindowSize() {
  return WindowSizeInTwips(LoadedProgressWindow().hwnd());
}

void Win32WindowSystem::SetProgressWindowLeft(double left) {
  MoveWindowEdge(LoadedProgressWindow().hwnd(), Edge::kLeft, left);
}

void Win32WindowSystem::SetProgressWindowTop(double top) {
  MoveWindowEdge(LoadedProgressWindow().hwnd(), Edge::kTop, top);
}

std::vector<HWND> Win32WindowSystem::ProgramWindows() const {
  std::vector<HWND> all;
  EnumThreadWindows(GetCurrentThreadId(), &CollectWindow, reinterpret_cast<LPARAM>(&all));
  // Only windows of the program's own classes: message boxes, dialogs and the
  // system's input-method windows on this thread are not the program's forms.
  std::vector<HWND> own;
  for (const HWND window : all)
    // NOLINTNEXTLINE(performance-no-int-to-ptr): the class's module comes as an integer
    if (reinterpret_cast<HINSTANCE>(GetClassLongPtrW(window, GCLP_HMODULE)) == instance_)
      own.push_back(window);
  // The system lists them in Z order, which changes with every activation.
  const HWND main = main_window();
  const HWND progress = progress_window();
  const auto rank = [&](HWND window) { return window == main ? 0 : window == progress ? 1 : 2; };
  std::stable_sort(own.begin(), own.end(), [&](HWND a, HWND b) { return rank(a) < rank(b); });
  return own;
}

HWND Win32WindowSystem::ProgramWindowAt(int index) const {
  const std::vector<HWND> windows = ProgramWindows();
  if (index < 0 || static_cast<size_t>(index) >= windows.size()) throw InvalidArgumentError();
  return windows[static_cast<size_t>(index)];
}

int Win32WindowSystem::TopLevelWindowCount() {
  return static_cast<int>(ProgramWindows().size());
}

TopLevelWindow Win32WindowSystem::TopLevelWindowAt(int index) {
  const HWND window = ProgramWindowAt(index);
  return {IsWindowVisible(window) != FALSE, window == progress_window()};
}

void Win32WindowSystem::EnableTopLevelWindow(int index, bool enabled) {
  // The result is the previous state, not a success flag.
  EnableWindow(ProgramWindowAt(index), enabled ? TRUE : FALSE);
}

void Win32WindowSystem::ProcessPendingEvents() {
  MSG message;
  while (PeekMessageW(&message, /*window=*/nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Not ours to take: leave it for whoever runs the message loop.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void Win32WindowSystem::RunWhileAnswering(const std::function<void()>& work) {
  RunOnWorker(work, [this] { ProcessPendingEvents(); });
}

Extent Win32WindowSystem::ScreenSize() {
  const UINT dpi = SystemDpi();
  return {PixelsToTwips(GetSystemMetrics(SM_CXSCREEN), dpi),
          PixelsToTwips(GetSystemMetrics(SM_CYSCREEN), dpi)};
}

bool Win32WindowSystem::AnotherCopyRunning() {
  return single_instance_.AnotherCopyRunning();
}

std::string Win32WindowSystem::ProgramFolder() {
  return win32::ProgramFolder();
}

HWND Win32WindowSystem::LoadedMainWindow() const {
  if (!main_window_) throw ObjectUnloadedError();
  return main_window_->hwnd();
}

Extent Win32WindowSystem::MainWindowSize() {
  return WindowSizeInTwips(LoadedMainWindow());
}

void Win32WindowSystem::SetMainWindowLeft(double left) {
  MoveWindowEdge(LoadedMainWindow(), Edge::kLeft, left);
}

void Win32WindowSystem::SetMainWindowTop(double top) {
  MoveWindowEdge(LoadedMainWindow(), Edge::kTop, top);
}

void Win32WindowSystem::SetMainWindowCaption(const std::string& caption) {
  if (!SetWindowTextW(LoadedMainWindow(), ToWide(caption).c_str())) throw LastError();
}

void Win32WindowSystem::UnloadMainWindow() {
  main_window_.reset();
}

OpenDialogResult Win32WindowSystem::ShowOpenDialog(const OpenDialogSettings& settings) {
  return win32::ShowOpenDialog(main_window(), settings);
}

void Win32WindowSystem::OnProgressActivate() noexcept {
  try {
    FMSG_SUA(*this).Form_Activate();
  } catch (...) {  // NOLINT(bugprone-empty-catch): nothing may cross the window procedure
  }
}

bool Win32WindowSystem::OnProgressQueryUnload() noexcept {
  try {
    return FMSG_SUA(*this).Form_QueryUnload();
  } catch (...) {
    return true;  // a text that cannot be read may still be there: keep the window
  }
}

}  // namespace qeb::ui::win32
