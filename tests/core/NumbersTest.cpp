#include "core/Numbers.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

TEST(DecimalNumbers, WholeNumbersAsWideText) {
  EXPECT_EQ(DecimalText(0), u"0");
  EXPECT_EQ(DecimalText(-12), u"-12");
  EXPECT_EQ(DecimalText(INT64_MAX), u"9223372036854775807");
}

TEST(DecimalNumbers, RomanNumerals) {
  EXPECT_EQ(RomanText(14), u"xiv");
  EXPECT_EQ(RomanText(1994, true), u"MCMXCIV");
  EXPECT_EQ(RomanText(4000), u"4000"); // past what the numerals write
  EXPECT_EQ(RomanText(0), u"0");
}

TEST(DecimalNumbers, DotAsDecimalPoint) {
  EXPECT_EQ(DotStrToFloat(u"1.5", 7), 1.5);
  EXPECT_EQ(DotStrToFloat(u"  -2.25e2", 7), -225);
  EXPECT_EQ(DotStrToFloat(u"+3", 7), 3);
  EXPECT_EQ(DotStrToFloat(u"abc", 7), 7);
  EXPECT_EQ(DotStrToFloat(u"", 7), 7);
  EXPECT_EQ(DotStrToFloat(u"1.5cm", 7), 7);
  EXPECT_EQ(DotStrToFloat(u"inf", 7), 7);
  EXPECT_EQ(DotStrToFloat(u"0x10", 7), 7);
  EXPECT_EQ(DotStrToFloat(u"+-1", 7), 7);
}

} // namespace
} // namespace scrivlet
