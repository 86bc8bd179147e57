#include "tests/win32/window_probe.h"

#include <thread>
#include <vector>

namespace qeb::probe {
namespace {

constexpr milliseconds kPollInterval{25};

template <typename Condition>
bool PollUntil(milliseconds wait, Condition&& condition) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kPollInterval);
  }
}

}  // namespace

HWND WaitForWindow(const wchar_t* window_class, const wchar_t* title, milliseconds wait) {
  HWND found = nullptr;
  PollUntil(wait, [&] {
    found = FindWindowW(window_class, title);
    return found != nullptr && IsWindowVisible(found);
  });
  return found != nullptr && IsWindowVisible(found) ? found : nullptr;
}

bool WaitUntilGone(HWND window, milliseconds wait) {
  return PollUntil(wait, [&] { return !IsWindow(window) || !IsWindowVisible(window); });
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

HWND FindButton(HWND dialog, int id) {
  for (HWND child = FindWindowExW(dialog, nullptr, L"Button", nullptr); child != nullptr;
       child = FindWindowExW(dialog, child, L"Button", nullptr))
    if (GetDlgCtrlID(child) == id) return child;
  return nullptr;
}

bool PressButton(HWND dialog, int id) {
  const HWND button = FindButton(dialog, id);
  if (button == nullptr) return false;
  SendMessageW(button, BM_CLICK, /*wparam=*/0, /*lparam=*/0);
  return true;
}

bool ChooseFile(HWND open_dialog, const std::wstring& path) {
  if (!SetDlgItemTextW(open_dialog, kOpenFileNameControl, path.c_str())) return false;
  return PressButton(open_dialog, IDOK);
}

std::wstring Widen(const std::string& utf8) {
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
  return wide;
}

std::string Narrow(const std::wstring& wide) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length,
                      nullptr, nullptr);
  return utf8;
}

}  // namespace qeb::probe
