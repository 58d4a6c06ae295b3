#include "xml/Entities.h"
#include "core/Utf8.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

std::u16string Decoded(std::u16string text) {
  DecodeEntities(text);
  return text;
}

TEST(Entities, EachReferenceIsDecodedOnce) {
  // What a reference gives is text: stored "&amp;lt;b&amp;gt;" reads "&lt;b&gt;".
  EXPECT_EQ(Decoded(u"&amp;lt;b&amp;gt; AT&amp;amp;T"), u"&lt;b&gt; AT&amp;T");
  EXPECT_EQ(Decoded(u"&amp;#65; &amp;amp;amp;"), u"&#65; &amp;amp;");
  EXPECT_EQ(Decoded(u"&lt;b&gt; &quot;x&quot; &apos;y&apos;"), u"<b> \"x\" 'y'");
  EXPECT_EQ(Decoded(u"&amp&lt"), u"&<"); // the ";" may be missing
  EXPECT_EQ(Decoded(u"&ampere &AMP; &unknown; & alone &"), u"&ampere &AMP; &unknown; & alone &");
  EXPECT_EQ(Decoded(u"no entities"), u"no entities");
}

TEST(Entities, NamedCharactersKeepTheirCharacter) {
  // A no-break space is a space, not nothing: "a&nbsp;b" is two words.
  EXPECT_EQ(Decoded(u"a&nbsp;b"), u"a\u00A0b");
  EXPECT_EQ(Decoded(u"20&deg;C &copy; 2001"), u"20\u00B0C \u00A9 2001");
  EXPECT_EQ(Decoded(u"x&car;y&ret;z&trade;&plusmn;&brvbar;&para;"),
            u"x\ny\rz\u2122\u00B1\u00A6\u00B6");
}

TEST(Entities, NumericReferences) {
  EXPECT_EQ(Decoded(u"&#65;&#x42;&#X43"), u"ABC");
  EXPECT_EQ(Decoded(u"&#65;;"), u"A;");
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
