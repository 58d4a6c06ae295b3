#include "pdf/fonts/PredefinedCMap.h"

#include <gtest/gtest.h>

namespace scrivlet::pdf {
namespace {

// Decodes all codes of bytes.
std::u16string DecodeAll(const PredefinedCMap& map, std::string_view bytes, int* codes = nullptr) {
  std::u16string text;
  int count = 0;
  for (size_t pos = 0; pos < bytes.size(); ++count) {
    CharCode code = map.ReadCode(bytes, pos);
    pos += code.length;
    text += map.Text(code);
  }
  if (codes)
    *codes = count;
  return text;
}

TEST(PredefinedCMapTest, ShiftJisCMapInAnyLetterCase) {
  for (const char* name : {"/90ms-RKSJ-H", "90MS-rksj-h", "/90msp-RKSJ-H"}) {
    PredefinedCMap map = PredefinedCMap::Find(name);
    ASSERT_EQ(map.GetKind(), PredefinedCMap::Kind::CodePage) << name;
    int codes = 0;
    // "A", hiragana a, katakana half-width a
    EXPECT_EQ(DecodeAll(map, "A\x82\xA0\xB1", &codes), u"A\u3042\uFF71");
    EXPECT_EQ(codes, 3);
  }
}

TEST(PredefinedCMapTest, OtherCodePageCMaps) {
  EXPECT_EQ(DecodeAll(PredefinedCMap::Find("/GBK-EUC-H"), "\xD6\xD0"), u"\u4E2D");
  EXPECT_EQ(DecodeAll(PredefinedCMap::Find("/ETen-B5-H"), "\xA4\xA4"), u"\u4E2D");
  EXPECT_EQ(DecodeAll(PredefinedCMap::Find("/KSCms-UHC-H"), "\xC7\xD1"), u"\uD55C");
}

TEST(PredefinedCMapTest, UnicodeCMapsAreUtf16BigEndian) {
  PredefinedCMap map = PredefinedCMap::Find("/UniJIS-UCS2-H");
  ASSERT_EQ(map.GetKind(), PredefinedCMap::Kind::Utf16);
  EXPECT_EQ(DecodeAll(map, std::string("\x30\x42\0A", 4)), u"\u3042A");
  PredefinedCMap utf16 = PredefinedCMap::Find("/UniGB-UTF16-V");
  ASSERT_EQ(utf16.GetKind(), PredefinedCMap::Kind::Utf16);
  EXPECT_TRUE(utf16.IsVertical());
  int codes = 0;
  EXPECT_EQ(DecodeAll(utf16, std::string("\xD8\x3D\xDE\x00", 4), &codes), u"\U0001F600");
  EXPECT_EQ(codes, 1);
}

TEST(PredefinedCMapTest, NationalCharsetCMapsGoThroughIconv) {
  EXPECT_EQ(DecodeAll(PredefinedCMap::Find("/EUC-H"), "a\xA4\xA2"), u"a\u3042");
  EXPECT_EQ(DecodeAll(PredefinedCMap::Find("/H"), "\x24\x22"), u"\u3042"); // JIS X 0208
  EXPECT_EQ(DecodeAll(PredefinedCMap::Find("/GB-EUC-H"), "\xD6\xD0"), u"\u4E2D");
  EXPECT_EQ(DecodeAll(PredefinedCMap::Find("/GBKp-EUC-H"), "\x81\x40"), u"\u4E02");
  EXPECT_EQ(DecodeAll(PredefinedCMap::Find("/KSC-EUC-H"), "\xC7\xD1"), u"\uD55C");
  EXPECT_EQ(DecodeAll(PredefinedCMap::Find("/B5pc-H"), "\xA4\xA4"), u"\u4E2D");
}

TEST(PredefinedCMapTest, IdentityCodesAreTwoBytesWithoutText) {
  PredefinedCMap map = PredefinedCMap::Find("/Identity-H");
  ASSERT_EQ(map.GetKind(), PredefinedCMap::Kind::Identity);
  CharCode code = map.ReadCode(std::string("\x01\x02\x03", 3), 0);
  EXPECT_EQ(code.value, 0x0102u);
  EXPECT_EQ(code.length, 2);
  EXPECT_EQ(map.Text(code), u"");
  // The last odd byte is a code of its own.
  EXPECT_EQ(map.ReadCode(std::string("\x01\x02\x03", 3), 2).length, 1);
}

TEST(PredefinedCMapTest, UnknownNames) {
  EXPECT_EQ(PredefinedCMap::Find("/WinAnsiEncoding").GetKind(), PredefinedCMap::Kind::Unknown);
  EXPECT_EQ(PredefinedCMap::Find("").GetKind(), PredefinedCMap::Kind::Unknown);
}

} // namespace
} // namespace scrivlet::pdf
