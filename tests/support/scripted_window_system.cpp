#include "support/scripted_window_system.h"

#include <stdexcept>

#include "base/run_error.h"
#include "ui/progress_window.h"

namespace qeb::ui {

ScriptedWindowSystem::ScriptedWindowSystem() {
  windows_.push_back({false, true, false});
}

void ScriptedWindowSystem::QueueAnswer(int answer) {
  answers_.push_back(answer);
}

void ScriptedWindowSystem::QueueDialogPath(const std::string& path) {
  dialog_answers_.push_back({OpenDialogResult::Outcome::kChosen, path, 0, ""});
}

void ScriptedWindowSystem::QueueDialogCancel() {
  const RunError cancelled = ProgramError(kErrDialogCancelled);
  dialog_answers_.push_back(
      {OpenDialogResult::Outcome::kCancelled, "", cancelled.number(), cancelled.description()});
}

void ScriptedWindowSystem::QueueDialogFailure(long number, const std::string& description) {
  dialog_answers_.push_back({OpenDialogResult::Outcome::kFailed, "", number, description});
}

void ScriptedWindowSystem::FailOperation(const std::string& op, long number,
                                         const std::string& description) {
  failures_[op] = {number, description};
}

int ScriptedWindowSystem::AddWindow(bool visible, bool enabled) {
  windows_.push_back({visible, enabled, false});
  return static_cast<int>(windows_.size()) - 1;
}

bool ScriptedWindowSystem::RequestProgressClose() {
  Record("RequestProgressClose");
  if (progress_index_ < 0) return true;
  if (FMSG_SUA(*this).Form_QueryUnload()) return false;
  DestroyProgressWindow();
  return true;
}

std::vector<std::string> ScriptedWindowSystem::Ops() const {
  std::vector<std::string> ops;
  ops.reserve(calls_.size());
  for (const Call& call : calls_) ops.push_back(call.op);
  return ops;
}

void ScriptedWindowSystem::Record(const std::string& op, const std::string& detail) {
  calls_.push_back({op, detail});
  const auto failure = failures_.find(op);
  if (failure != failures_.end()) throw RunError(failure->second.first, failure->second.second);
}

void ScriptedWindowSystem::DestroyProgressWindow() {
  windows_.erase(windows_.begin() + progress_index_);
  progress_index_ = -1;
  progress_text_.clear();
}

void ScriptedWindowSystem::Beep() {
  Record("Beep");
}

int ScriptedWindowSystem::MessageBox(const std::string& text, const std::string& title, int style) {
  Record("MessageBox", text);
  boxes_.push_back({text, title, style});
  const int buttons = style & kButtonsMask;
  if (buttons == kButtonsOk) return kAnswerOk;
  if (answers_.empty()) throw std::logic_error("no answer queued for the box \"" + text + "\"");
  const int answer = answers_.front();
  answers_.pop_front();
  const bool valid =
      (buttons == kButtonsOkCancel && (answer == kAnswerOk || answer == kAnswerCancel)) ||
      (buttons == kButtonsYesNo && (answer == kAnswerYes || answer == kAnswerNo)) ||
      (buttons == kButtonsYesNoCancel &&
       (answer == kAnswerYes || answer == kAnswerNo || answer == kAnswerCancel));
  if (!valid)
    throw std::logic_error("the box \"" + text + "\" cannot answer " + std::to_string(answer));
  return answer;
}

void ScriptedWindowSystem::SetBusyPointer(bool busy) {
  Record("SetBusyPointer", busy ? "busy" : "default");
  busy_ = busy;
}

void ScriptedWindowSystem::LoadProgressWindow() {
  Record("LoadProgressWindow");
  if (progress_index_ >= 0) return;
  windows_.push_back({false, true, true});
  progress_index_ = static_cast<int>(windows_.size()) - 1;
  progress_text_ = kProgressInitialText;
  ++progress_loads_;
  FMSG_SUA(*this).Form_Load();
}

bool ScriptedWindowSystem::ProgressWindowLoaded() {
  Record("ProgressWindowLoaded");
  return progress_index_ >= 0;
}

void ScriptedWindowSystem::ShowProgressWindow() {
  Record("ShowProgressWindow");
  if (progress_index_ < 0) throw ProgramError(kErrObjectUnloaded);
  windows_[progress_index_].enabled = true;
  windows_[progress_index_].visible = true;
  FMSG_SUA(*this).Form_Activate();
}

void ScriptedWindowSystem::SetProgressText(const std::string& text) {
  Record("SetProgressText", text);
  if (progress_index_ < 0) throw ProgramError(kErrObjectUnloaded);
  progress_text_ = text;
}

std::string ScriptedWindowSystem::ProgressText() {
  Record("ProgressText");
  return progress_text_;
}

void ScriptedWindowSystem::UnloadProgressWindow() {
  Record("UnloadProgressWindow");
  if (progress_index_ < 0) return;
  if (FMSG_SUA(*this).Form_QueryUnload()) return;
  DestroyProgressWindow();
}

Extent ScriptedWindowSystem::ProgressWindowSize() {
  Record("ProgressWindowSize");
  return kProgressOuterSize;
}

void ScriptedWindowSystem::SetProgressWindowLeft(double left) {
  Record("SetProgressWindowLeft", std::to_string(left));
  progress_left_ = left;
}

void ScriptedWindowSystem::SetProgressWindowTop(double top) {
  Record("SetProgressWindowTop", std::to_string(top));
  progress_top_ = top;
}

int ScriptedWindowSystem::TopLevelWindowCount() {
  Record("TopLevelWindowCount");
  return static_cast<int>(windows_.size());
}

TopLevelWindow ScriptedWindowSystem::TopLevelWindowAt(int index) {
  Record("TopLevelWindowAt", std::to_string(index));
  const Window& window = windows_.at(static_cast<size_t>(index));
  return {window.visible, window.is_progress_window};
}

void ScriptedWindowSystem::EnableTopLevelWindow(int index, bool enabled) {
  Record("EnableTopLevelWindow", std::to_string(index) + (enabled ? " on" : " off"));
  windows_.at(static_cast<size_t>(index)).enabled = enabled;
}

void ScriptedWindowSystem::ProcessPendingEvents() {
  Record("ProcessPendingEvents");
}

Extent ScriptedWindowSystem::ScreenSize() {
  Record("ScreenSize");
  return screen_;
}

bool ScriptedWindowSystem::AnotherCopyRunning() {
  Record("AnotherCopyRunning");
  return another_copy_;
}

std::string ScriptedWindowSystem::ProgramFolder() {
  Record("ProgramFolder");
  return program_folder_;
}

Extent ScriptedWindowSystem::MainWindowSize() {
  Record("MainWindowSize");
  return kMainWindowSize;
}

void ScriptedWindowSystem::SetMainWindowLeft(double left) {
  Record("SetMainWindowLeft", std::to_string(left));
  main_left_ = left;
}

void ScriptedWindowSystem::SetMainWindowTop(double top) {
  Record("SetMainWindowTop", std::to_string(top));
  main_top_ = top;
}

void ScriptedWindowSystem::SetMainWindowCaption(const std::string& caption) {
  Record("SetMainWindowCaption", caption);
  caption_ = caption;
}

void ScriptedWindowSystem::UnloadMainWindow() {
  Record("UnloadMainWindow");
  main_loaded_ = false;
}

OpenDialogResult ScriptedWindowSystem::ShowOpenDialog(const OpenDialogSettings& settings) {
  Record("ShowOpenDialog", settings.title);
  dialogs_.push_back(settings);
  progress_up_at_dialogs_.push_back(progress_index_ >= 0);
  if (dialog_answers_.empty()) throw std::logic_error("no answer queued for the Open dialog");
  OpenDialogResult result = dialog_answers_.front();
  dialog_answers_.pop_front();
  return result;
}

}  // namespace qeb::ui
