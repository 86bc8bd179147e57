#pragma once
// Move-only owners of Win32 handles, one kind each. An owner holds either
// nothing or one valid handle: NULL and INVALID_HANDLE_VALUE both mean nothing.

#include "ui/win32/win32.h"

#include <utility>

namespace qeb::ui::win32 {

template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) noexcept : handle_(Valid(handle) ? handle : Handle{}) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  Handle get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != Handle{}; }

  // Gives the handle up without closing it (the system has already freed it).
  Handle release() noexcept { return std::exchange(handle_, Handle{}); }

  // Closes the handle held, ignoring a failure, and takes `handle`.
  void reset(Handle handle = Handle{}) noexcept {
    const Handle old = std::exchange(handle_, Valid(handle) ? handle : Handle{});
    if (old != Handle{}) Traits::Close(old);
  }

  // Closes the handle now. False when the system refused; GetLastError() then
  // tells why. The owner is empty afterwards either way.
  [[nodiscard]] bool Close() noexcept {
    const Handle old = release();
    return old == Handle{} || Traits::Close(old);
  }

 private:
  static bool Valid(Handle handle) noexcept {
    return handle != Handle{} && Traits::IsValid(handle);
  }

  Handle handle_{};
};

struct KernelHandleTraits {
  using Handle = HANDLE;
  static bool IsValid(HANDLE handle) { return handle != INVALID_HANDLE_VALUE; }
  static bool Close(HANDLE handle) { return CloseHandle(handle) != FALSE; }
};

struct WindowTraits {
  using Handle = HWND;
  static bool IsValid(HWND) { return true; }
  static bool Close(HWND window) { return DestroyWindow(window) != FALSE; }
};

template <typename GdiHandle>
struct GdiObjectTraits {
  using Handle = GdiHandle;
  static bool IsValid(GdiHandle) { return true; }
  static bool Close(GdiHandle object) { return DeleteObject(object) != FALSE; }
};

struct MemoryDcTraits {
  using Handle = HDC;
  static bool IsValid(HDC) { return true; }
  static bool Close(HDC dc) { return DeleteDC(dc) != FALSE; }
};

// Mutexes, files, processes.
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
// A top-level window the program created; child windows go with their parent.
using UniqueWindow = UniqueHandle<WindowTraits>;
using UniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
// A device context from CreateCompatibleDC.
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;

// Selects a GDI object into a device context for one scope and puts the
// previous one back, so that the object can be deleted afterwards.
class ScopedSelection {
 public:
  ScopedSelection(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(SelectObject(dc, object)) {}
  ScopedSelection(const ScopedSelection&) = delete;
  ScopedSelection& operator=(const ScopedSelection&) = delete;
  ~ScopedSelection() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace qeb::ui::win32
