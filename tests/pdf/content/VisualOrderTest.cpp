#include "pdf/content/VisualOrder.h"

#include "pdf/content/PageText.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace scrivlet::pdf {
namespace {

// "shalom olam" and the number 2024 as a writer that draws left to right
// stores them: letters reversed, digits as they are.
const std::u16string kShalomVisual = u"2024 \u05DD\u05DC\u05D5\u05E2 \u05DD\u05D5\u05DC\u05E9";
const std::u16string kShalomLogical = u"\u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD 2024";

TEST(VisualOrderTest, ReversedHebrewIsSeenByItsFinalLetters) {
  std::u16string visual = kShalomVisual, logical = kShalomLogical;
  EXPECT_TRUE(LooksVisual({&visual}));
  EXPECT_FALSE(LooksVisual({&logical}));
  // Arabic: the article "al" at the end of reversed words.
  std::u16string arabicLogical = u"\u0627\u0644\u0643\u062A\u0627\u0628";
  std::u16string arabicVisual(arabicLogical.rbegin(), arabicLogical.rend());
  EXPECT_FALSE(LooksVisual({&arabicLogical}));
  EXPECT_TRUE(LooksVisual({&arabicVisual}));
}

TEST(VisualOrderTest, LinesAreReorderedInTheirDirection) {
  std::u16string line = kShalomVisual;
  VisualToLogical(line, true);
  EXPECT_EQ(line, kShalomLogical);
  // Left-to-right words inside keep their letters; brackets are mirrored.
  line = u"(\u05D0\u05D1) test word \u05D2";
  VisualToLogical(line, true);
  EXPECT_EQ(line, u"\u05D2 test word (\u05D1\u05D0)");
  // In a left-to-right line only the Hebrew run turns.
  line = u"see \u05D1\u05D0 here";
  VisualToLogical(line, false);
  EXPECT_EQ(line, u"see \u05D0\u05D1 here");
  line = u"no Hebrew (here)";
  VisualToLogical(line, true);
  EXPECT_EQ(line, u"no Hebrew (here)");
}

TEST(VisualOrderTest, PagesOfReversedHebrewReadInLogicalOrder) {
  std::vector<TextItem> items(2);
  items[0] = {kShalomVisual, {100, 700}, {300, 700}, {1, 0}, 10, true};
  items[1] = {u"\u05D4\u05DC\u05D0 \u05DA\u05DC", {200, 688}, {300, 688}, {1, 0}, 10, true};
  EXPECT_EQ(LayOutPageText(items), kShalomLogical + u"\r\n\u05DC\u05DA \u05D0\u05DC\u05D4");
  // Stored as typed: left alone.
  items[0].text = kShalomLogical;
  items.resize(1);
  EXPECT_EQ(LayOutPageText(items), kShalomLogical);
}

} // namespace
} // namespace scrivlet::pdf
