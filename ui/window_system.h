#pragma once
// Every window-system operation the program needs, behind one interface. The
// Win32 adapter is one implementation; the scripted one used by tests is the
// other. Failures are thrown as RunError with the platform's number and text.

#include <functional>
#include <string>

namespace qeb::ui {

// Message-box style values and answers, as Windows defines them.
inline constexpr int kIconStop = 16;
inline constexpr int kIconQuestion = 32;
inline constexpr int kIconInformation = 64;
inline constexpr int kButtonsOk = 0;
inline constexpr int kButtonsOkCancel = 1;
inline constexpr int kButtonsYesNoCancel = 3;
inline constexpr int kButtonsYesNo = 4;
inline constexpr int kButtonsMask = 0x0F;
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

// Open-dialog flags: the chosen file must exist; hide the read-only box.
inline constexpr int kDialogFileMustExist = 4096;
inline constexpr int kDialogHideReadOnly = 4;

// Sizes and positions are in twips (15 per pixel at 96 dpi).
struct Extent {
  double width = 0;
  double height = 0;
};

struct TopLevelWindow {
  bool visible = false;
  bool is_progress_window = false;
};

// What the progress window shows before the program sets its text: the
// program gives these to a window system when it makes one.
struct ProgressWindowTexts {
  std::string caption;
  std::string initial_text;  // the message line when the window has just been loaded
};

struct OpenDialogSettings {
  std::string file_name;
  std::string initial_folder;
  std::string filter;  // "text|pattern|text|pattern", as the run writes it
  int flags = 0;
  int filter_index = 1;
  bool cancel_error = true;
  std::string title;
};

struct OpenDialogResult {
  enum class Outcome { kChosen, kCancelled, kFailed };
  Outcome outcome = Outcome::kCancelled;
  std::string path;  // the chosen full path
  long error_number = 0;
  std::string error_description;
};

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  // Message boxes.
  virtual void Beep() = 0;
  // A box modal to the program; returns the code of the button chosen.
  virtual int MessageBox(const std::string& text, const std::string& title, int style) = 0;

  // Pointer.
  virtual void SetBusyPointer(bool busy) = 0;

  // The progress window. Its event handlers are those of FMSG_SUA
  // (ui/progress_window.h), which every implementation runs: loading creates
  // the window (running Form_Load) unless it exists; showing activates it
  // (Form_Activate); unloading asks it to close, which Form_QueryUnload may veto.
  virtual void LoadProgressWindow() = 0;
  virtual bool ProgressWindowLoaded() = 0;
  // Enable, make visible and show without blocking, brought to the front.
  virtual void ShowProgressWindow() = 0;
  virtual void SetProgressText(const std::string& text) = 0;
  virtual std::string ProgressText() = 0;
  virtual void UnloadProgressWindow() = 0;
  virtual Extent ProgressWindowSize() = 0;  // outer size
  virtual void SetProgressWindowLeft(double left) = 0;
  virtual void SetProgressWindowTop(double top) = 0;

  // The program's loaded top-level windows, in order.
  virtual int TopLevelWindowCount() = 0;
  virtual TopLevelWindow TopLevelWindowAt(int index) = 0;
  virtual void EnableTopLevelWindow(int index, bool enabled) = 0;
  virtual void ProcessPendingEvents() = 0;
  // Runs `work` off the window thread, processing pending events until it
  // ends, so that every window goes on answering while a drive is read;
  // `work` touches no window. A failure of `work` is thrown here.
  virtual void RunWhileAnswering(const std::function<void()>& work) = 0;
  virtual Extent ScreenSize() = 0;

  // Start-up and the main window.
  virtual bool AnotherCopyRunning() = 0;
  virtual std::string ProgramFolder() = 0;  // without a trailing separator
  virtual Extent MainWindowSize() = 0;
  virtual void SetMainWindowLeft(double left) = 0;
  virtual void SetMainWindowTop(double top) = 0;
  virtual void SetMainWindowCaption(const std::string& caption) = 0;
  virtual void UnloadMainWindow() = 0;

  // The common Open dialog, owned by the main window.
  virtual OpenDialogResult ShowOpenDialog(const OpenDialogSettings& settings) = 0;
};

}  // namespace qeb::ui
