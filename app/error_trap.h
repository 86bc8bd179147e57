#pragma once
// The run's error traps see every failure as a RunError: the standard
// library's own failures are turned into one with their number and text.

#include <new>
#include <system_error>

#include "sua/run_error.h"

namespace qeb {

inline constexpr long kErrOutOfMemory = 7;

template <typename Body>
auto WithRunErrors(Body&& body) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    throw RunError(kErrOutOfMemory, "Memoria insuficiente");
  } catch (const std::system_error& error) {
    throw RunError(error.code().value(), error.code().message());
  }
}

}  // namespace qeb
