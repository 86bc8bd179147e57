#include "base/run_error.h"

#include <array>

namespace qeb {
namespace {

struct ProgramErrorText {
  long number;
  const char* text;
};

constexpr std::array<ProgramErrorText, 7> kProgramErrors{{
    {kErrInvalidArgument, "Llamada a procedimiento o argumento no válidos"},
    {kErrOverflow, "Desbordamiento"},
    {kErrOutOfMemory, "Memoria insuficiente"},
    {kErrInternal, "Error interno"},
    {kErrPastEndOfFile, "La entrada pasó del final del archivo"},
    {kErrObjectUnloaded, "Se descargó el objeto"},
    {kErrDialogCancelled, "Se seleccionó Cancelar."},
}};

}  // namespace

RunError ProgramError(long number) {
  for (const ProgramErrorText& entry : kProgramErrors)
    if (entry.number == number) return {number, entry.text};
  return {number, "Error " + std::to_string(number)};
}

}  // namespace qeb
