#pragma once
// The Win32 window behind FMSG_SUA: a small white tool window, left out of
// the task bar, with the picture and the centred message line. It leaves
// every decision to its events: whether a close request is vetoed, what an
// activation does, which pointer to show.

#include "ui/win32/win32.h"

#include <string>

#include "ui/win32/handles.h"

namespace qeb::ui::win32 {

inline constexpr const wchar_t* kProgressWindowClass = L"QEB_SUA.FMSG_SUA";
// Control id of the message line `msg`, a static text control.
inline constexpr int kProgressLabelId = 1001;

class ProgressWindowEvents {
 public:
  // The window has become the active window.
  virtual void OnProgressActivate() noexcept = 0;
  // A close request from any source; true vetoes it.
  virtual bool OnProgressQueryUnload() noexcept = 0;
  // Whether the program-wide pointer is the busy pointer.
  virtual bool BusyPointer() const noexcept = 0;

 protected:
  ~ProgressWindowEvents() = default;
};

class ProgressWindow {
 public:
  // Creates the window hidden at the top-left corner of the primary screen,
  // laid out for its DPI, with `text` in its message line. Throws RunError.
  ProgressWindow(HINSTANCE instance, ProgressWindowEvents& events, const std::wstring& caption,
                 const std::wstring& text);
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;
  ~ProgressWindow();

  // False once the window has been destroyed (closed without a veto).
  bool alive() const { return static_cast<bool>(window_); }
  HWND hwnd() const { return window_.get(); }

  void SetText(const std::wstring& text);
  std::wstring Text() const;
  // Sends a close request; true when the window went away.
  bool RequestClose();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void LayOut(UINT dpi);
  void Paint();

  ProgressWindowEvents& events_;
  UniqueWindow window_;
  HWND label_ = nullptr;  // a child: destroyed with the window
  UniqueFont font_;
  UniqueBitmap picture_;
  UINT dpi_ = 96;
  bool activating_ = false;
};

}  // namespace qeb::ui::win32
