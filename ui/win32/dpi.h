#pragma once
// Twips and pixels. The program measures in twips (1440 per inch); windows
// are laid out in pixels for the DPI of the monitor they are on.

#include "ui/win32/win32.h"

namespace qeb::ui::win32 {

inline constexpr UINT kDefaultDpi = 96;
inline constexpr double kTwipsPerInch = 1440;

// The DPI of the window's monitor (GetDpiForWindow, Windows 10 1607 and
// later), else the system DPI.
UINT DpiForWindow(HWND window);
// The system DPI (GetDpiForSystem, else the screen's LOGPIXELSX, else 96).
UINT SystemDpi();

// Rounded to the nearest pixel; throws RunError (overflow) for a value that
// does not fit a screen coordinate.
int TwipsToPixels(double twips, UINT dpi);
double PixelsToTwips(int pixels, UINT dpi);
// Scales a length given in pixels at 96 dpi.
int ScaleFrom96(int pixels, UINT dpi);

// The outer size of a window whose client area has the size given.
SIZE OuterSizeForClient(SIZE client, DWORD style, DWORD ex_style, UINT dpi);

}  // namespace qeb::ui::win32
