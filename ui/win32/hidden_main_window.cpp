#include "ui/win32/hidden_main_window.h"

#include "base/win32_error.h"
#include "ui/win32/dpi.h"
#include "ui/win32/resource_ids.h"

namespace qeb::ui::win32 {
namespace {

constexpr DWORD kMainWindowStyle = WS_OVERLAPPEDWINDOW;
// A new form's size: 4800 by 3600 twips, 320 by 240 pixels at 96 dpi.
constexpr int kWidth96 = 320;
constexpr int kHeight96 = 240;

void RegisterMainWindowClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXW window_class{};
  if (GetClassInfoExW(instance, kMainWindowClass, &window_class)) return;
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_QEB_SUA));
  window_class.hCursor = LoadCursorW(/*instance=*/nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kMainWindowClass;
  if (RegisterClassExW(&window_class) == 0) throw LastError();
}

}  // namespace

HiddenMainWindow::HiddenMainWindow(HINSTANCE instance) {
  RegisterMainWindowClass(instance, &WindowProc);
  const UINT dpi = SystemDpi();
  window_.reset(CreateWindowExW(/*ex_style=*/0, kMainWindowClass, /*title=*/L"", kMainWindowStyle,
                                CW_USEDEFAULT, CW_USEDEFAULT, ScaleFrom96(kWidth96, dpi),
                                ScaleFrom96(kHeight96, dpi), /*parent=*/nullptr,
                                /*menu=*/nullptr, instance, /*param=*/nullptr));
  if (!window_) throw LastError();
}

LRESULT CALLBACK HiddenMainWindow::WindowProc(HWND window, UINT message, WPARAM wparam,
                                              LPARAM lparam) {
  // The window goes only when the program unloads it: the run still needs it
  // as the dialog's owner, so a close request from outside is ignored.
  if (message == WM_CLOSE) return 0;
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace qeb::ui::win32
