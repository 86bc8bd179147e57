#include "ui/win32/progress_window_win32.h"

#include <cwchar>

#include "base/win32_error.h"
#include "ui/win32/dpi.h"
#include "ui/win32/resource_ids.h"

namespace qeb::ui::win32 {
namespace {

// A fixed dialog frame with a small caption and only a close control; a tool
// window, so it gets no task-bar button.
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME;

// Geometry of the client area, in twips.
struct TwipsRect {
  double left, top, width, height;
};
constexpr double kClientWidth = 4395;
constexpr double kClientHeight = 1200;
constexpr TwipsRect kPictureBox{90, 208, 465, 600};
constexpr TwipsRect kMessageLine{600, 480, 3735, 369};
// The message line's font: MS Sans Serif (through its dialog alias) 8.25 points, bold.
constexpr const wchar_t* kFontFace = L"MS Shell Dlg";
constexpr int kFontHundredthsOfPoint = 825;

RECT ToPixels(const TwipsRect& rect, UINT dpi) {
  const int left = TwipsToPixels(rect.left, dpi);
  const int top = TwipsToPixels(rect.top, dpi);
  return {left, top, left + TwipsToPixels(rect.width, dpi), top + TwipsToPixels(rect.height, dpi)};
}

void RegisterProgressWindowClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXW window_class{};
  if (GetClassInfoExW(instance, kProgressWindowClass, &window_class)) return;
  window_class.cbSize = sizeof(window_class);
  window_class.style = CS_HREDRAW | CS_VREDRAW;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_QEB_SUA));
  window_class.hCursor = LoadCursorW(/*instance=*/nullptr, IDC_ARROW);
  window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  window_class.lpszClassName = kProgressWindowClass;
  if (RegisterClassExW(&window_class) == 0) throw LastError();
}

HFONT CreateMessageFont(UINT dpi) {
  const int height = -MulDiv(kFontHundredthsOfPoint, static_cast<int>(dpi), 72 * 100);
  return CreateFontW(height, /*width=*/0, /*escapement=*/0, /*orientation=*/0, FW_BOLD,
                     /*italic=*/FALSE, /*underline=*/FALSE, /*strike_out=*/FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_SWISS, kFontFace);
}

// EnumThreadWindows' callback: stops at the first visible dialog (a message
// box or the Open dialog, class "#32770") and stores it in *found.
BOOL CALLBACK FindVisibleDialog(HWND window, LPARAM found) {
  wchar_t name[16] = {};
  if (!IsWindowVisible(window) || GetClassNameW(window, name, 16) == 0 ||
      wcscmp(name, L"#32770") != 0)
    return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// A message box or the Open dialog of this thread that is up, if any.
HWND VisibleDialogOfThread() {
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &FindVisibleDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

}  // namespace

ProgressWindow::ProgressWindow(HINSTANCE instance, ProgressWindowEvents& events,
                               const std::wstring& caption, const std::wstring& text)
    : events_(events) {
  RegisterProgressWindowClass(instance, &WindowProc);
  // Created at the origin, so on the primary screen, whose DPI it then takes.
  window_.reset(CreateWindowExW(kExStyle, kProgressWindowClass, caption.c_str(), kStyle, /*x=*/0,
                                /*y=*/0, /*width=*/0, /*height=*/0, /*parent=*/nullptr,
                                /*menu=*/nullptr, instance, /*param=*/this));
  if (!window_) throw LastError();
  label_ = CreateWindowExW(/*ex_style=*/0, L"STATIC", text.c_str(),
                           WS_CHILD | WS_VISIBLE | SS_CENTER | SS_NOPREFIX, 0, 0, 0, 0,
                           window_.get(), reinterpret_cast<HMENU>(kProgressLabelId), instance,
                           /*param=*/nullptr);
  if (label_ == nullptr) throw LastError();
  // Without the picture (a build without the resources) the box stays empty.
  picture_.reset(static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(IDB_PROGRESS_PICTURE),
                                                 IMAGE_BITMAP, /*width=*/0, /*height=*/0,
                                                 LR_CREATEDIBSECTION)));
  LayOut(DpiForWindow(window_.get()));
}

ProgressWindow::~ProgressWindow() {
  // The window goes first: its procedure still uses the font and the picture.
  window_.reset();
}

void ProgressWindow::SetText(const std::wstring& text) {
  if (!SetWindowTextW(label_, text.c_str())) throw LastError();
}

std::wstring ProgressWindow::Text() const {
  SetLastError(ERROR_SUCCESS);
  const int length = GetWindowTextLengthW(label_);
  if (length == 0) {
    if (GetLastError() != ERROR_SUCCESS) throw LastError();
    return {};
  }
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(label_, text.data(), length + 1);
  if (copied == 0 && GetLastError() != ERROR_SUCCESS) throw LastError();
  text.resize(static_cast<size_t>(copied));
  return text;
}

bool ProgressWindow::RequestClose() {
  if (alive()) SendMessageW(window_.get(), WM_CLOSE, /*wparam=*/0, /*lparam=*/0);
  return !alive();
}

void ProgressWindow::LayOut(UINT dpi) {
  dpi_ = dpi;
  const SIZE client{TwipsToPixels(kClientWidth, dpi), TwipsToPixels(kClientHeight, dpi)};
  const SIZE outer = OuterSizeForClient(client, kStyle, kExStyle, dpi);
  SetWindowPos(window_.get(), /*insert_after=*/nullptr, 0, 0, outer.cx, outer.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  const RECT line = ToPixels(kMessageLine, dpi);
  SetWindowPos(label_, /*insert_after=*/nullptr, line.left, line.top, line.right - line.left,
               line.bottom - line.top, SWP_NOZORDER | SWP_NOACTIVATE);
  UniqueFont font(CreateMessageFont(dpi));
  if (font) {
    SendMessageW(label_, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), /*redraw=*/TRUE);
    font_ = std::move(font);  // the old font is deleted only after the label let it go
  }
  InvalidateRect(window_.get(), /*rect=*/nullptr, /*erase=*/TRUE);
}

void ProgressWindow::Paint() {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(window_.get(), &paint);
  if (dc == nullptr) return;
  BITMAP bitmap{};
  if (picture_ && GetObjectW(picture_.get(), sizeof(bitmap), &bitmap) != 0) {
    UniqueMemoryDc memory(CreateCompatibleDC(dc));
    if (memory) {
      ScopedSelection selection(memory.get(), picture_.get());
      // Like a picture box: the picture at its own size (scaled for the DPI)
      // from the box's top-left corner, cut at the box's edges.
      const RECT box = ToPixels(kPictureBox, dpi_);
      const int saved = SaveDC(dc);
      IntersectClipRect(dc, box.left, box.top, box.right, box.bottom);
      SetStretchBltMode(dc, HALFTONE);
      StretchBlt(dc, box.left, box.top, ScaleFrom96(bitmap.bmWidth, dpi_),
                 ScaleFrom96(bitmap.bmHeight, dpi_), memory.get(), 0, 0, bitmap.bmWidth,
                 bitmap.bmHeight, SRCCOPY);
      RestoreDC(dc, saved);
    }
  }
  EndPaint(window_.get(), &paint);
}

LRESULT CALLBACK ProgressWindow::WindowProc(HWND window, UINT message, WPARAM wparam,
                                            LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  // Until CreateWindowExW returns, the owner does not hold the handle yet.
  if (self == nullptr || !self->window_) {
    if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    return DefWindowProcW(window, message, wparam, lparam);
  }
  return self->Handle(message, wparam, lparam);
}

LRESULT ProgressWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  const HWND window = window_.get();
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_CTLCOLORSTATIC: {
      // The message line: black on the window's white.
      const auto dc = reinterpret_cast<HDC>(wparam);
      SetTextColor(dc, RGB(0, 0, 0));
      SetBkColor(dc, RGB(255, 255, 255));
      return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    }
    case WM_SETCURSOR:
      if (events_.BusyPointer()) {
        SetCursor(LoadCursorW(/*instance=*/nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_MOUSEACTIVATE:
      // The boxes have no owner (so that they keep a task-bar button): a
      // click here must not bring this window over the question being asked.
      if (const HWND dialog = VisibleDialogOfThread()) {
        SetForegroundWindow(dialog);
        return MA_NOACTIVATE;
      }
      break;
    case WM_ACTIVATE: {
      const LRESULT result = DefWindowProcW(window, message, wparam, lparam);
      if (LOWORD(wparam) != WA_INACTIVE && !activating_) {
        activating_ = true;
        events_.OnProgressActivate();
        activating_ = false;
      }
      return result;
    }
    case WM_CLOSE:
      // Whoever asks (the operator, the program, the system), the events decide.
      if (!events_.OnProgressQueryUnload()) DestroyWindow(window);
      return 0;
    case WM_QUERYENDSESSION:
      return events_.OnProgressQueryUnload() ? FALSE : TRUE;
    case WM_DPICHANGED: {
      const auto* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(window, /*insert_after=*/nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      LayOut(HIWORD(wparam));
      return 0;
    }
    case WM_NCDESTROY:
      // The system has destroyed the window: the owner lets the handle go.
      label_ = nullptr;
      window_.release();
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace qeb::ui::win32
