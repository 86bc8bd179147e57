#pragma once
// The test for an earlier running copy: a named mutex in the session's
// namespace, created at start-up and held for the life of the process.

#include "ui/win32/win32.h"

#include <optional>
#include <string>

#include "base/run_error.h"
#include "ui/win32/handles.h"

namespace qeb::ui::win32 {

// The mutex name of QEB_SUA.exe: one running copy per logon session.
inline constexpr const wchar_t* kSingleInstanceMutex = L"Local\\QEB_SUA.Concatenacion";

class SingleInstance {
 public:
  // Never throws: a failure is kept and reported by AnotherCopyRunning().
  explicit SingleInstance(const std::wstring& mutex_name);

  // True when a copy holding the same name was running when this one started.
  // Throws the RunError of a mutex that could not be had at all.
  bool AnotherCopyRunning() const;

 private:
  UniqueKernelHandle mutex_;
  bool another_copy_ = false;
  std::optional<RunError> failure_;
};

}  // namespace qeb::ui::win32
