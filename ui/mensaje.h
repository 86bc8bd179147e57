#pragma once
// Message boxes of a fixed set of kinds under the application title.

#include <cstdint>
#include <string>

#include "ui/window_system.h"

namespace qeb::ui {

// "Q.E.B. ( " + middle + " ) V" + version.
std::string ApplicationTitle(const std::string& middle, const std::string& version);
inline constexpr const char* kConcatenacion = "Concatenación de SUA's";
inline constexpr const char* kCompresion = "Compresión de SUA's";

// Beeps, shows `texto` in a box of the kind `tipo` ("I", "E", "YN", "YNC",
// "OC"; anything else is an information note) and returns the answer
// (6/7/2 for "YN"/"YNC", 1/2 for "OC", 0 for the kinds that only inform).
// A window-system failure passes to the caller.
int16_t FGMensaje(WindowSystem& ws, const std::string& tipo, const std::string& texto);

}  // namespace qeb::ui
