#include "zip/cifra_xor.h"

#include "base/run_error.h"

namespace qeb::zip {
namespace {

// Lengths and the position counter are 16-bit signed integers.
constexpr size_t kMaxLength = 32767;

// Codes whose combined character would be unusable in a comment: NUL, 1 and
// the double quote keep the value's own character.
bool KeepsOwnCharacter(unsigned x) {
  return x == 0 || x == 1 || x == 34;
}

}  // namespace

std::string FGCifraXor(const std::string& valor, const std::string& llave) {
  if (valor.size() > kMaxLength || llave.size() > kMaxLength) throw OverflowError();
  if (valor.empty()) return {};
  if (llave.empty()) throw InvalidArgumentError();
  // The counter would step past 32767 after the last character.
  if (valor.size() == kMaxLength) throw OverflowError();
  std::string result;
  result.reserve(valor.size());
  for (size_t i = 0; i < valor.size(); ++i) {
    const auto value = static_cast<unsigned char>(valor[i]);
    const auto key = static_cast<unsigned char>(llave[i % llave.size()]);
    const unsigned x = value ^ key;
    result += KeepsOwnCharacter(x) ? valor[i] : static_cast<char>(x);
  }
  return result;
}

}  // namespace qeb::zip
