#include "readers/docx/DocxFieldLink.h"
#include "readers/docx/DocxNumbering.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

TEST(WordXFieldLink, TargetsOfHyperlinkInstructions) {
  EXPECT_EQ(HyperlinkTarget(u" HYPERLINK \"http://a.example/x y\" "), u"http://a.example/x y");
  EXPECT_EQ(HyperlinkTarget(u"hyperlink http://bare.example \\o \"tip\""), u"http://bare.example");
  EXPECT_EQ(HyperlinkTarget(u"HYPERLINK \\l \"_Toc1\""), u"#_Toc1");
  EXPECT_EQ(HyperlinkTarget(u"HYPERLINK \"doc.docx\" \\l \"part\" \\t \"_blank\""),
            u"doc.docx#part");
  EXPECT_EQ(HyperlinkTarget(u"HYPERLINK \"unclosed"), u"unclosed");
  EXPECT_EQ(HyperlinkTarget(u"PAGEREF _Toc1 \\h"), u"");
  EXPECT_EQ(HyperlinkTarget(u"\"HYPERLINK\" x"), u"");
  EXPECT_EQ(HyperlinkTarget(u""), u"");
  EXPECT_EQ(HyperlinkTarget(u"HYPERLINK \\l"), u"");
}

TEST(WordXNumbering, ListNumbersInTheirFormats) {
  EXPECT_EQ(FormatListNumber(12, u"decimal"), u"12");
  EXPECT_EQ(FormatListNumber(4, u"lowerRoman"), u"iv");
  EXPECT_EQ(FormatListNumber(1994, u"upperRoman"), u"MCMXCIV");
  EXPECT_EQ(FormatListNumber(0, u"lowerRoman"), u"0");
  EXPECT_EQ(FormatListNumber(1, u"lowerLetter"), u"a");
  EXPECT_EQ(FormatListNumber(28, u"upperLetter"), u"BB");
  EXPECT_EQ(FormatListNumber(-3, u"lowerLetter"), u"-3");
  EXPECT_EQ(FormatListNumber(7, u"ordinal"), u"7");
}

} // namespace
} // namespace scrivlet
