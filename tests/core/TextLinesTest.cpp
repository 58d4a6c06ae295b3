#include "core/TextLines.h"
#include "core/CodePage.h"
#include "core/Exception.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

TEST(TextLines, BoundsAndJoinedText) {
  TextLines list;
  EXPECT_EQ(list.Add(u"one"), 0);
  list.Insert(1, u"three");
  list.Insert(1, u"two");
  EXPECT_THROW(list.Insert(4, u"x"), ListIndexError);
  EXPECT_THROW(list.Insert(-1, u"x"), ListIndexError);
  try {
    list.Insert(list.Count() + 1, u"x");
    ADD_FAILURE() << "inserted past the end";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "WideStrings index out of bounds");
  }
  EXPECT_EQ(list.Get(-1), u"");
  EXPECT_EQ(list.Get(list.Count()), u"");
  EXPECT_EQ(list.GetTextW(), u"one\r\ntwo\r\nthree\r\n");
  EXPECT_EQ(list.GetText(), "one\r\ntwo\r\nthree\r\n");
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.GetTextW(), u"");
}

TEST(TextLines, GetTextUsesTheSystemCodePage) {
  TextLines list;
  list.Add(u"caf\u00e9 \u0416");
  EXPECT_EQ(list.GetText(), "caf\xc3\xa9 \xd0\x96\r\n"); // UTF-8 by default
  SetSystemCodePage(1252);
  EXPECT_EQ(list.GetText(), "caf\xe9 ?\r\n");
  SetSystemCodePage(kDefaultSystemCodePage);
}

} // namespace
} // namespace scrivlet
