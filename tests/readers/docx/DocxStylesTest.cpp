// The styles part resolved along the w:basedOn chains: once per style,
// each step paid for, loops cut where they come back.
#include "readers/docx/DocxStyles.h"

#include "support/DocxBuilder.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using test::DocxBuilder;

std::string StylesPart(const std::string& styles) {
  return "<?xml version=\"1.0\"?><w:styles>" + styles + "</w:styles>";
}

// A chain of three thousand styles, each based on the one before, the
// first a heading: every style of it is a heading, and resolving them all
// costs a step each, not a walk of the chain each.
TEST(DocxStyles, ADeepChainIsResolvedOnceAStyle) {
  constexpr int kDepth = 3000;
  std::string styles = DocxBuilder::Style("paragraph", "s0", "heading 2");
  for (int i = 1; i <= kDepth; ++i)
    styles += DocxBuilder::Style("paragraph", "s" + std::to_string(i), "Style",
                                 "<w:basedOn w:val=\"s" + std::to_string(i - 1) + "\"/>");
  WorkBudget budget;
  DocxStyles resolved;
  resolved.Read(StylesPart(styles), Limits(), 1252, &budget);
  for (int i : {0, 1, 31, 32, 33, kDepth}) {
    const std::string id = "s" + std::to_string(i);
    const DocxStyles::ParagraphStyle* style =
        resolved.Paragraph(std::u16string(id.begin(), id.end()));
    ASSERT_NE(style, nullptr) << i;
    EXPECT_EQ(style->headingLevel, 2) << i;
  }
  // One step per style, each paid for with its identifier's length and one.
  EXPECT_LE(budget.WorkSpent(), uint64_t{kDepth + 1} * 6);
}

TEST(DocxStyles, LoopsAreCutWhereTheyComeBack) {
  std::string styles =
      DocxBuilder::Style("character", "A", "A", "<w:basedOn w:val=\"B\"/><w:rPr><w:b/></w:rPr>") +
      DocxBuilder::Style("character", "B", "B", "<w:basedOn w:val=\"C\"/><w:rPr><w:i/></w:rPr>") +
      DocxBuilder::Style("character", "C", "C",
                         "<w:basedOn w:val=\"A\"/><w:rPr><w:strike/></w:rPr>");
  WorkBudget budget;
  DocxStyles resolved;
  resolved.Read(StylesPart(styles), Limits(), 1252, &budget);
  for (const char16_t* id : {u"A", u"B", u"C"}) {
    const Marks marks = resolved.Character(id).Over(0);
    EXPECT_NE(marks & kStrike, 0) << static_cast<char>(id[0]); // C is on every chain
  }
  // The walk to the loop's return, then each style once round it.
  EXPECT_LE(budget.WorkSpent(), 4u * 2 + 3 * 3);
}

} // namespace
} // namespace scrivlet
