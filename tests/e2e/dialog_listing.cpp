#include "tests/e2e/dialog_listing.h"

#include <commctrl.h>

#include <cstddef>

#include "ui/win32/handles.h"

namespace qeb::e2e {
namespace {

using qeb::ui::win32::UniqueKernelHandle;

constexpr size_t kNameCapacity = MAX_PATH;

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
