#pragma once
// A window system that answers from a script and records every call in order,
// for tests. Boxes with only an OK button answer OK by themselves; every other
// box and every Open dialog takes the next answer queued for it, and a missing
// answer is a std::logic_error (a test fault).

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
    std::string detail;  // its main argument, when it has one
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

  // The script.
  void QueueAnswer(int answer) { answers_.push_back(answer); }
  void QueueDialogPath(const std::string& path) {
    dialog_answers_.push_back({OpenDialogResult::Outcome::kChosen, path, 0, ""});
  }
  void QueueDialogCancel();
  void QueueDialogFailure(long number, const std::string& description) {
    dialog_answers_.push_back({OpenDialogResult::Outcome::kFailed, "", number, description});
  }
  // Every later call of the operation `op` throws RunError(number, description);
  // number 0, a failure that is no RunError.
  void FailOperation(const std::string& op, long number = 5,
                     const std::string& description = "scripted failure") {
    failures_[op] = {number, description};
  }
  void SetAnotherCopyRunning(bool running) { another_copy_ = running; }
  void SetProgramFolder(const std::string& folder) { program_folder_ = folder; }
  // Adds a top-level window of the program; returns its index.
  int AddWindow(bool visible, bool enabled);
  // A close request on the progress window; true when the window went away.
  bool RequestProgressClose();

  // What happened.
  const std::vector<Call>& calls() const { return calls_; }
  std::vector<std::string> Ops() const;
  const std::vector<Box>& boxes() const { return boxes_; }
  const std::vector<OpenDialogSettings>& dialogs() const { return dialogs_; }
  const std::vector<Window>& windows() const { return windows_; }
  bool busy_pointer() const { return busy_; }
  bool progress_loaded() const { return progress_index_ >= 0; }
  std::string progress_text() const { return progress_text_; }
  double progress_left() const { return progress_left_; }
  double progress_top() const { return progress_top_; }
  size_t unanswered() const { return answers_.size() + dialog_answers_.size(); }

  // WindowSystem.
  void Beep() override { Record("Beep"); }
  int MessageBox(const std::string& text, const std::string& title, int style) override;
  void SetBusyPointer(bool busy) override { Record("SetBusyPointer"), busy_ = busy; }
  void LoadProgressWindow() override;
  bool ProgressWindowLoaded() override { return Record("ProgressWindowLoaded"), progress_loaded(); }
  void ShowProgressWindow() override;
  void SetProgressText(const std::string& text) override;
  std::string ProgressText() override { return Record("ProgressText"), progress_text_; }
  void UnloadProgressWindow() override;
  // Outer sizes in twips; the screen is 1024 by 768 pixels.
  Extent ProgressWindowSize() override { return Record("ProgressWindowSize"), Extent{4485, 1650}; }
  void SetProgressWindowLeft(double x) override {
    Record("SetProgressWindowLeft"), progress_left_ = x;
  }
  void SetProgressWindowTop(double y) override {
    Record("SetProgressWindowTop"), progress_top_ = y;
  }
  int TopLevelWindowCount() override {
    return Record("TopLevelWindowCount"), static_cast<int>(windows_.size());
  }
  TopLevelWindow TopLevelWindowAt(int index) override;
  void EnableTopLevelWindow(int index, bool enabled) override;
  void ProcessPendingEvents() override { Record("ProcessPendingEvents"); }
  void RunWhileAnswering(const std::function<void()>& work) override;  // at once
  Extent ScreenSize() override { return Record("ScreenSize"), Extent{15360, 11520}; }
  bool AnotherCopyRunning() override { return Record("AnotherCopyRunning"), another_copy_; }
  std::string ProgramFolder() override { return Record("ProgramFolder"), program_folder_; }
  Extent MainWindowSize() override { return Record("MainWindowSize"), Extent{4800, 3600}; }
  void SetMainWindowLeft(double left) override { Record("SetMainWindowLeft", Number(left)); }
  void SetMainWindowTop(double top) override { Record("SetMainWindowTop", Number(top)); }
  void SetMainWindowCaption(const std::string& text) override {
    Record("SetMainWindowCaption", text);
  }
  void UnloadMainWindow() override { Record("UnloadMainWindow"); }
  OpenDialogResult ShowOpenDialog(const OpenDialogSettings& settings) override;

  // How a coordinate shows in a call's detail: "5437.5", "4935".
  static std::string Number(double value);

 private:
  void Record(const std::string& op, const std::string& detail = "");

  std::vector<Call> calls_;
  std::vector<Box> boxes_;
  std::vector<OpenDialogSettings> dialogs_;
  std::deque<int> answers_;
  std::deque<OpenDialogResult> dialog_answers_;
  std::map<std::string, std::pair<long, std::string>> failures_;
  std::vector<Window> windows_{{false, true, false}};  // [0] is the main window, never shown
  bool another_copy_ = false;
  std::string program_folder_ = "/qeb";
  bool busy_ = false;
  int progress_index_ = -1;
  std::string progress_text_;
  double progress_left_ = 0;
  double progress_top_ = 0;
};

}  // namespace qeb::ui
