#pragma once
// A run-time error as the operator is told of it: a number and a description.
// Platform failures keep the platform's own number and text; the program's own
// conditions take their number and text from one table.

#include <stdexcept>
#include <string>

namespace qeb {

class RunError : public std::runtime_error {
 public:
  RunError(long number, const std::string& description)
      : std::runtime_error(description), number_(number) {}

  long number() const { return number_; }
  std::string description() const { return what(); }
  // "number, blank, description", the form every error report takes.
  std::string OperatorText() const { return std::to_string(number_) + " " + description(); }

 private:
  long number_;
};

// The program's own error conditions, with the numbers the operator reads.
inline constexpr long kErrInvalidArgument = 5;
inline constexpr long kErrOverflow = 6;
inline constexpr long kErrOutOfMemory = 7;
inline constexpr long kErrInternal = 51;  // a failure the program has no words of its own for
inline constexpr long kErrPastEndOfFile = 62;
inline constexpr long kErrObjectUnloaded = 364;     // a window that is no longer loaded
inline constexpr long kErrDialogCancelled = 32755;  // the Open dialog's cancellation

// The error of that number with its text from the table; a number outside the
// table keeps a generic text.
RunError ProgramError(long number);

inline RunError InvalidArgumentError() {
  return ProgramError(kErrInvalidArgument);
}
inline RunError OverflowError() {
  return ProgramError(kErrOverflow);
}
inline RunError OutOfMemoryError() {
  return ProgramError(kErrOutOfMemory);
}
inline RunError PastEndOfFileError() {
  return ProgramError(kErrPastEndOfFile);
}

}  // namespace qeb
