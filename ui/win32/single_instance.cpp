#include "ui/win32/single_instance.h"

#include "base/win32_error.h"

namespace qeb::ui::win32 {

SingleInstance::SingleInstance(const std::wstring& mutex_name) {
  const HANDLE mutex =
      CreateMutexW(/*security=*/nullptr, /*initial_owner=*/FALSE, mutex_name.c_str());
  const DWORD error = GetLastError();
  mutex_.reset(mutex);
  if (mutex != nullptr) {
    another_copy_ = error == ERROR_ALREADY_EXISTS;
  } else if (error == ERROR_ACCESS_DENIED) {
    // The mutex exists but was made by a copy running under other rights.
    another_copy_ = true;
  } else {
    failure_ = ErrorFromCode(error);
  }
}

bool SingleInstance::AnotherCopyRunning() const {
  if (failure_) throw *failure_;
  return another_copy_;
}

}  // namespace qeb::ui::win32
