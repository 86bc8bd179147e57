#include "temp_folder.h"

namespace qeb::testing_sua {

std::string Filler(size_t length, uint32_t seed) {
  std::string text(length, ' ');
  uint32_t state = seed * 2654435761u + 1;
  for (char& c : text) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>('0' + (state >> 16) % 75);  // '0'..'z'
  }
  return text;
}

std::string ValidationRecord(const std::string& ident, const std::string& codigo,
                             const std::string& discos, const std::string& inicial,
                             const std::string& clave) {
  std::string record(295, ' ');
  const auto put = [&](size_t position, const std::string& value) {
    record.replace(position - 1, value.size(), value);
  };
  put(1, "06");
  put(3, ident);
  put(27, codigo);
  put(67, discos);
  put(69, inicial);
  put(121, clave);
  return record.substr(0, 295);
}

}  // namespace qeb::testing_sua
