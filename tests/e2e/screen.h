#pragma once
// What the end-to-end driver sees on the screen: pixels of a screen area,
// whole-screen shots as BMP files, and which standard icon a message box
// shows (read from its pixels, since another process's icon handle cannot be
// read here).

#include "ui/win32/win32.h"

#include <filesystem>
#include <string>
#include <vector>

namespace qeb::e2e {

// A screen area's pixels as top-down 32-bit BGRX rows.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> data;
  bool operator==(const Pixels&) const = default;
};

Pixels CaptureScreenArea(const RECT& area);

// The whole screen, once it has stopped changing (windows that have just
// appeared may still be painting), as a 24-bit BMP file. False when the file
// cannot be written.
bool SaveScreenShot(const std::filesystem::path& file);

// The standard icon shown in a message box: "stop", "question",
// "exclamation", "information", "none" (no icon control) or "unknown" (its
// pixels match none of them before the wait runs out).
std::string MessageBoxIcon(HWND box);

}  // namespace qeb::e2e
