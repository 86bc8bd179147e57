#include "base/code_page.h"

#include <gtest/gtest.h>

#include <set>
#include <string_view>
#include <utility>

#include "base/utf8.h"

namespace qeb {
namespace {

TEST(CodePage, EveryByteIsOneCharacterOfItsCodePage) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::u16string cp1252 = Utf8ToUtf16(Cp1252ToUtf8(all)),
                       cp437 = Utf8ToUtf16(Cp437ToUtf8(all));
  ASSERT_EQ(cp1252.size(), 256u);
  ASSERT_EQ(cp437.size(), 256u);
  EXPECT_EQ(std::set<char16_t>(cp1252.begin(), cp1252.end()).size(), 256u);
  EXPECT_EQ(std::set<char16_t>(cp437.begin(), cp437.end()).size(), 256u);
  // 0x81 is undefined in 1252 and keeps its value.
  const std::u16string in1252 = u"A€\x81ŠŸ\u00A0Ñÿ", in437 = u"AÇüÅÑ▒ßÿ\u00A0";
  const int bytes1252[] = {0x41, 0x80, 0x81, 0x8A, 0x9F, 0xA0, 0xD1, 0xFF};
  const int bytes437[] = {0x41, 0x80, 0x81, 0x8F, 0xA5, 0xB1, 0xE1, 0x98, 0xFF};
  for (size_t i = 0; i < in1252.size(); ++i) EXPECT_EQ(cp1252[bytes1252[i]], in1252[i]) << i;
  for (size_t i = 0; i < in437.size(); ++i) EXPECT_EQ(cp437[bytes437[i]], in437[i]) << i;
  EXPECT_EQ(Cp1252ToUtf8("A\xF1o"), "Año");
  EXPECT_EQ(Cp437ToUtf8("A\xA4o"), "Año");
  // Back to 1252: characters it lacks become '?', broken bytes are themselves again.
  EXPECT_EQ(Utf8ToCp1252("A€Ÿ\u00A0Ñÿ\x81☺\xFF"), "A\x80\x9F\xA0\xD1\xFF\x81?\xFF");
}

// Each length of encoding, at its first and last code point.
TEST(AppendUtf8, EncodesInAsFewBytesAsTheCodeNeeds) {
  std::string out;
  for (const char32_t code : {0x7F, 0x80, 0x7FF, 0x800, 0xFFFF}) AppendUtf8(code, out);
  EXPECT_EQ(out, "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF");
}

// Broken bytes each become a lone low surrogate of their own value.
TEST(Utf8ToUtf16, DecodesAndKeepsBrokenBytesApart) {
  // clang-format off
  const std::pair<std::string, std::u16string> rows[] = {
      {"Año €", u"Año €"}, {"\xF0\x9F\x98\x80", u"\U0001F600"}, {"a\200b", {u'a', 0xDC80, u'b'}},
      {"\xC3", {0xDCC3}}, {"\xC0\xAF", {0xDCC0, 0xDCAF}}, {"\xFE\xFF", {0xDCFE, 0xDCFF}},
      {"\xED\xBF\xBF", {0xDCED, 0xDCBF, 0xDCBF}}};
  // clang-format on
  for (const auto& [utf8, utf16] : rows) EXPECT_EQ(Utf8ToUtf16(utf8), utf16) << utf8;
}

// Zip entry names: the Spanish letters where code page 437 has them, '_' for
// what it lacks.
// Valid UTF-8 as the standard defines it: no cut sequence, no overlong form,
// no surrogate, nothing past U+10FFFF; and a text ends where its view ends,
// whatever byte follows it in memory.
TEST(IsValidUtf8, TakesTheStandardsFormsOnly) {
  // clang-format off
  const std::pair<std::string_view, bool> rows[] = {
      {"", true}, {"año", true}, {"\xF0\x9F\x98\x80", true}, {"\xEF\xBF\xBF", true}, {"\xF4\x8F\xBF\xBF", true},
      {"\xC3", false}, {"a\xC3", false}, {"\xC0\xAF", false}, {"\xE0\x80\xAF", false},
      {"\xED\xA0\x80", false}, {"\xF4\x90\x80\x80", false}, {"\xA9", false},
      {std::string_view("a\xFF", 1), true}};
  // clang-format on
  for (const auto& [text, valid] : rows) EXPECT_EQ(IsValidUtf8(text), valid) << text.size();
}

TEST(Utf8ToCp437, WritesTheLettersOfTheCodePageAndAnUnderscoreForTheRest) {
  const struct {
    std::string utf8;
    std::string cp437;
  } kCases[] = {
      // clang-format off
      {"ñ0307379.sua", "\2440307379.sua"}, {"ÑáéíóúüÁÉ", "\xA5\xA0\x82\xA1\xA2\xA3\x81\x5F\x90"},
      {"PLAIN-1.SUA", "PLAIN-1.SUA"}, {"€ ÿ ß", "_ \x98 \xE1"},
      {"\xF0\x9F\x98\x80.sua", "_.sua"},  // one character, one '_'
      {"a\xFF\xC3", "a__"},               // bytes that are not UTF-8
      {"\xE0\x83\xA9", "___"},            // "é" in three bytes, overlong: no letter
      // clang-format on
  };
  for (const auto& c : kCases) EXPECT_EQ(Utf8ToCp437(c.utf8), c.cp437) << c.utf8;
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToCp437(Cp437ToUtf8(all)), all);
}

TEST(EqualIgnoringCase, FoldsTheLettersOfTheCodePage) {
  // clang-format off
  const std::tuple<std::u16string, std::u16string, bool> rows[] = {
      {u"c:\\qeb\\año\\x.sua", u"C:\\QEB\\AÑO\\X.SUA", true}, {u"ÿšœž", u"ŸŠŒŽ", true},
      {u"÷", u"×", false}, {u"ab", u"abc", false}, {u"a/b", u"a\\b", false},
      {u"wxyz", u"WXYZ", true}, {u"`{", u"@[", false}, {u"àþ", u"ÀÞ", true}, {u"\x80", u"\xFF80", false}};
  // clang-format on
  for (const auto& [a, b, equal] : rows) EXPECT_EQ(EqualIgnoringCase(a, b), equal);
}

}  // namespace
}  // namespace qeb
