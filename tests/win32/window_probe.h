#pragma once
// What an operator does to the program's windows, done from another thread
// or process: find a window by class and title, read texts, press buttons,
// fill the Open dialog. Waits poll until a deadline; nothing sleeps blindly.

#include "ui/win32/win32.h"

#include <chrono>
#include <string>

namespace qeb::probe {

using std::chrono::milliseconds;
inline constexpr milliseconds kDefaultWait{20000};

// The class of message boxes and of the Open dialog.
inline constexpr const wchar_t* kDialogClass = L"#32770";
// Controls of the Open dialog and of message boxes.
inline constexpr int kMessageBoxText = 0xFFFF;
inline constexpr int kOpenFileTypeCombo = 0x470;
inline constexpr int kOpenFileNameControl = 0x47C;

// A visible top-level window with this class and title (either may be null),
// or nullptr once `wait` has passed.
HWND WaitForWindow(const wchar_t* window_class, const wchar_t* title,
                   milliseconds wait = kDefaultWait);
// True once the window no longer exists (or is hidden), false after `wait`.
bool WaitUntilGone(HWND window, milliseconds wait = kDefaultWait);

std::wstring WindowText(HWND window);
std::wstring ItemText(HWND dialog, int id);
// The child of class "Button" with this id (a toolbar may share the id).
HWND FindButton(HWND dialog, int id);
// Presses the button with this id; false when there is none.
bool PressButton(HWND dialog, int id);
// Types a path into the Open dialog's file-name box and presses Open.
bool ChooseFile(HWND open_dialog, const std::wstring& path);

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);

}  // namespace qeb::probe
