#include "support/scripted_window_system.h"

#include <sstream>
#include <stdexcept>

#include "base/run_error.h"
#include "ui/progress_window.h"

namespace qeb::ui {

void ScriptedWindowSystem::QueueDialogCancel() {
  const RunError cancelled = ProgramError(kErrDialogCancelled);
  dialog_answers_.push_back(
      {OpenDialogResult::Outcome::kCancelled, "", cancelled.number(), cancelled.description()});
}

int ScriptedWindowSystem::AddWindow(bool visible, bool enabled) {
  windows_.push_back({visible, enabled, false});
  return static_cast<int>(windows_.size()) - 1;
}

bool ScriptedWindowSystem::RequestProgressClose() {
  if (progress_index_ >= 0 && FMSG_SUA(*this).Form_QueryUnload()) return false;
  UnloadProgressWindow();
  return true;
}

std::vector<std::string> ScriptedWindowSystem::Ops() const {
  std::vector<std::string> ops;
  for (const Call& call : calls_) ops.push_back(call.op);
  return ops;
}

std::string ScriptedWindowSystem::Number(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

void ScriptedWindowSystem::RunWhileAnswering(const std::function<void()>& work) {
  Record("RunWhileAnswering");
  work();
}

void ScriptedWindowSystem::Record(const std::string& op, const std::string& detail) {
  calls_.push_back({op, detail});
  const auto failure = failures_.find(op);
  if (failure == failures_.end()) return;
  if (failure->second.first == 0) throw std::runtime_error(failure->second.second);
  throw RunError(failure->second.first, failure->second.second);
}

int ScriptedWindowSystem::MessageBox(const std::string& text, const std::string& title, int style) {
  boxes_.push_back({text, title, style});
  Record("MessageBox", text);
  if ((style & kButtonsMask) == kButtonsOk) return kAnswerOk;
  if (answers_.empty()) throw std::logic_error("no answer queued for the box \"" + text + "\"");
  const int answer = answers_.front();
  answers_.pop_front();
  return answer;
}

void ScriptedWindowSystem::LoadProgressWindow() {
  Record("LoadProgressWindow");
  if (progress_index_ >= 0) return;
  windows_.push_back({false, true, true});
  progress_index_ = static_cast<int>(windows_.size()) - 1;
  progress_text_ = "Verificando Archivo";  // the initial text the program gives
  FMSG_SUA(*this).Form_Load();
}

void ScriptedWindowSystem::ShowProgressWindow() {
  Record("ShowProgressWindow");
  if (progress_index_ < 0) throw ProgramError(kErrObjectUnloaded);
  windows_[progress_index_].enabled = windows_[progress_index_].visible = true;
  FMSG_SUA(*this).Form_Activate();
}

void ScriptedWindowSystem::SetProgressText(const std::string& text) {
  Record("SetProgressText", text);
  if (progress_index_ < 0) throw ProgramError(kErrObjectUnloaded);
  progress_text_ = text;
}

void ScriptedWindowSystem::UnloadProgressWindow() {
  Record("UnloadProgressWindow");
  if (progress_index_ < 0 || FMSG_SUA(*this).Form_QueryUnload()) return;
  windows_.erase(windows_.begin() + progress_index_);
  progress_index_ = -1;
  progress_text_.clear();
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

OpenDialogResult ScriptedWindowSystem::ShowOpenDialog(const OpenDialogSettings& settings) {
  Record("ShowOpenDialog", settings.initial_folder + " " + settings.filter);
  dialogs_.push_back(settings);
  if (dialog_answers_.empty()) throw std::logic_error("no answer queued for the Open dialog");
  OpenDialogResult result = dialog_answers_.front();
  dialog_answers_.pop_front();
  return result;
}

}  // namespace qeb::ui
