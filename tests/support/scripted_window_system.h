#pragma once
// A window system that answers from a script and records every call in order,
// for tests and benchmarks. Boxes with only an OK button answer OK by
// themselves; every other box and every Open dialog takes the next answer
// queued for it, and a missing answer is a std::logic_error (a test fault).

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "ui/window_system.h"

namespace qeb::ui {

class ScriptedWindowSystem : public WindowSystem {
 public:
  struct Call {
    std::string op;      // the operation's name, as in WindowSystem
    std::string detail;  // its main argument or result, when it has one
  };
  struct Box {
    std::string text;
    std::string title;
    int style = 0;
    bool operator==(const Box&) const = default;
  };
  struct Window {
    bool visible = false;
    bool enabled = true;
    bool is_progress_window = false;
  };

  ScriptedWindowSystem();

  // The script.
  void QueueAnswer(int answer);
  void QueueDialogPath(const std::string& path);
  void QueueDialogCancel();
  void QueueDialogFailure(long number, const std::string& description);
  // Every later call of the operation `op` throws RunError(number, description).
  void FailOperation(const std::string& op, long number = 5,
                     const std::string& description = "scripted failure");
  void SetAnotherCopyRunning(bool running) { another_copy_ = running; }
  void SetProgramFolder(const std::string& folder) { program_folder_ = folder; }
  void SetScreenSize(Extent size) { screen_ = size; }
  // Adds a top-level window of the program (after the main window); returns its index.
  int AddWindow(bool visible, bool enabled);
  // An operator's or the system's close request on the progress window; true
  // when the window went away.
  bool RequestProgressClose();

  // What happened.
  const std::vector<Call>& calls() const { return calls_; }
  std::vector<std::string> Ops() const;
  const std::vector<Box>& boxes() const { return boxes_; }
  const std::vector<OpenDialogSettings>& dialogs() const { return dialogs_; }
  // Whether the progress window was up while each Open dialog was open.
  const std::vector<bool>& progress_up_at_dialogs() const { return progress_up_at_dialogs_; }
  const std::vector<Window>& windows() const { return windows_; }
  bool busy_pointer() const { return busy_; }
  bool progress_loaded() const { return progress_index_ >= 0; }
  std::string progress_text() const { return progress_text_; }
  double progress_left() const { return progress_left_; }
  double progress_top() const { return progress_top_; }
  int progress_loads() const { return progress_loads_; }
  std::string caption() const { return caption_; }
  double main_left() const { return main_left_; }
  double main_top() const { return main_top_; }
  bool main_window_loaded() const { return main_loaded_; }
  size_t unanswered() const { return answers_.size() + dialog_answers_.size(); }

  // WindowSystem.
  void Beep() override;
  int MessageBox(const std::string& text, const std::string& title, int style) override;
  void SetBusyPointer(bool busy) override;
  void LoadProgressWindow() override;
  bool ProgressWindowLoaded() override;
  void ShowProgressWindow() override;
  void SetProgressText(const std::string& text) override;
  std::string ProgressText() override;
  void UnloadProgressWindow() override;
  Extent ProgressWindowSize() override;
  void SetProgressWindowLeft(double left) override;
  void SetProgressWindowTop(double top) override;
  int TopLevelWindowCount() override;
  TopLevelWindow TopLevelWindowAt(int index) override;
  void EnableTopLevelWindow(int index, bool enabled) override;
  void ProcessPendingEvents() override;
  Extent ScreenSize() override;
  bool AnotherCopyRunning() override;
  std::string ProgramFolder() override;
  Extent MainWindowSize() override;
  void SetMainWindowLeft(double left) override;
  void SetMainWindowTop(double top) override;
  void SetMainWindowCaption(const std::string& caption) override;
  void UnloadMainWindow() override;
  OpenDialogResult ShowOpenDialog(const OpenDialogSettings& settings) override;

  // Outer size of the scripted progress window and main window, in twips.
  static constexpr Extent kProgressOuterSize{4485, 1650};
  static constexpr Extent kMainWindowSize{4800, 3600};

 private:
  void Record(const std::string& op, const std::string& detail = "");
  void DestroyProgressWindow();

  std::vector<Call> calls_;
  std::vector<Box> boxes_;
  std::vector<OpenDialogSettings> dialogs_;
  std::vector<bool> progress_up_at_dialogs_;
  std::deque<int> answers_;
  std::deque<OpenDialogResult> dialog_answers_;
  std::map<std::string, std::pair<long, std::string>> failures_;
  std::vector<Window> windows_;  // [0] is the main window, never shown
  bool another_copy_ = false;
  std::string program_folder_ = "/qeb";
  Extent screen_{15360, 11520};  // 1024 by 768 pixels
  bool busy_ = false;
  int progress_index_ = -1;
  int progress_loads_ = 0;
  std::string progress_text_;
  double progress_left_ = 0;
  double progress_top_ = 0;
  std::string caption_;
  double main_left_ = 0;
  double main_top_ = 0;
  bool main_loaded_ = true;
};

}  // namespace qeb::ui
