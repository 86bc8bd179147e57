#pragma once
// Message boxes of a fixed set of kinds under the title the program gives.

#include <cstdint>
#include <string>

#include "ui/window_system.h"

namespace qeb::ui {

// Beeps, shows `texto` under `titulo` in a box of the kind `tipo` ("I", "E",
// "YN", "YNC", "OC"; anything else is an information note) and returns the
// answer (6/7/2 for "YN"/"YNC", 1/2 for "OC", 0 for the kinds that only
// inform). A window-system failure passes to the caller.
int16_t FGMensaje(WindowSystem& ws, const std::string& titulo, const std::string& tipo,
                  const std::string& texto);

}  // namespace qeb::ui
