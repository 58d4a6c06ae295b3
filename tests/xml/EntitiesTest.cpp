#include "xml/Entities.h"
#include "core/Utf8.h"

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
    std::u16string replaced(text, 0, at);
    replaced.append(by).append(text, at + length);
    text = std::move(replaced);
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

} // namespace
} // namespace scrivlet
