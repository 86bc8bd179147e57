#include "sua/paths.h"

#include <utility>

#include "base/code_page.h"
#include "base/file_system.h"
#include "base/path_separator.h"
#include "base/run_error.h"

namespace qeb {
namespace {

// Positions in a path are counted with a 16-bit signed counter.
constexpr size_t kLongestPath = 32767;

}  // namespace

void SplitPath(const std::string& ruta, char separator, std::string& nombre,
               std::string& directorio) {
  if (ruta.size() > kLongestPath && Utf8ToUtf16(ruta).size() > kLongestPath) throw OverflowError();
  // The separator is ASCII, so it never occurs inside a multi-byte character
  // and byte positions split the text at character boundaries. The last
  // character is never taken as the separator.
  std::string name = ruta;
  std::string folder;
  for (size_t i = ruta.size(); i >= 2; --i) {
    if (ruta[i - 2] == separator) {
      name = ruta.substr(i - 1);
      folder = ruta.substr(0, i - 1);
      break;
    }
  }
  // Assigned last: the outputs may be the very string being split.
  nombre = std::move(name);
  directorio = std::move(folder);
}

void FGSeparaRuta(const std::string& ruta, std::string& nombre, std::string& directorio) {
  SplitPath(ruta, kPathSeparator, nombre, directorio);
}

bool FGExisteArch(const std::string& ruta) noexcept {
  try {
    // Only a regular file counts: a folder is no file, and opening a pipe or
    // device could wait for ever.
    if (!fs::RegularFileExists(ruta)) return false;
    // The file opened for the test is closed at once, with its owner.
    if (fs::File::TryOpen(ruta, fs::File::Mode::kRead)) return true;
    // A file that cannot be opened (held by another program, no permission)
    // still counts as present when it holds data.
    const std::optional<uint64_t> size = fs::FileSize(ruta);
    return size.has_value() && *size != 0;
  } catch (...) {
    return false;
  }
}

}  // namespace qeb
