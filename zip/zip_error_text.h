#pragma once
// The Spanish texts for the packing component's error codes.

#include <cstdint>
#include <string>

#include "ui/window_system.h"

namespace qeb::zip {

inline constexpr const char* kUncataloguedZipError = "Error en XCEEDZIP no catalogado";

// The code's text, or the uncatalogued text for a code not in the table.
std::string ZipErrorText(int32_t codigo);

// Beeps, then shows the code's text with the stop icon, OK and the title
// "Q.E.B. ( Compresión de SUA's ) V1.0".
void FGMsgErrorZip(ui::WindowSystem& ws, int16_t codigo);

}  // namespace qeb::zip
