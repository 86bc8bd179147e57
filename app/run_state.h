#pragma once
// The run state: one object per process, owned by the run and handed to
// whoever writes it. Texts start empty and numbers at 0. The validation
// fields are those the SUA file readers write.

#include <cstdint>
#include <string>

#include "sua/validation_record.h"

namespace qeb {

struct RunState : ValidationFields {
  std::string RutaApp;    // the program's folder followed by a separator
  std::string TituloApp;  // "Cuotas IMSS (SUA)"
  int16_t DiscosLeidos = 0;
};

}  // namespace qeb
