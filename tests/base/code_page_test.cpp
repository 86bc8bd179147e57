#include "base/code_page.h"

#include <gtest/gtest.h>

#include <set>

namespace qeb {
namespace {

TEST(Cp1252ToUtf8, EveryByteIsOneCharacter) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::u16string wide = Utf8ToUtf16(Cp1252ToUtf8(all));
  ASSERT_EQ(wide.size(), 256u);
  EXPECT_EQ(std::set<char16_t>(wide.begin(), wide.end()).size(), 256u);
  EXPECT_EQ(wide[0x41], u'A');
  EXPECT_EQ(wide[0x80], u'€');
  EXPECT_EQ(wide[0x81], 0x81);  // undefined in 1252
  EXPECT_EQ(wide[0x8A], u'Š');
  EXPECT_EQ(wide[0x9F], u'Ÿ');
  EXPECT_EQ(wide[0xD1], u'Ñ');
  EXPECT_EQ(wide[0xFF], u'ÿ');
  EXPECT_EQ(Cp1252ToUtf8("A\xF1o"), "Año");
}

TEST(Utf8ToUtf16, DecodesAndKeepsBrokenBytesApart) {
  EXPECT_EQ(Utf8ToUtf16("Año €"), u"Año €");
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80").size(), 2u);
  // A stray continuation byte, a cut sequence and an overlong form.
  EXPECT_EQ(Utf8ToUtf16("a\x80"
                        "b"),
            (std::u16string{u'a', 0xDC80, u'b'}));
  EXPECT_EQ(Utf8ToUtf16("\xC3"), (std::u16string{0xDCC3}));
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), (std::u16string{0xDCC0, 0xDCAF}));
  EXPECT_NE(Utf8ToUtf16("\xFE"), Utf8ToUtf16("\xFF"));
}

// Zip entry names: the Spanish letters where code page 437 has them, '_' for
// what it lacks.
TEST(Utf8ToCp437, WritesTheLettersOfTheCodePageAndAnUnderscoreForTheRest) {
  const struct {
    std::string utf8;
    std::string cp437;
  } kCases[] = {
      {"ñ0307379.sua",
       "\xA4"
       "0307379.sua"},
      {"ÑáéíóúüÁÉ", "\xA5\xA0\x82\xA1\xA2\xA3\x81\x5F\x90"},
      {"PLAIN-1.SUA", "PLAIN-1.SUA"},
      {"€ ÿ ß", "_ \x98 \xE1"},
      {"\xF0\x9F\x98\x80.sua", "_.sua"},  // one character, one '_'
      {"a\xFF\xC3", "a__"},               // bytes that are not UTF-8
  };
  for (const auto& c : kCases) EXPECT_EQ(Utf8ToCp437(c.utf8), c.cp437) << c.utf8;
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToCp437(Cp437ToUtf8(all)), all);
}

TEST(EqualIgnoringCase, FoldsTheLettersOfTheCodePage) {
  EXPECT_TRUE(EqualIgnoringCase(u"c:\\qeb\\año\\x.sua", u"C:\\QEB\\AÑO\\X.SUA"));
  EXPECT_TRUE(EqualIgnoringCase(u"ÿšœž", u"ŸŠŒŽ"));
  EXPECT_FALSE(EqualIgnoringCase(u"÷", u"×"));
  EXPECT_FALSE(EqualIgnoringCase(u"ab", u"abc"));
  EXPECT_FALSE(EqualIgnoringCase(u"a/b", u"a\\b"));
}

}  // namespace
}  // namespace qeb
