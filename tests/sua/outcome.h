#pragma once
// An operation's answer and the errors it handed back, as one comparable text.

#include <string>

#include "sua/file_outcome.h"

namespace qeb::testing_sua {

// Collects the errors of every outcome it keeps, one "number description" a line.
class Outcomes {
 public:
  bool Keep(const FileOutcome& outcome) {
    if (outcome.error()) reported_ += outcome.error()->OperatorText() + "\n";
    return outcome.done();
  }
  const std::string& reported() const { return reported_; }

 private:
  std::string reported_;
};

// "true" or "false", a line break, then the errors reported.
inline std::string Outcome(bool answer, const Outcomes& outcomes) {
  return std::string(answer ? "true" : "false") + "\n" + outcomes.reported();
}

}  // namespace qeb::testing_sua
