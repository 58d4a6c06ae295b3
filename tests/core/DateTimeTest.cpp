#include "core/DateTime.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

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

} // namespace
} // namespace scrivlet
