#pragma once
// The window system on Win32: message boxes, the Open dialog, the hidden main
// window, the progress window FMSG_SUA (whose handlers it runs), the pointer,
// and the second-copy test. Everything runs on the thread that made it.

#include "ui/win32/win32.h"

#include <memory>
#include <string>
#include <vector>

#include "ui/win32/hidden_main_window.h"
#include "ui/win32/progress_window_win32.h"
#include "ui/win32/single_instance.h"
#include "ui/window_system.h"

namespace qeb::ui::win32 {

class Win32WindowSystem final : public WindowSystem, private ProgressWindowEvents {
 public:
  // Takes the second-copy mutex first, then creates the hidden main window.
  // Throws RunError when the main window cannot be made.
  Win32WindowSystem(HINSTANCE instance, ProgressWindowTexts progress_texts,
                    const std::wstring& mutex_name = kSingleInstanceMutex);
  Win32WindowSystem(const Win32WindowSystem&) = delete;
  Win32WindowSystem& operator=(const Win32WindowSystem&) = delete;
  ~Win32WindowSystem() override;

  // For the program's own checks and tests: the windows behind the forms.
  HWND main_window() const { return main_window_ ? main_window_->hwnd() : nullptr; }
  HWND progress_window() const;

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
  void RunWhileAnswering(const std::function<void()>& work) override;
  Extent ScreenSize() override;
  bool AnotherCopyRunning() override;
  std::string ProgramFolder() override;
  Extent MainWindowSize() override;
  void SetMainWindowLeft(double left) override;
  void SetMainWindowTop(double top) override;
  void SetMainWindowCaption(const std::string& caption) override;
  void UnloadMainWindow() override;
  OpenDialogResult ShowOpenDialog(const OpenDialogSettings& settings) override;

 private:
  // ProgressWindowEvents: the handlers of FMSG_SUA.
  void OnProgressActivate() noexcept override;
  bool OnProgressQueryUnload() noexcept override;
  bool BusyPointer() const noexcept override { return busy_; }

  ProgressWindow& LoadedProgressWindow();
  HWND LoadedMainWindow() const;
  // The program's own top-level windows: the main window, then the progress
  // window, then any other window of the program's classes.
  std::vector<HWND> ProgramWindows() const;
  HWND ProgramWindowAt(int index) const;

  HINSTANCE instance_;
  ProgressWindowTexts progress_texts_;
  SingleInstance single_instance_;
  std::unique_ptr<HiddenMainWindow> main_window_;
  std::unique_ptr<ProgressWindow> progress_;
  bool busy_ = false;
};

}  // namespace qeb::ui::win32
