#include "core/TextHelpers.h"
#include "core/CodePage.h"
#include "core/Exception.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

std::u16string Decoded(std::u16string text) {
  DecodeEntities(text);
  return text;
}

std::u16string Replaced(std::u16string_view entity, std::u16string_view by, std::u16string text) {
  ReplaceEntity(entity, by, text);
  return text;
}

// The restart-at-the-start loop the one-pass replacement must agree with.
std::u16string ReplacedByRestarting(std::u16string_view entity, std::u16string_view by,
                                    std::u16string text) {
  for (size_t at = text.find(entity); at != std::u16string::npos; at = text.find(entity)) {
    size_t length = entity.size();
    if (at + length < text.size() && text[at + length] == u';')
      ++length;
    text.replace(at, length, by);
  }
  return text;
}

TEST(Entities, TableOrderAndSemicolons) {
  EXPECT_EQ(Decoded(u"&amp;amp;lt;"), u"<");
  EXPECT_EQ(Decoded(u"a&nbsp;b"), u"ab");
  EXPECT_EQ(Decoded(u"20&deg;C"), u"20\u00B0C");
  EXPECT_EQ(Decoded(u"&copy; 2001"), u"c 2001");
  EXPECT_EQ(Decoded(u"&ampere"), u"&ere");
  EXPECT_EQ(Decoded(u"&amp;para;"), u"&para;"); // "&para" had its turn before "&amp"
  EXPECT_EQ(Decoded(u"&lt;b&gt; &quot;x&quot; &apos;y&apos;"), u"<b> \"x\" 'y'");
  EXPECT_EQ(Decoded(u"x&car;y&ret;z&trade;&plusmn;&brvbar;&para;"), u"x\ny\rzT+|\u00B6");
  EXPECT_EQ(Decoded(u"&AMP; &unknown;"), u"&AMP; &unknown;");
  EXPECT_EQ(Decoded(u"no entities"), u"no entities");
}

TEST(Entities, OnePassAgreesWithRestartingTheSearch) {
  const std::u16string samples[] = {
      u"&amp;amp;amp;amp;",   u"&&amp;amp",        u"&am&ampp;", u"&amp&amp;;", u"a&amp;amp;b&amp",
      u"&amp;&amp;&amp;",     u"&&&&ampampampamp", u";&amp;;;",  u"&am",        u"&amp",
      u"x&amp;a&amp;m&amp;p", u"&a&amp;mp;"};
  for (const auto& sample : samples)
    EXPECT_EQ(Replaced(u"&amp", u"&", sample), ReplacedByRestarting(u"&amp", u"&", sample))
        << WideToUtf8(sample);
  EXPECT_EQ(Replaced(u"aa", u"a", u"aaaaab"), ReplacedByRestarting(u"aa", u"a", u"aaaaab"));
  EXPECT_EQ(Replaced(u"ab", u"ab", u"abab"), u"abab"); // would never end: replaced once
  EXPECT_EQ(Replaced(u"&x", u"", u"&x;&x;"), u"");
}

TEST(Entities, NumericReferences) {
  EXPECT_EQ(Decoded(u"&#65;&#x42;&#X43"), u"ABC");
  EXPECT_EQ(Decoded(u"&#65;;"), u"A");
  EXPECT_EQ(Decoded(u"&#; &#xZZ;"), u"&#; &#xZZ;");
  EXPECT_EQ(Decoded(u"&#65535;"), u"&#65535;");
  EXPECT_EQ(Decoded(u"&#65534;"), u"\uFFFE");
  EXPECT_EQ(Decoded(u"&#x1F600;"), u"\U0001F600");
  EXPECT_EQ(Decoded(u"&#1114111;"), u"\U0010FFFF");
  EXPECT_EQ(Decoded(u"&#x110000;"), u"&#x110000;");
  EXPECT_EQ(Decoded(u"&#99999999999999999999;"), u"&#99999999999999999999;");
  EXPECT_EQ(Decoded(u"&#176;"), u"\u00B0");
  EXPECT_EQ(Decoded(u"&#65 and &#650;"), u"A and \u028A"); // each reference on its own
  EXPECT_EQ(Decoded(u"&#38;#65;"), u"&#65;");              // a decoded "&" starts nothing
}

TEST(Utf8, ValidMalformedAndTruncated) {
  EXPECT_EQ(DecodeUtf8Text("\xC3\xA9"), u"\u00E9");
  EXPECT_EQ(DecodeUtf8Text("\xE2\x82\xAC"), u"\u20AC");
  EXPECT_EQ(DecodeUtf8Text("a\xF0\x9F\x98\x80z"), u"a\U0001F600z");
  EXPECT_EQ(DecodeUtf8Text("abc\xC3"), u"abc\uFFFD");
  EXPECT_EQ(DecodeUtf8Text("a\x80"
                           "b"),
            u"a\uFFFDb");
  EXPECT_EQ(DecodeUtf8Text("\xE2\x82"
                           "x"),
            u"\uFFFDx");
  EXPECT_EQ(DecodeUtf8Text("\xF8\x88\x80\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(DecodeUtf8Text("\xF4\x90\x80\x80"), u"\uFFFD"); // past U+10FFFF
  EXPECT_EQ(DecodeUtf8Text("\xC1\x81"), u"A");              // overlong, taken at its value
  EXPECT_EQ(DecodeUtf8Text(""), u"");
}

TEST(Utf8, BufferInterface) {
  char16_t buffer[4];
  EXPECT_EQ(Utf8ToWide(buffer, 4, "ab", 2), 3);
  EXPECT_EQ(std::u16string(buffer), u"ab");
  EXPECT_EQ(Utf8ToWide(buffer, 3, "abcdef", 6), 3); // stops before the terminator's place
  EXPECT_EQ(std::u16string(buffer), u"ab");
  EXPECT_EQ(Utf8ToWide(buffer, 3, "a\xF0\x9F\x98\x80", 5), 2); // a pair needs room for both
  EXPECT_EQ(Utf8ToWide(nullptr, 0, "a\xC3\xA9", 3), 3);
  EXPECT_EQ(Utf8ToWide(buffer, 4, nullptr, 3), 0);
}

TEST(DateStamps, FixedPositions) {
  OleDate expected = 0;
  ASSERT_TRUE(TryEncodeDateTime({2009, 5, 14, 10, 20, 30, 0}, expected));
  EXPECT_DOUBLE_EQ(XmlDateToDateTime(u"2009-05-14T10:20:30Z"), expected);
  EXPECT_DOUBLE_EQ(XmlDateToDateTime(u"2009-05-14T10:20:30.123+02:00"), expected);
  EXPECT_EQ(XmlDateToDateTime(u"2009-13-01T00:00:00Z"), 0);
  EXPECT_EQ(XmlDateToDateTime(u"2009-02-30T00:00:00Z"), 0);
  EXPECT_EQ(XmlDateToDateTime(u"2009-05-14T25:00:00Z"), 0);
  EXPECT_EQ(XmlDateToDateTime(u""), 0);
  EXPECT_EQ(XmlDateToDateTime(u"2009-05-14"), 0);
  EXPECT_EQ(XmlDateToDateTime(u"20x9-05-14T10:20:30"), 0);
}

TEST(DecimalNumbers, DotAsDecimalPoint) {
  EXPECT_EQ(DotStrToFloat(u"1.5", 7), 1.5);
  EXPECT_EQ(DotStrToFloat(u"  -2.25e2", 7), -225);
  EXPECT_EQ(DotStrToFloat(u"+3", 7), 3);
  EXPECT_EQ(DotStrToFloat(u"abc", 7), 7);
  EXPECT_EQ(DotStrToFloat(u"", 7), 7);
  EXPECT_EQ(DotStrToFloat(u"1.5cm", 7), 7);
  EXPECT_EQ(DotStrToFloat(u"inf", 7), 7);
  EXPECT_EQ(DotStrToFloat(u"0x10", 7), 7);
  EXPECT_EQ(DotStrToFloat(u"+-1", 7), 7);
}

TEST(ZipSignature, FirstFourBytes) {
  test::TempDir dir;
  EXPECT_TRUE(IsZipFile(AnsiToWide(dir.Write("a.zip", std::string("PK\x03\x04", 4)))));
  EXPECT_FALSE(IsZipFile(AnsiToWide(dir.Write("b.zip", "PK\x05\x06xxxx"))));
  EXPECT_FALSE(IsZipFile(AnsiToWide(dir.Write("c.zip", "PK"))));
  EXPECT_THROW(IsZipFile(AnsiToWide(dir.File("none"))), FileOpenError);
}

TEST(Names, SameNameText) {
  EXPECT_TRUE(SameNameText(true, u"Body", u"Body"));
  EXPECT_FALSE(SameNameText(true, u"Body", u"body"));
  EXPECT_TRUE(SameNameText(false, u"Body", u"bODY"));
  EXPECT_TRUE(SameNameText(false, u"\u00C9T\u0416", u"\u00E9t\u0436"));
  EXPECT_FALSE(SameNameText(false, u"ab", u"abc"));
}

} // namespace
} // namespace scrivlet
