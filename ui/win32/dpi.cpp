#include "ui/win32/dpi.h"

#include <cmath>
#include <limits>

#include "base/run_error.h"

namespace qeb::ui::win32 {
namespace {

// The per-monitor DPI calls exist only from Windows 10 1607 on; they are
// looked up so that the program still starts on older systems.
template <typename Function>
Function User32Function(const char* name) {
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (user32 == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(user32, name)));
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForSystemFn = UINT(WINAPI*)();
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

UINT ScreenLogPixels() {
  const HDC screen = GetDC(/*window=*/nullptr);
  if (screen == nullptr) return 0;
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(/*window=*/nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 0;
}

}  // namespace

UINT DpiForWindow(HWND window) {
  static const auto get_dpi_for_window = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  if (get_dpi_for_window != nullptr && window != nullptr) {
    const UINT dpi = get_dpi_for_window(window);
    if (dpi != 0) return dpi;
  }
  return SystemDpi();
}

UINT SystemDpi() {
  static const auto get_dpi_for_system = User32Function<GetDpiForSystemFn>("GetDpiForSystem");
  UINT dpi = get_dpi_for_system != nullptr ? get_dpi_for_system() : 0;
  if (dpi == 0) dpi = ScreenLogPixels();
  return dpi != 0 ? dpi : kDefaultDpi;
}

int TwipsToPixels(double twips, UINT dpi) {
  const double pixels = std::round(twips * dpi / kTwipsPerInch);
  if (!std::isfinite(pixels) || pixels < std::numeric_limits<int>::min() ||
      pixels > std::numeric_limits<int>::max())
    throw OverflowError();
  return static_cast<int>(pixels);
}

double PixelsToTwips(int pixels, UINT dpi) {
  return pixels * kTwipsPerInch / dpi;
}

int ScaleFrom96(int pixels, UINT dpi) {
  return MulDiv(pixels, static_cast<int>(dpi), kDefaultDpi);
}

SIZE OuterSizeForClient(SIZE client, DWORD style, DWORD ex_style, UINT dpi) {
  static const auto adjust_for_dpi =
      User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
  RECT rect{0, 0, client.cx, client.cy};
  const BOOL adjusted = adjust_for_dpi != nullptr
                            ? adjust_for_dpi(&rect, style, /*menu=*/FALSE, ex_style, dpi)
                            : AdjustWindowRectEx(&rect, style, /*menu=*/FALSE, ex_style);
  if (!adjusted) return client;
  return {rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace qeb::ui::win32
