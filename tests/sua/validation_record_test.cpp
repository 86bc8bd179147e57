#include "sua/validation_record.h"

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace qeb {
namespace {

using testing_sua::ValidationRecord;

struct DiskCountCase {
  std::string text;
  std::optional<int16_t> value;
};

void PrintTo(const DiskCountCase& c, std::ostream* out) {
  *out << '"' << c.text << '"';
}

class ParseDiskCountCases : public testing::TestWithParam<DiskCountCase> {};

TEST_P(ParseDiskCountCases, TakesTheTextAsTheSixteenBitConversionDoes) {
  EXPECT_EQ(ParseDiskCount(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, ParseDiskCountCases,
    testing::Values(DiskCountCase{"03", 3}, DiskCountCase{"12", 12}, DiskCountCase{"99", 99},
                    DiskCountCase{" 2", 2}, DiskCountCase{"2 ", 2}, DiskCountCase{"\t7", 7},
                    DiskCountCase{"-1", -1}, DiskCountCase{"+4", 4}, DiskCountCase{"5-", -5},
                    DiskCountCase{"5+", 5}, DiskCountCase{"0-", 0},
                    // Decimals round half to even.
                    DiskCountCase{".5", 0}, DiskCountCase{".6", 1}, DiskCountCase{".4", 0},
                    DiskCountCase{"1.", 1}, DiskCountCase{"1.5", 2}, DiskCountCase{"2.5", 2},
                    DiskCountCase{"2.51", 3}, DiskCountCase{"-2.5", -2}, DiskCountCase{"-3.5", -4},
                    DiskCountCase{" 12 ", 12}, DiskCountCase{"32767", 32767},
                    DiskCountCase{"-32768", -32768}));

INSTANTIATE_TEST_SUITE_P(
    NotNumbers, ParseDiskCountCases,
    testing::Values(DiskCountCase{"  ", std::nullopt}, DiskCountCase{"", std::nullopt},
                    DiskCountCase{"AB", std::nullopt}, DiskCountCase{"1A", std::nullopt},
                    DiskCountCase{"A1", std::nullopt}, DiskCountCase{"-", std::nullopt},
                    DiskCountCase{"+ ", std::nullopt}, DiskCountCase{" -", std::nullopt},
                    DiskCountCase{".", std::nullopt}, DiskCountCase{"-.", std::nullopt},
                    DiskCountCase{"--", std::nullopt}, DiskCountCase{"1 2", std::nullopt},
                    DiskCountCase{"-1-", std::nullopt}, DiskCountCase{"1,", std::nullopt},
                    DiskCountCase{"32768", std::nullopt}, DiskCountCase{"-32769", std::nullopt},
                    DiskCountCase{"99999999999999999999", std::nullopt},
                    DiskCountCase{std::string("1\0", 2), std::nullopt}));

ValidationFields StateWithOldFields() {
  ValidationFields state;
  state.RegValIdent = "old-ident";
  state.RegValCodigo = "old-cod";
  state.RegValDiscos = 9;
  state.RegValInicial = "old-ini";
  state.RegValClave = "old-clave";
  return state;
}

void ExpectOldFields(const ValidationFields& state) {
  EXPECT_EQ(state.RegValIdent, "old-ident");
  EXPECT_EQ(state.RegValCodigo, "old-cod");
  EXPECT_EQ(state.RegValDiscos, 9);
  EXPECT_EQ(state.RegValInicial, "old-ini");
  EXPECT_EQ(state.RegValClave, "old-clave");
}

TEST(ExtractValidationFields, TakesEachFieldFromItsPositions) {
  ValidationFields state = StateWithOldFields();
  ExtractValidationFields(
      ValidationRecord("A1234567890", "200307", "03", "SXYZ", "CLAVE0123456789ABC"), state);
  EXPECT_EQ(state.RegValIdent, "A1234567890");
  EXPECT_EQ(state.RegValCodigo, "200307");
  EXPECT_EQ(state.RegValDiscos, 3);
  EXPECT_EQ(state.RegValInicial, "SXYZ");
  EXPECT_EQ(state.RegValClave, "CLAVE0123456789ABC ");
  EXPECT_TRUE(state.RegValErroneo.empty());
}

TEST(ExtractValidationFields, TakesNothingFromATailThatIsNoValidationRecord) {
  const std::string record = ValidationRecord("A1234567890", "200307", "03", "SXYZ", "C");
  for (const std::string& tail : {record.substr(2) + "\r\n", "6" + record.substr(1),
                                  " 06" + record.substr(3), std::string(), std::string("0")}) {
    ValidationFields state = StateWithOldFields();
    ExtractValidationFields(tail, state);
    ExpectOldFields(state);
  }
}

TEST(ExtractValidationFields, BlanksOrLettersForTheDiskCountLeaveItButTakeTheRest) {
  for (const std::string discos : {"  ", "XX", "-"}) {
    ValidationFields state = StateWithOldFields();
    ExtractValidationFields(ValidationRecord("A1234567890", "200307", discos, "SXYZ", "K"), state);
    EXPECT_EQ(state.RegValDiscos, 9) << '"' << discos << '"';
    EXPECT_EQ(state.RegValIdent, "A1234567890");
    EXPECT_EQ(state.RegValInicial, "SXYZ");
    EXPECT_EQ(state.RegValClave.substr(0, 1), "K");
  }
}

TEST(ExtractValidationFields, AShortTailGivesShortOrEmptyFields) {
  const std::string record = ValidationRecord("A1234567890", "200307", "04", "SXYZ", "CLAVE");
  ValidationFields state = StateWithOldFields();
  ExtractValidationFields(record.substr(0, 30), state);
  EXPECT_EQ(state.RegValIdent, "A1234567890");
  EXPECT_EQ(state.RegValCodigo, "2003");
  EXPECT_EQ(state.RegValDiscos, 9);
  EXPECT_EQ(state.RegValInicial, "");
  EXPECT_EQ(state.RegValClave, "");

  state = StateWithOldFields();
  ExtractValidationFields(record.substr(0, 67), state);  // one digit of the count
  EXPECT_EQ(state.RegValDiscos, 0);

  state = StateWithOldFields();
  ExtractValidationFields("06", state);
  EXPECT_EQ(state.RegValIdent, "");
  EXPECT_EQ(state.RegValClave, "");
}

TEST(ExtractValidationFields, CodePageCharactersBecomeUtf8) {
  ValidationFields state;
  // 0xD1 is Ñ and 0x80 the euro sign in code page 1252.
  ExtractValidationFields(ValidationRecord("A\xD1"
                                           "234567890",
                                           "200307", "01", "\xD1XYZ",
                                           "\x80"
                                           "CLAVE"),
                          state);
  EXPECT_EQ(state.RegValIdent, "AÑ234567890");
  EXPECT_EQ(state.RegValInicial, "ÑXYZ");
  EXPECT_EQ(state.RegValClave.substr(0, 8), "€CLAVE");
}

// RegValInicial begins with S, RegValCodigo holds 0, 3, 0, 7 at its characters
// 3 to 6 and RegValIdent holds 3, 7, 9 at its characters 3, 7 and 9.
ValidationFields MatchingState() {
  ValidationFields state;
  state.RegValInicial = "SABC";
  state.RegValCodigo = "200307";
  state.RegValIdent = "AB3DEF7H9JK";
  return state;
}

struct NameCase {
  std::string name;
  bool matches;
};
void PrintTo(const NameCase& c, std::ostream* out) {
  *out << '"' << c.name << '"';
}

class NameRuleCases : public testing::TestWithParam<NameCase> {};

TEST_P(NameRuleCases, HoldsTheNameToTheRecord) {
  EXPECT_EQ(NameMatchesValidationRecord(GetParam().name, MatchingState()), GetParam().matches);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, NameRuleCases,
    testing::Values(NameCase{"S0307379.SUA", true}, NameCase{"s0307379.sua", true},
                    NameCase{"S0307379XSUA", true}, NameCase{"S0307379.SU0", true},
                    NameCase{"s0307379.Sua", true}, NameCase{"S0307379.SUB", false},
                    NameCase{"S0307379.SU1", false}, NameCase{"S0307379.SU", false},
                    NameCase{"T0307379.SUA", false},
                    // Each compared position, one at a time.
                    NameCase{"S1307379.SUA", false}, NameCase{"S0407379.SUA", false},
                    NameCase{"S0317379.SUA", false}, NameCase{"S0306379.SUA", false},
                    NameCase{"S0307479.SUA", false}, NameCase{"S0307389.SUA", false},
                    NameCase{"S0307378.SUA", false}, NameCase{"S0307379.XUA", false},
                    NameCase{"S0307379.SXA", false}, NameCase{"S0307379.SUa", true},
                    NameCase{"S0307379.su0", true}, NameCase{"S0307379.SUO", false},
                    // Lengths other than 12.
                    NameCase{"S0307379.SUAA", false}, NameCase{"S0307379SUA", false},
                    NameCase{"", false}, NameCase{" S0307379.SUA", false}));

TEST(NameRule, ElevenAndThirteenCharactersNeverMatchWhateverTheFields) {
  ValidationFields state = MatchingState();
  for (const std::string name : {"S0307379.SU", "S0307379.SUAX", "S0307379SUA", "S00307379.SUA"})
    EXPECT_FALSE(NameMatchesValidationRecord(name, state)) << name;
  // Fields that would fit the shifted names do not help.
  state.RegValCodigo = "000000";
  state.RegValIdent = "00000000000";
  EXPECT_FALSE(NameMatchesValidationRecord("S0000000.SU", state));
  EXPECT_FALSE(NameMatchesValidationRecord("S00000000.SUA", state));
}

TEST(NameRule, CodigoAndIdentAreComparedWithCase) {
  ValidationFields state = MatchingState();
  state.RegValCodigo = "20abcd";
  state.RegValIdent = "xxexxxfxgxx";
  EXPECT_TRUE(NameMatchesValidationRecord("Sabcdefg.SUA", state));
  EXPECT_FALSE(NameMatchesValidationRecord("SABcdefg.SUA", state));
  EXPECT_FALSE(NameMatchesValidationRecord("SabcdEfg.SUA", state));
}

TEST(NameRule, EmptyOrShortFieldsNeverMatch) {
  EXPECT_FALSE(NameMatchesValidationRecord("S0307379.SUA", ValidationFields{}));
  for (int field = 0; field < 3; ++field) {
    ValidationFields state = MatchingState();
    if (field == 0) state.RegValInicial = "";
    if (field == 1) state.RegValCodigo = "20030";
    if (field == 2) state.RegValIdent = "AB3DEF7H";
    EXPECT_FALSE(NameMatchesValidationRecord("S0307379.SUA", state)) << field;
  }
}

TEST(NameRule, CountsAndFoldsCharactersBeyondAscii) {
  ValidationFields state = MatchingState();
  state.RegValInicial = "ÑXYZ";
  EXPECT_TRUE(NameMatchesValidationRecord("ñ0307379.SUA", state));  // 13 bytes, 12 characters
  EXPECT_TRUE(NameMatchesValidationRecord("Ñ0307379ÉSUA", state));
  EXPECT_FALSE(NameMatchesValidationRecord("N0307379.SUA", state));
}

}  // namespace
}  // namespace qeb
