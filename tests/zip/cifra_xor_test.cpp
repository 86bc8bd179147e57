#include "zip/cifra_xor.h"

#include <gtest/gtest.h>

#include "base/run_error.h"

namespace qeb::zip {
namespace {

long ErrorNumberOf(const std::string& valor, const std::string& llave) {
  try {
    FGCifraXor(valor, llave);
  } catch (const RunError& error) {
    return error.number();
  }
  return 0;
}

TEST(FGCifraXor, ScramblesAClaveWithTheFixedKey) {
  // Worked out by hand: '0' ^ 'R' = 'b', '8' ^ '7' = 0x0F, ...
  EXPECT_EQ(FGCifraXor("0123456789ABCDEFGHI", kLlaveComentario),
            std::string("bipezdbv\x0f\n\n\x0eztq\x0eu}q"));
}

TEST(FGCifraXor, EmptyValueGivesEmptyTextWithoutReadingTheKey) {
  EXPECT_EQ(FGCifraXor("", ""), "");
  EXPECT_EQ(FGCifraXor("", kLlaveComentario), "");
}

struct KeptCase {
  std::string valor;
  std::string llave;
  std::string expected;
  friend void PrintTo(const KeptCase& c, std::ostream* out) {
    *out << testing::PrintToString(c.valor) << " with " << testing::PrintToString(c.llave);
  }
};

class FGCifraXorPositions : public testing::TestWithParam<KeptCase> {};

TEST_P(FGCifraXorPositions, KeepOwnCharacterOnlyFor0And1And34) {
  EXPECT_EQ(FGCifraXor(GetParam().valor, GetParam().llave), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, FGCifraXorPositions,
    testing::Values(KeptCase{"R", "R", "R"},                   // x = 0
                    KeptCase{"S", "R", "S"},                   // x = 1
                    KeptCase{"p", "R", "p"},                   // x = 34, the double quote
                    KeptCase{"P", "R", std::string(1, 2)},     // x = 2 is combined
                    KeptCase{"@", "R", std::string(1, 0x12)},  // control characters too
                    KeptCase{"q", "R", "#"},                   // x = 35
                    // Codes above 127 are single-byte codes, never negative.
                    KeptCase{"\xF1", "R", "\xA3"}, KeptCase{"\xD2", "\xD3", "\xD2"},
                    // The key starts over past its end.
                    KeptCase{"AAAAA", "AB",
                             std::string("A\x03"
                                         "A\x03"
                                         "A")}));

TEST(FGCifraXor, ResultHasTheValuesLengthWhateverTheKeysLength) {
  for (const std::string& llave :
       std::vector<std::string>{"K", "RX", kLlaveComentario, std::string(500, 'z')}) {
    EXPECT_EQ(FGCifraXor("0123456789ABCDEFGHI", llave).size(), 19u) << llave;
    EXPECT_EQ(FGCifraXor(std::string(1000, 'a'), llave).size(), 1000u) << llave;
  }
}

TEST(FGCifraXor, AppliedTwiceGivesTheTextBackWhenItHoldsNo0Or1Or34) {
  std::string all;
  for (int code = 2; code < 256; ++code)
    if (code != 34) all += static_cast<char>(code);
  for (const std::string& valor : {std::string("0123456789ABCDEFGHI"), all})
    EXPECT_EQ(FGCifraXor(FGCifraXor(valor, kLlaveComentario), kLlaveComentario), valor);
}

TEST(FGCifraXor, NonEmptyValueWithEmptyKeyIsAnInvalidArgument) {
  EXPECT_EQ(ErrorNumberOf("A", ""), kErrInvalidArgument);
  EXPECT_EQ(ErrorNumberOf(std::string(32766, 'A'), ""), kErrInvalidArgument);
}

TEST(FGCifraXor, LengthsPastTheCounterOverflow) {
  EXPECT_EQ(FGCifraXor(std::string(32766, 'A'), "B").size(), 32766u);
  EXPECT_EQ(ErrorNumberOf(std::string(32767, 'A'), "B"), kErrOverflow);
  EXPECT_EQ(ErrorNumberOf(std::string(40000, 'A'), "B"), kErrOverflow);
  EXPECT_EQ(ErrorNumberOf(std::string(40000, 'A'), ""), kErrOverflow);
  EXPECT_EQ(FGCifraXor("A", std::string(32767, 'B')), "\x03");
  EXPECT_EQ(ErrorNumberOf("A", std::string(32768, 'B')), kErrOverflow);
  EXPECT_EQ(ErrorNumberOf("", std::string(32768, 'B')), kErrOverflow);
}

}  // namespace
}  // namespace qeb::zip
