#pragma once
// What an operator does to the program's windows, done from another thread
// or process: find a window by class and title, read texts, press buttons.
// Waits poll until a deadline; nothing sleeps blindly.

#include "ui/win32/win32.h"

#include <chrono>
#include <string>

namespace qeb::probe {

using std::chrono::milliseconds;
inline constexpr milliseconds kDefaultWait{20000};

// The class of message boxes and of the Open dialog.
inline constexpr const wchar_t* kDialogClass = L"#32770";
// A message box's text.
inline constexpr int kMessageBoxText = 0xFFFF;

// A visible top-level window with this class and title (either may be null),
// or nullptr once `wait` has passed.
HWND WaitForWindow(const wchar_t* window_class, const wchar_t* title,
                   milliseconds wait = kDefaultWait);

std::wstring WindowText(HWND window);
std::wstring ItemText(HWND dialog, int id);
// Presses the child of class "Button" with this id (a toolbar may share the
// id); false when there is none.
bool PressButton(HWND dialog, int id);

}  // namespace qeb::probe
