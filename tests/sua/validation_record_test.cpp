#include "sua/validation_record.h"

#include <gtest/gtest.h>

#include "fixture.h"

namespace qeb {
namespace {

using namespace testing_sua;

// Blanks around, one sign before or after, decimals rounded half to even;
// anything else, or a value beyond 16 bits, is no number (-99 here).
TEST(ParseDiskCount, TakesTheTextAsTheSixteenBitConversionDoes) {
  // clang-format off
  const std::pair<std::string, int> rows[] = {
      {"03", 3}, {"12", 12}, {"99", 99}, {" 2", 2}, {"2 ", 2}, {"\t7", 7}, {"\n3", 3}, {"3\r", 3},
      {"\v1", 1}, {"\f1", 1}, {"-1", -1}, {"+4", 4},
      {"5-", -5}, {"5+", 5}, {"0-", 0}, {".5", 0}, {".6", 1}, {".4", 0}, {"1.", 1}, {"1.5", 2},
      {"2.5", 2}, {"2.51", 3}, {"-2.5", -2}, {"-3.5", -4}, {" 12 ", 12}, {"32767", 32767},
      {"-32768", -32768}, {"  ", -99}, {"", -99}, {"AB", -99}, {"1A", -99}, {"A1", -99},
      {"-", -99}, {"+ ", -99}, {" -", -99}, {".", -99}, {"-.", -99}, {"--", -99}, {"1 2", -99},
      {"-1-", -99}, {"1,", -99}, {"32768", -99}, {"-32769", -99}, {"99999999999999999999", -99},
      {std::string("1\0", 2), -99}, {"2.5 ", 2}, {"4.0-", -4}, {"1.A", -99}};
  // clang-format on
  for (const auto& [text, value] : rows)
    EXPECT_EQ(ParseDiskCount(text).value_or(-99), value) << '"' << text << '"';
}

// The fields after "ident|codigo|discos|inicial|clave|erroneo" were old ones.
// The count is read from its two characters alone: the "-" that follows it
// here belongs to RegValInicial.
TEST(ExtractValidationFields, TakesEachFieldOfARecordFromItsPositions) {
  const std::string r =
      ValidationRecord("A1234567890", "200307", "03", "-XYZ", "CLAVE0123456789ABC");
  const auto with = [](const std::string& discos) {
    return ValidationRecord("A1234567890", "200307", discos, "SXYZ", "K");
  };
  const std::string k = "A1234567890|200307|9|SXYZ|K" + std::string(18, ' ') + "|old";
  const std::string old = "old-ident|old-cod|9|old-ini|old-clave|old";
  // clang-format off
  const std::pair<std::string, std::string> rows[] = {
      {r, "A1234567890|200307|3|-XYZ|CLAVE0123456789ABC |old"}, {r.substr(2) + "\r\n", old},
      {"6" + r.substr(1), old}, {" 06" + r.substr(3), old}, {"", old}, {"0", old},
      {with("  "), k}, {with("XX"), k}, {with("-"), k}, {r.substr(0, 30), "A1234567890|2003|9|||old"},
      {r.substr(0, 67), "A1234567890|200307|0|||old"}, {"06", "||9|||old"},
      // 0xD1 is Ñ and 0x80 the euro sign in code page 1252.
      {ValidationRecord("A\xD1" "234567890", "200307", "01", "\xD1XYZ", "\x80" "CLAVE"),
       "AÑ234567890|200307|1|ÑXYZ|€CLAVE" + std::string(13, ' ') + "|old"}};
  // clang-format on
  for (const auto& [tail, fields] : rows) {
    ValidationFields state = OldFields();
    ExtractValidationFields(tail, state);
    EXPECT_EQ(Text(state), fields) << tail.substr(0, 20);
  }
}

// RegValInicial begins with the first letter (either case), RegValCodigo
// holds the next four at its characters 3-6 and RegValIdent the next three at
// 3, 7 and 9; then any character, "SU" and "A" (either case) or "0".
TEST(NameMatchesValidationRecord, HoldsTheNameOfTwelveCharactersToTheRecord) {
  // clang-format off
  const struct Row {
    std::string name;
    bool matches;
    std::string inicial = "SABC", codigo = "200307", ident = "AB3DEF7H9JK";
  } rows[] = {
      {"S0307379.SUA", true}, {"s0307379.sua", true}, {"S0307379XSUA", true}, {"S0307379.SU0", true},
      {"s0307379.Sua", true}, {"S0307379.SUa", true}, {"S0307379.su0", true}, {"S0307379.SUB", false},
      {"S0307379.SU1", false}, {"S0307379.SU", false}, {"T0307379.SUA", false}, {"S1307379.SUA", false},
      {"S0407379.SUA", false}, {"S0317379.SUA", false}, {"S0306379.SUA", false}, {"S0307479.SUA", false},
      {"S0307389.SUA", false}, {"S0307378.SUA", false}, {"S0307379.XUA", false}, {"S0307379.SXA", false},
      {"S0307379.SUO", false}, {"S0307379.SUAA", false}, {"S0307379SUA", false}, {"", false},
      {" S0307379.SUA", false}, {"S00307379.SUA", false},
      {"S0000000.SU", false, "S", "000000", "00000000000"}, {"S00000000.SUA", false, "S", "000000", "00000000000"},
      {"Sabcdefg.SUA", true, "S", "20abcd", "xxexxxfxgxx"}, {"SABcdefg.SUA", false, "S", "20abcd", "xxexxxfxgxx"},
      {"SabcdEfg.SUA", false, "S", "20abcd", "xxexxxfxgxx"},
      {"S0307379.SUA", false, "", "", ""}, {"S0307379.SUA", false, ""},
      {"S0307379.SUA", false, "S", "20030"}, {"S0307379.SUA", false, "S", "200307", "AB3DEF7H"},
      {"ñ0307379.SUA", true, "ÑXYZ"},  // 13 bytes, 12 characters
      {"Ñ0307379ÉSUA", true, "ÑXYZ"}, {"N0307379.SUA", false, "ÑXYZ"}};
  // clang-format on
  for (const Row& row : rows) {
    ValidationFields fields;
    fields.RegValInicial = row.inicial, fields.RegValCodigo = row.codigo,
    fields.RegValIdent = row.ident;
    EXPECT_EQ(NameMatchesValidationRecord(row.name, fields), row.matches)
        << row.name << " " << row.inicial << " " << row.codigo << " " << row.ident;
  }
}

}  // namespace
}  // namespace qeb
