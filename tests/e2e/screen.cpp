#include "tests/e2e/screen.h"

#include <commctrl.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <thread>
#include <utility>

#include "ui/win32/handles.h"

namespace qeb::e2e {
namespace {

using qeb::ui::win32::ScopedSelection;
using qeb::ui::win32::UniqueBitmap;
using qeb::ui::win32::UniqueKernelHandle;
using qeb::ui::win32::UniqueMemoryDc;
using std::chrono::milliseconds;

// Under Wine a message box's icon control has this id (0x14 on Windows).
constexpr int kWineBoxIconControl = 0x440;
constexpr int kWindowsBoxIconControl = 0x14;
constexpr size_t kNameCapacity = MAX_PATH;
// A channel may differ this much (alpha blending rounds differently).
constexpr int kChannelTolerance = 24;
// An icon matches when at most this share of its pixels differ (1/50).
constexpr int kMismatchDivisor = 50;

// A screen area's pixels as top-down 32-bit BGRX rows.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> data;
  bool operator==(const Pixels&) const = default;
};

BITMAPINFO TopDown32(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // negative: rows top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// The pixels of a device context's area, from a bitmap selected into a
// memory context.
Pixels ReadPixels(HDC source, int x, int y, int width, int height) {
  Pixels pixels{width, height, {}};
  if (width <= 0 || height <= 0) return pixels;
  UniqueMemoryDc memory(CreateCompatibleDC(source));
  UniqueBitmap bitmap(CreateCompatibleBitmap(source, width, height));
  {
    ScopedSelection selection(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, width, height, source, x, y, SRCCOPY);
  }
  pixels.data.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  BITMAPINFO info = TopDown32(width, height);
  GetDIBits(memory.get(), bitmap.get(), 0, static_cast<UINT>(height), pixels.data.data(), &info,
            DIB_RGB_COLORS);
  for (uint32_t& pixel : pixels.data) pixel &= 0x00FFFFFF;
  return pixels;
}

Pixels CaptureScreenArea(const RECT& area) {
  const HDC screen = GetDC(nullptr);
  Pixels pixels =
      ReadPixels(screen, area.left, area.top, area.right - area.left, area.bottom - area.top);
  ReleaseDC(nullptr, screen);
  return pixels;
}

Pixels CaptureWholeScreen() {
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return CaptureScreenArea(screen);
}

// 24-bit rows, bottom-up, each padded to four bytes.
std::vector<char> BmpRows(const Pixels& pixels) {
  const size_t stride = (static_cast<size_t>(pixels.width) * 3 + 3) & ~size_t{3};
  std::vector<char> rows(stride * static_cast<size_t>(pixels.height), 0);
  for (int y = 0; y < pixels.height; ++y) {
    char* row = rows.data() + stride * static_cast<size_t>(pixels.height - 1 - y);
    for (int x = 0; x < pixels.width; ++x) {
      const uint32_t pixel = pixels.data[static_cast<size_t>(y) * pixels.width + x];
      row[x * 3] = static_cast<char>(pixel & 0xFF);
      row[x * 3 + 1] = static_cast<char>((pixel >> 8) & 0xFF);
      row[x * 3 + 2] = static_cast<char>((pixel >> 16) & 0xFF);
    }
  }
  return rows;
}

// `icon` drawn as a static control draws it, over the background colour
// that the box shows around its icon.
Pixels RenderIcon(HICON icon, int width, int height, uint32_t background) {
  const HDC screen = GetDC(nullptr);
  UniqueMemoryDc memory(CreateCompatibleDC(screen));
  UniqueBitmap bitmap(CreateCompatibleBitmap(screen, width, height));
  ReleaseDC(nullptr, screen);
  ScopedSelection selection(memory.get(), bitmap.get());
  {
    const COLORREF colour =
        RGB((background >> 16) & 0xFF, (background >> 8) & 0xFF, background & 0xFF);
    const HBRUSH brush = CreateSolidBrush(colour);
    const RECT all{0, 0, width, height};
    FillRect(memory.get(), &all, brush);
    DeleteObject(brush);
    DrawIconEx(memory.get(), 0, 0, icon, /*width=*/0, /*height=*/0, /*step=*/0,
               /*flicker_free_brush=*/nullptr, DI_NORMAL);
  }
  return ReadPixels(memory.get(), 0, 0, width, height);
}

int ChannelDistance(uint32_t a, uint32_t b) {
  int most = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const int d =
        std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
    most = d > most ? d : most;
  }
  return most;
}

size_t Mismatches(const Pixels& a, const Pixels& b) {
  if (a.width != b.width || a.height != b.height) return std::numeric_limits<size_t>::max();
  size_t count = 0;
  for (size_t i = 0; i < a.data.size(); ++i)
    if (ChannelDistance(a.data[i], b.data[i]) > kChannelTolerance) ++count;
  return count;
}

// The name of the standard icon these pixels show, or "" for none.
std::string MatchIcon(const Pixels& seen) {
  static const std::array<std::pair<const wchar_t*, const char*>, 4> kIcons = {{
      {IDI_HAND, "stop"},
      {IDI_QUESTION, "question"},
      {IDI_EXCLAMATION, "exclamation"},
      {IDI_ASTERISK, "information"},
  }};
  if (seen.data.empty()) return "";
  std::string best;
  size_t fewest = std::numeric_limits<size_t>::max();
  for (const auto& [id, name] : kIcons) {
    const HICON icon = LoadIconW(nullptr, id);
    if (icon == nullptr) continue;
    const size_t misses = Mismatches(seen, RenderIcon(icon, seen.width, seen.height, seen.data[0]));
    if (misses < fewest) {
      fewest = misses;
      best = name;
    }
  }
  return fewest <= seen.data.size() / kMismatchDivisor ? best : "";
}

// The dialog's file list: a list view somewhere below the dialog.
HWND FindListView(HWND dialog) {
  HWND found = nullptr;
  EnumChildWindows(
      dialog,
      [](HWND child, LPARAM param) -> BOOL {
        wchar_t name[64] = {};
        GetClassNameW(child, name, 64);
        if (std::wstring(name) != WC_LISTVIEWW) return TRUE;
        *reinterpret_cast<HWND*>(param) = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// Memory in another process, freed with the owner.
class RemoteBuffer {
 public:
  RemoteBuffer(HANDLE process, size_t size)
      : process_(process),
        address_(VirtualAllocEx(process, /*address=*/nullptr, size, MEM_COMMIT | MEM_RESERVE,
                                PAGE_READWRITE)) {}
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  ~RemoteBuffer() {
    if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  }
  char* get() const { return static_cast<char*>(address_); }

 private:
  HANDLE process_;
  void* address_;
};

}  // namespace

bool SaveScreenShot(const std::filesystem::path& file) {
  Pixels pixels = CaptureWholeScreen();
  const auto deadline = std::chrono::steady_clock::now() + milliseconds(3000);
  for (;;) {
    std::this_thread::sleep_for(milliseconds(150));
    Pixels again = CaptureWholeScreen();
    const bool stable = again == pixels;
    pixels = std::move(again);
    if (stable || std::chrono::steady_clock::now() > deadline) break;
  }
  const std::vector<char> rows = BmpRows(pixels);
  BITMAPINFOHEADER info{};
  info.biSize = sizeof(info);
  info.biWidth = pixels.width;
  info.biHeight = pixels.height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;  // "BM"
  header.bfOffBits = sizeof(header) + sizeof(info);
  header.bfSize = header.bfOffBits + static_cast<DWORD>(rows.size());
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&header), sizeof(header));
  out.write(reinterpret_cast<const char*>(&info), sizeof(info));
  out.write(rows.data(), static_cast<std::streamsize>(rows.size()));
  out.close();
  return static_cast<bool>(out);
}

std::string MessageBoxIcon(HWND box) {
  HWND control = GetDlgItem(box, kWineBoxIconControl);
  if (control == nullptr) control = GetDlgItem(box, kWindowsBoxIconControl);
  if (control == nullptr || !IsWindowVisible(control)) return "none";
  // The box may still be painting: look again until the icon is there.
  const auto deadline = std::chrono::steady_clock::now() + milliseconds(3000);
  for (;;) {
    RECT area{};
    GetWindowRect(control, &area);
    const std::string icon = MatchIcon(CaptureScreenArea(area));
    if (!icon.empty()) return icon;
    if (std::chrono::steady_clock::now() > deadline) return "unknown";
    std::this_thread::sleep_for(milliseconds(50));
  }
}

// A list view's item texts can only be read into the memory of the process
// that owns it: the request and its answer go through a buffer placed there.
std::optional<std::vector<std::wstring>> ListedNames(HWND open_dialog) {
  const HWND list = FindListView(open_dialog);
  if (list == nullptr) return std::nullopt;
  DWORD process_id = 0;
  GetWindowThreadProcessId(list, &process_id);
  UniqueKernelHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE,
                                         /*inherit=*/FALSE, process_id));
  if (!process) return std::nullopt;
  // An item request followed by room for the answer.
  RemoteBuffer remote(process.get(), sizeof(LVITEMW) + kNameCapacity * sizeof(wchar_t));
  if (remote.get() == nullptr) return std::nullopt;

  std::vector<std::wstring> names;
  const auto count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = i;
    item.pszText = reinterpret_cast<wchar_t*>(remote.get() + sizeof(LVITEMW));
    item.cchTextMax = static_cast<int>(kNameCapacity);
    if (!WriteProcessMemory(process.get(), remote.get(), &item, sizeof(item), nullptr))
      return std::nullopt;
    const auto length = static_cast<size_t>(SendMessageW(
        list, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote.get())));
    std::wstring name(length < kNameCapacity ? length : kNameCapacity - 1, L'\0');
    if (!ReadProcessMemory(process.get(), remote.get() + sizeof(LVITEMW), name.data(),
                           name.size() * sizeof(wchar_t), nullptr))
      return std::nullopt;
    names.push_back(std::move(name));
  }
  return names;
}

}  // namespace qeb::e2e
