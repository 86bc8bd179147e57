#include "zip/cifra_xor.h"

#include <gtest/gtest.h>

#include "base/run_error.h"

namespace qeb::zip {
namespace {

// Each row: the value, the key, and the comment or the error number.
struct Case {
  std::string valor;
  std::string llave;
  std::string comment;
  long error = 0;
};

TEST(FGCifraXor, ScramblesEachCodeOrKeepsItAndFailsPastTheLimits) {
  const Case kCases[] = {
      // Worked out by hand: '0' ^ 'R' = 'b', '8' ^ '7' = 0x0F, ...
      {"0123456789ABCDEFGHI", kLlaveComentario, "bipezdbv\x0f\n\n\x0eztq\x0eu}q"},
      {"", "", ""},  // the key is not read
      {"R", "R", "R"},
      {"S", "R", "S"},
      {"p", "R", "p"},  // x = 0, 1 and 34 keep the value's own character
      {"P", "R", "\x02"},
      {"@", "R", "\x12"},
      {"q", "R", "#"},
      {"\xF1", "R", "\xA3"},  // codes above 127 are never negative
      {"\xD2", "\xD3", "\xD2"},
      {"AAAAA", "AB",
       "A\x03"
       "A\x03"
       "A"},  // the key starts over
      {std::string(1000, 'a'), std::string(500, 'z'), std::string(1000, '\x1B')},
      {std::string(32766, 'A'), "B", std::string(32766, '\x03')},
      {"A", std::string(32767, 'B'), "\x03"},
      {"A", "", "", kErrInvalidArgument},
      {std::string(32766, 'A'), "", "", kErrInvalidArgument},
      {std::string(32767, 'A'), "B", "", kErrOverflow},
      {std::string(40000, 'A'), "", "", kErrOverflow},
      {"A", std::string(32768, 'B'), "", kErrOverflow},
      {"", std::string(32768, 'B'), "", kErrOverflow},
  };
  for (const Case& c : kCases) {
    long error = 0;
    std::string comment;
    try {
      comment = FGCifraXor(c.valor, c.llave);
    } catch (const RunError& e) {
      error = e.number();
    }
    EXPECT_EQ(comment, c.comment) << c.valor.substr(0, 20) << " with " << c.llave.substr(0, 20);
    EXPECT_EQ(error, c.error) << c.valor.substr(0, 20) << " with " << c.llave.substr(0, 20);
  }
}

// Every code but 0, 1 and 34 comes back when scrambled twice.
TEST(FGCifraXor, AppliedTwiceGivesTheTextBack) {
  std::string all;
  for (int code = 2; code < 256; ++code)
    if (code != 34) all += static_cast<char>(code);
  EXPECT_EQ(FGCifraXor(FGCifraXor(all, kLlaveComentario), kLlaveComentario), all);
}

}  // namespace
}  // namespace qeb::zip
