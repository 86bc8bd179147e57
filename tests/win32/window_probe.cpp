#include "tests/win32/window_probe.h"

#include <thread>
#include <vector>

namespace qeb::probe {

constexpr milliseconds kPollInterval{25};

HWND WaitForWindow(const wchar_t* window_class, const wchar_t* title, milliseconds wait) {
  for (const auto deadline = std::chrono::steady_clock::now() + wait;;
       std::this_thread::sleep_for(kPollInterval)) {
    const HWND found = FindWindowW(window_class, title);
    if (found != nullptr && IsWindowVisible(found)) return found;
    if (std::chrono::steady_clock::now() >= deadline) return nullptr;
  }
}

std::wstring WindowText(HWND window) {
  std::vector<wchar_t> text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  const int length = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  return std::wstring(text.data(), static_cast<size_t>(length));
}

std::wstring ItemText(HWND dialog, int id) {
  std::vector<wchar_t> text(32768, L'\0');
  const UINT length = GetDlgItemTextW(dialog, id, text.data(), static_cast<int>(text.size()));
  return std::wstring(text.data(), length);
}

bool PressButton(HWND dialog, int id) {
  for (HWND child = FindWindowExW(dialog, nullptr, L"Button", nullptr); child != nullptr;
       child = FindWindowExW(dialog, child, L"Button", nullptr)) {
    if (GetDlgCtrlID(child) != id) continue;
    SendMessageW(child, BM_CLICK, /*wparam=*/0, /*lparam=*/0);
    return true;
  }
  return false;
}

}  // namespace qeb::probe
