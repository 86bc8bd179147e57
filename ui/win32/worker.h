#pragma once
// Work that waits on a drive, off the window thread: the window thread goes
// on processing its windows' messages until the work has ended.

#include <functional>

namespace qeb::ui::win32 {

// Runs `work` on a thread of its own and calls `process_events` whenever
// messages arrive for the calling thread, until the work has ended; then
// throws what `work` threw. Throws RunError when no thread can be started.
void RunOnWorker(const std::function<void()>& work, const std::function<void()>& process_events);

}  // namespace qeb::ui::win32
