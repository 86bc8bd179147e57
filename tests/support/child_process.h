#pragma once
// Real system failures for tests, met in a forked child so that the test
// runner itself stays untouched (Linux only).

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qeb::test_support {

// Runs `body` after `setup` in a forked child; answers what `body` returned,
// or how the child ended when it did not end normally.
std::string RunInChild(const std::function<void()>& setup,
                       const std::function<std::string()>& body);

// For a child's setup. Files cannot grow past `bytes`: a write there fails
// with EFBIG, as on a full disk, instead of ending the process.
void LimitFileSize(size_t bytes);
// For a child's setup. Counts the calls of the system calls `numbers` from
// here on, by every thread started later too, and makes call number `nth`
// (and, when `persist`, every later one) fail with `error` instead of being
// made. Answers the count so far.
std::shared_ptr<const std::atomic<long>> FailSystemCall(const std::vector<long>& numbers, long nth,
                                                        int error, bool persist = false);

}  // namespace qeb::test_support
