#include "writers/LineList.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace scrivlet {
namespace {

TEST(LineList, WithoutALimitEachTextIsAnEntry) {
  LineList list;
  list.Add(u"one");
  list.Add(u"two");
  ASSERT_EQ(list.Lines().Count(), 2);
  EXPECT_EQ(list.Lines().Get(1), u"two");
}

TEST(LineList, UnderALimitTheListIsOneCutEntry) {
  LineList list(10);
  list.Add(u"eighteen character");
  ASSERT_EQ(list.Lines().Count(), 1);
  EXPECT_EQ(list.Lines().Get(0), u"eighteen c");
  list.Add(u"more");
  ASSERT_EQ(list.Lines().Count(), 1);
  EXPECT_EQ(list.Lines().Get(0), u"eighteen c");
}

// The entries are joined with one line break between them: no blank line
// that the whole output does not have.
TEST(LineList, EntriesJoinWithOneLineBreak) {
  LineList list(10);
  list.Add(u"abc");
  EXPECT_EQ(list.Lines().Get(0), u"abc");
  list.Add(u"defghij");
  EXPECT_EQ(list.Lines().Get(0), u"abc\r\ndefgh");
}

TEST(LineList, ExtendingInPlaceAgreesWithJoiningTheWholeListEachTime) {
  // The joined entry is extended in place; it must give what joining the
  // whole list again on every call gives, at every limit.
  const std::u16string texts[] = {u"a", u"", u"longer line", u"\u0416\u4e2d", u"x\r\ny", u"end"};
  for (int limit = 1; limit < 40; ++limit) {
    LineList list(limit);
    TextLines reference;
    for (const auto& text : texts) {
      list.Add(text);
      reference.Add(text);
      std::u16string joined = reference.GetTextW();
      joined.resize(std::min<size_t>(joined.size() - 2, static_cast<size_t>(limit)));
      reference.Clear();
      reference.Add(joined);
      ASSERT_EQ(list.Lines().Count(), 1);
      EXPECT_EQ(list.Lines().Get(0), reference.Get(0)) << limit;
    }
  }
}

TEST(LineList, StaysLinearOnALongDocument) {
  // 200,000 paragraphs under a limit far above the text: joining the list
  // again on every call would copy about 2 * 10^11 characters.
  LineList list(100000000);
  for (int i = 0; i < 200000; ++i)
    list.Add(u"paragraph text");
  ASSERT_EQ(list.Lines().Count(), 1);
  EXPECT_EQ(list.Lines().Get(0).size(), 14u + 199999u * 16); // the entries, CR LF between them
}

TEST(LineList, TheCutKeepsCharactersOutsideAnyCodePage) {
  LineList list(3);
  list.Add(u"\u0416\u4e2d\u05d0\u0e01");
  EXPECT_EQ(list.Lines().Get(0), u"\u0416\u4e2d\u05d0");
}

} // namespace
} // namespace scrivlet
