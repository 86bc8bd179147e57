#pragma once
// A run-time error as the operator is told of it: a number and a description.
// Platform failures keep the platform's own number and text; the program's own
// conditions use the numbers below.

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

// The program's own error conditions.
inline constexpr long kErrInvalidArgument = 5;
inline constexpr long kErrOverflow = 6;
inline constexpr long kErrPastEndOfFile = 62;

RunError InvalidArgumentError();
RunError OverflowError();
RunError PastEndOfFileError();

}  // namespace qeb
