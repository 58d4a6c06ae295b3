#include "xml/RawAttribute.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

std::u16string ValueOf(std::u16string_view attributes, std::u16string_view name) {
  auto value = RawAttributeValue(attributes, name);
  return value ? std::u16string(*value) : u"(none)";
}

TEST(RawAttribute, EitherQuoteBlanksAroundEqualsAndWholeNames) {
  EXPECT_EQ(ValueOf(u" w:type=\"default\" r:id=\"rId7\"", u"r:id"), u"rId7");
  EXPECT_EQ(ValueOf(u" r:id='rId7'", u"r:id"), u"rId7");
  EXPECT_EQ(ValueOf(u"\r\n\tr:id \t=\n \"rId7\"/", u"r:id"), u"rId7");
  // A quote of the other kind is part of the value.
  EXPECT_EQ(ValueOf(u"a='say \"hi\"' b=\"it's\"", u"a"), u"say \"hi\"");
  EXPECT_EQ(ValueOf(u"a='say \"hi\"' b=\"it's\"", u"b"), u"it's");
  // Names match whole, also when a longer one ends in the name or a value
  // holds it.
  EXPECT_EQ(ValueOf(u"xr:id=\"no\" title=\"r:id=x\" r:id=\"yes\"", u"r:id"), u"yes");
  EXPECT_EQ(ValueOf(u"xr:id=\"no\"", u"r:id"), u"(none)");
  EXPECT_EQ(ValueOf(u"", u"r:id"), u"(none)");
}

TEST(RawAttribute, DamagedTextGivesWhatItHolds) {
  EXPECT_EQ(ValueOf(u"text:c=\"12", u"text:c"), u"12"); // no closing quote
  EXPECT_EQ(ValueOf(u"text:c=3 b=1", u"text:c"), u"3"); // unquoted
  EXPECT_EQ(ValueOf(u"text:c=", u"text:c"), u"");
  EXPECT_EQ(ValueOf(u"text:c b=\"1\"", u"text:c"), u"(none)"); // no value
  EXPECT_EQ(ValueOf(u"= \"x\" '' \"\" text:c=\"4\"", u"text:c"), u"4");
}

} // namespace
} // namespace scrivlet
