// What Word field instructions say: arguments, link targets, and what a
// field without a result shows.
#include "readers/word/WordFieldInstructions.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

TEST(WordFieldInstructions, ArgumentsAndLinkTargets) {
  EXPECT_EQ(FieldArguments(u" HYPERLINK  \"a b\" \\l x"),
            (std::vector<std::u16string>{u"HYPERLINK", u"a b", u"\\l", u"x"}));
  EXPECT_EQ(HyperlinkFieldTarget(u" HYPERLINK \\l \"_Toc1\" "), u"#_Toc1");
  EXPECT_EQ(HyperlinkFieldTarget(u"hyperlink \"http://x/\" \\o \"tip\""), u"http://x/");
  EXPECT_EQ(HyperlinkFieldTarget(u"REF x"), u"");
}

TEST(WordFieldInstructions, EquationBaseText) {
  // A phonetic guide: the reading over the base.
  EXPECT_EQ(ShownWithoutResult(u" EQ \\* jc2 \\* \"Font:MS Mincho\" \\* hps11 "
                               u"\\o\\ad(\\s\\up 10(\u3068\u3046),\u6771\u4eac)"),
            u"\u6771\u4eac");
  EXPECT_EQ(EquationBaseText(u"\\o(\\s\\up 8(r), a\\,b )"), u"a,b");
  EXPECT_EQ(EquationBaseText(u"x\\s\\up8(2) + y"), u"x + y");
  EXPECT_EQ(EquationBaseText(u"\\O\\AC(\\S\\UP 9(r);base)"), u"base");
  // What cannot be told, or is damaged, shows nothing.
  EXPECT_EQ(EquationBaseText(u"\\f(1,2)"), u"");
  EXPECT_EQ(EquationBaseText(u"\\o(a,b"), u"");
  EXPECT_EQ(EquationBaseText(u"a)"), u"");
  EXPECT_EQ(EquationBaseText(u"(a)"), u"");
  EXPECT_EQ(EquationBaseText(u"\\o a"), u"");
  EXPECT_EQ(EquationBaseText(u"a\\"), u"");
  // Deep nesting is read without running out of stack.
  std::u16string deep;
  for (int i = 0; i < 100000; ++i)
    deep += u"\\o(";
  deep += u"z";
  deep += std::u16string(100000, u')');
  EXPECT_EQ(EquationBaseText(deep), u"z");
}

TEST(WordFieldInstructions, Symbols) {
  EXPECT_EQ(ShownWithoutResult(u"SYMBOL 183 \\f \"Symbol\" \\s 10"), u"\u00b7");
  EXPECT_EQ(ShownWithoutResult(u" symbol 0x41"), u"A");
  EXPECT_EQ(ShownWithoutResult(u"SYMBOL 128"), u"\u20ac");
  EXPECT_EQ(ShownWithoutResult(u"SYMBOL 8364 \\u"), u"\u20ac");
  EXPECT_EQ(ShownWithoutResult(u"SYMBOL 128512 \\u"), u"\U0001F600");
  EXPECT_EQ(ShownWithoutResult(u"SYMBOL 0x82A0 \\j"), u"\u3042");
  for (const char16_t* nothing : {u"SYMBOL", u"SYMBOL x", u"SYMBOL 0", u"SYMBOL 55296 \\u",
                                  u"SYMBOL 99999999999", u"PAGE", u"DATE \\@ x", u""})
    EXPECT_EQ(ShownWithoutResult(nothing), u"") << std::string(nothing, nothing + 4);
}

} // namespace
} // namespace scrivlet
