#include "ui/win32/worker.h"

#include "ui/win32/win32.h"

#include <exception>

#include "base/win32_error.h"
#include "ui/win32/handles.h"

namespace qeb::ui::win32 {
namespace {

// The worker's outcome comes back as a value: done, or what it threw.
struct Job {
  const std::function<void()>& work;
  std::exception_ptr failure;
};

DWORD WINAPI RunJob(void* parameter) {
  Job& job = *static_cast<Job*>(parameter);
  try {
    job.work();
  } catch (...) {
    job.failure = std::current_exception();
  }
  return 0;
}

}  // namespace

void RunOnWorker(const std::function<void()>& work, const std::function<void()>& process_events) {
  Job job{work, nullptr};
  const UniqueKernelHandle thread(CreateThread(/*security=*/nullptr, /*stack_size=*/0, &RunJob,
                                               &job, /*flags=*/0, /*thread_id=*/nullptr));
  if (!thread) throw LastError();
  HANDLE handle = thread.get();
  // The job lives on this stack: nothing leaves before the thread has ended.
  for (;;) {
    const DWORD woken =
        MsgWaitForMultipleObjectsEx(1, &handle, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woken == WAIT_OBJECT_0) break;
    if (woken == WAIT_FAILED) {
      const RunError error = LastError();
      WaitForSingleObject(handle, INFINITE);
      throw error;
    }
    try {
      process_events();
    } catch (...) {  // NOLINT(bugprone-empty-catch): a window's failure is not the work's
    }
  }
  if (job.failure) std::rethrow_exception(job.failure);
}

}  // namespace qeb::ui::win32
