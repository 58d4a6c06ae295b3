#include "core/Utf8.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

TEST(Utf8, ValidMalformedAndTruncated) {
  EXPECT_EQ(DecodeUtf8Text("\xC3\xA9"), u"\u00E9");
  EXPECT_EQ(DecodeUtf8Text("\xE2\x82\xAC"), u"\u20AC");
  EXPECT_EQ(DecodeUtf8Text("a\xF0\x9F\x98\x80z"), u"a\U0001F600z");
  EXPECT_EQ(DecodeUtf8Text("abc\xC3"), u"abc\uFFFD");
  EXPECT_EQ(DecodeUtf8Text("a\x80"
                           "b"),
            u"a\uFFFDb");
  EXPECT_EQ(DecodeUtf8Text("\xE2\x82"
                           "x"),
            u"\uFFFDx");
  EXPECT_EQ(DecodeUtf8Text("\xF8\x88\x80\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(DecodeUtf8Text("\xF4\x90\x80\x80"), u"\uFFFD"); // past U+10FFFF
  EXPECT_EQ(DecodeUtf8Text("\xC1\x81"), u"A");              // overlong, taken at its value
  EXPECT_EQ(DecodeUtf8Text(""), u"");
}

TEST(Utf8, BufferInterface) {
  char16_t buffer[4];
  EXPECT_EQ(Utf8ToWide(buffer, 4, "ab", 2), 3);
  EXPECT_EQ(std::u16string(buffer), u"ab");
  EXPECT_EQ(Utf8ToWide(buffer, 3, "abcdef", 6), 3); // stops before the terminator's place
  EXPECT_EQ(std::u16string(buffer), u"ab");
  EXPECT_EQ(Utf8ToWide(buffer, 3, "a\xF0\x9F\x98\x80", 5), 2); // a pair needs room for both
  EXPECT_EQ(Utf8ToWide(nullptr, 0, "a\xC3\xA9", 3), 3);
  EXPECT_EQ(Utf8ToWide(buffer, 4, nullptr, 3), 0);
}

} // namespace
} // namespace scrivlet
