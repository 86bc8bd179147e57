#pragma once
// Splitting paths into name and folder, and telling whether a file is there.

#include <string>

namespace qeb {

// Splits at the last `separator` that has at least one character after it;
// the folder keeps its separator, so folder + name gives the path back. A path
// longer than 32767 characters is an overflow error.
void SplitPath(const std::string& ruta, char separator, std::string& nombre,
               std::string& directorio);
// SplitPath with the platform's separator.
void FGSeparaRuta(const std::string& ruta, std::string& nombre, std::string& directorio);

// True when the file opens for reading, or failing that when its size is known
// and not 0. Never fails.
bool FGExisteArch(const std::string& ruta) noexcept;

}  // namespace qeb
