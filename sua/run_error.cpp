#include "sua/run_error.h"

namespace qeb {

RunError InvalidArgumentError() {
  return {kErrInvalidArgument, "Llamada a procedimiento o argumento no válidos"};
}
RunError OverflowError() {
  return {kErrOverflow, "Desbordamiento"};
}
RunError PastEndOfFileError() {
  return {kErrPastEndOfFile, "La entrada pasó del final del archivo"};
}

}  // namespace qeb
