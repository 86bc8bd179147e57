#pragma once
// A window system that plays the operator of an unattended run: in the Open
// dialog it chooses the pieces in order, to "¿Más diskettes?" (the one Yes/No
// box) it answers Yes while pieces remain and then No, and OK to every other
// box. No window is shown. It keeps the texts of the boxes and the moment of
// its last answer about the pieces: the final No, or for a whole file its
// choice.

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "ui/window_system.h"

namespace qeb::bench {

class AnsweringWindowSystem final : public ui::WindowSystem {
 public:
  using Clock = std::chrono::steady_clock;

  // `pieces`: the paths the dialog chooses, in order.
  AnsweringWindowSystem(std::string program_folder, std::vector<std::string> pieces)
      : program_folder_(std::move(program_folder)), pieces_(std::move(pieces)) {}

  const std::vector<std::string>& box_texts() const { return box_texts_; }
  Clock::time_point last_piece_answer() const { return last_piece_answer_; }

  int MessageBox(const std::string& text, const std::string& /*title*/, int style) override {
    box_texts_.push_back(text);
    if ((style & ui::kButtonsMask) != ui::kButtonsYesNo) return ui::kAnswerOk;
    last_piece_answer_ = Clock::now();
    return chosen_ < pieces_.size() ? ui::kAnswerYes : ui::kAnswerNo;
  }
  ui::OpenDialogResult ShowOpenDialog(const ui::OpenDialogSettings& /*settings*/) override {
    last_piece_answer_ = Clock::now();
    if (chosen_ == pieces_.size()) return {};  // cancelled
    return {ui::OpenDialogResult::Outcome::kChosen, pieces_[chosen_++], 0, ""};
  }
  std::string ProgramFolder() override { return program_folder_; }

  // The progress window: only its text, which decides whether it may close.
  void LoadProgressWindow() override { progress_loaded_ = true; }
  bool ProgressWindowLoaded() override { return progress_loaded_; }
  void SetProgressText(const std::string& text) override { progress_text_ = text; }
  std::string ProgressText() override { return progress_text_; }
  void UnloadProgressWindow() override { progress_loaded_ = !progress_text_.empty(); }

  // Nothing to show, move or enable.
  void Beep() override {}
  void SetBusyPointer(bool /*busy*/) override {}
  void ShowProgressWindow() override {}
  ui::Extent ProgressWindowSize() override { return {}; }
  void SetProgressWindowLeft(double /*left*/) override {}
  void SetProgressWindowTop(double /*top*/) override {}
  int TopLevelWindowCount() override { return 0; }
  ui::TopLevelWindow TopLevelWindowAt(int /*index*/) override { return {}; }
  void EnableTopLevelWindow(int /*index*/, bool /*enabled*/) override {}
  void ProcessPendingEvents() override {}
  void RunWhileAnswering(const std::function<void()>& work) override { work(); }
  ui::Extent ScreenSize() override { return {}; }
  bool AnotherCopyRunning() override { return false; }
  ui::Extent MainWindowSize() override { return {}; }
  void SetMainWindowLeft(double /*left*/) override {}
  void SetMainWindowTop(double /*top*/) override {}
  void SetMainWindowCaption(const std::string& /*caption*/) override {}
  void UnloadMainWindow() override {}

 private:
  std::string program_folder_;
  std::vector<std::string> pieces_;
  size_t chosen_ = 0;
  std::vector<std::string> box_texts_;
  Clock::time_point last_piece_answer_{};
  bool progress_loaded_ = false;
  std::string progress_text_;
};

}  // namespace qeb::bench
