#pragma once
// How an operation on SUA files ended: done; failed without a word of its own
// (a missing file, a piece that cannot be read: the caller says what went
// wrong in its own message); or failed with a file-system error that the
// operator must be told of.

#include <optional>
#include <utility>

#include "base/run_error.h"

namespace qeb {

class FileOutcome {
 public:
  static FileOutcome Done() { return FileOutcome(true, std::nullopt); }
  static FileOutcome FailedSilently() { return FileOutcome(false, std::nullopt); }
  static FileOutcome Failed(RunError error) { return FileOutcome(false, std::move(error)); }

  bool done() const { return done_; }
  // The error to report; empty when done or failed silently.
  const std::optional<RunError>& error() const { return error_; }

 private:
  FileOutcome(bool done, std::optional<RunError> error) : done_(done), error_(std::move(error)) {}
  bool done_;
  std::optional<RunError> error_;
};

}  // namespace qeb
