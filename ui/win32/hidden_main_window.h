#pragma once
// The Win32 window behind the main window FQEB_SUA. It is never shown: it
// exists to own the Open dialog and to carry a caption and a position.

#include "ui/win32/win32.h"

#include <string>

#include "ui/win32/handles.h"

namespace qeb::ui::win32 {

inline constexpr const wchar_t* kMainWindowClass = L"QEB_SUA.FQEB_SUA";

class HiddenMainWindow {
 public:
  // Creates the window, hidden; throws RunError.
  explicit HiddenMainWindow(HINSTANCE instance);
  HiddenMainWindow(const HiddenMainWindow&) = delete;
  HiddenMainWindow& operator=(const HiddenMainWindow&) = delete;

  HWND hwnd() const { return window_.get(); }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  UniqueWindow window_;
};

}  // namespace qeb::ui::win32
