#pragma once
// The run's error traps see every failure as a RunError: the standard
// library's own failures are turned into one with their number and text, and
// any other failure into the program's internal error.

#include <new>
#include <system_error>

#include "base/run_error.h"

namespace qeb {

template <typename Body>
auto WithRunErrors(Body&& body) {
  try {
    return body();
  } catch (const RunError&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw OutOfMemoryError();
  } catch (const std::system_error& error) {
    throw RunError(error.code().value(), error.code().message());
  } catch (...) {
    throw ProgramError(kErrInternal);
  }
}

}  // namespace qeb
