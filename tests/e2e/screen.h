#pragma once
// What the end-to-end driver reads from the program's windows beyond their
// texts: the whole screen as a BMP file, which standard icon a message box
// shows (read from its pixels, since another process's icon handle cannot be
// read here), and the names that an Open dialog lists.

#include "ui/win32/win32.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace qeb::e2e {

// The whole screen, once it has stopped changing (windows that have just
// appeared may still be painting), as a 24-bit BMP file. False when the file
// cannot be written.
bool SaveScreenShot(const std::filesystem::path& file);

// The standard icon shown in a message box: "stop", "question",
// "exclamation", "information", "none" (no icon control) or "unknown" (its
// pixels match none of them before the wait runs out).
std::string MessageBoxIcon(HWND box);

// The names in another process's Open dialog's file list, in the list's
// order; nullopt when the list cannot be found or read.
std::optional<std::vector<std::wstring>> ListedNames(HWND open_dialog);

}  // namespace qeb::e2e
