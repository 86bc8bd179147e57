#pragma once
// The Spanish texts for the packing component's error codes.

#include <cstdint>
#include <string>

namespace qeb::zip {

inline constexpr const char* kUncataloguedZipError = "Error en XCEEDZIP no catalogado";

// The code's text, or the uncatalogued text for a code not in the table.
std::string ZipErrorText(int32_t codigo);

}  // namespace qeb::zip
