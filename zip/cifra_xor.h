#pragma once
// The scrambler that turns RegValClave into the archive entry's comment.

#include <string>

namespace qeb::zip {

// The fixed key of the entry comment.
inline constexpr const char* kLlaveComentario = "RXBVNQTA73KL904H258";

// Each character of `valor` combined by exclusive-or with the key's character
// at the same position (the key repeating); positions where that gives 0, 1
// or 34 keep the value's own character. Throws RunError: overflow for lengths
// past 32767, invalid argument for an empty key with a non-empty value.
std::string FGCifraXor(const std::string& valor, const std::string& llave);

}  // namespace qeb::zip
