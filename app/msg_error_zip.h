#pragma once
// The packing component's error codes, told to the operator in words.

#include <cstdint>

#include "ui/window_system.h"

namespace qeb {

// Beeps, then shows the code's text with the stop icon, OK and the title
// "Q.E.B. ( Compresión de SUA's ) V1.0".
void FGMsgErrorZip(ui::WindowSystem& ws, int16_t codigo);

}  // namespace qeb
