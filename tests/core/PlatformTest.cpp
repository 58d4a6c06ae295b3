// The platform layer: code pages, streams, exceptions, dates, paths.
#include "core/CodePage.h"
#include "core/DateTime.h"
#include "core/Exception.h"
#include "core/Numbers.h"
#include "core/Process.h"
#include "core/Stream.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/stat.h>

namespace scrivlet {
namespace {

TEST(CodePage, SystemCodePageSetting) {
  EXPECT_EQ(SystemCodePage(), kDefaultSystemCodePage);
  EXPECT_FALSE(SetSystemCodePage(12345));
  EXPECT_EQ(SystemCodePage(), kDefaultSystemCodePage);
  EXPECT_TRUE(SetSystemCodePage(CP_UTF8));
  EXPECT_EQ(SystemCodePage(), CP_UTF8);
  EXPECT_EQ(LegacyTextCodePage(), 1252);
  EXPECT_TRUE(SetSystemCodePage(1251));
  EXPECT_EQ(LegacyTextCodePage(), 1251);
  SetSystemCodePage(kDefaultSystemCodePage);
}

TEST(CodePage, SettingNamesAndCharsets) {
  EXPECT_EQ(ParseCodePageSetting("utf-8"), CP_UTF8);
  EXPECT_EQ(ParseCodePageSetting("UTF8"), CP_UTF8);
  EXPECT_EQ(ParseCodePageSetting("65001"), CP_UTF8);
  EXPECT_EQ(ParseCodePageSetting("1251"), 1251);
  EXPECT_EQ(ParseCodePageSetting("932"), 932);
  EXPECT_EQ(ParseCodePageSetting("1200"), std::nullopt);
  EXPECT_EQ(ParseCodePageSetting("12345"), std::nullopt);
  EXPECT_EQ(ParseCodePageSetting("koi8"), std::nullopt);
  EXPECT_EQ(ParseCodePageSetting(""), std::nullopt);
  EXPECT_STREQ(CharsetName(CP_UTF8), "utf-8");
  EXPECT_STREQ(CharsetName(1251), "windows-1251");
  EXPECT_STREQ(CharsetName(932), "shift_jis");
}

TEST(CodePage, BuiltInTablesAgreeWithIconvBothWays) {
  for (int codePage :
       {437, 850, 852, 866, 874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258, 10000}) {
    std::string all;
    for (int b = 0; b < 256; ++b)
      all += static_cast<char>(b);
    std::u16string wide = AnsiToWide(all, codePage);
    ASSERT_EQ(wide.size(), 256u) << codePage;
    EXPECT_EQ(WideToAnsi(wide, codePage), all) << codePage;
  }
  EXPECT_EQ(AnsiToWide("\xC0\xFF", 1251), u"\u0410\u044F");
  EXPECT_EQ(WideToAnsi(u"\u0410\u20AC\u4E00", 1251), "\xC0\x88?");
  EXPECT_EQ(AnsiToWide("\xA5", 10000), u"\u2022");
}

TEST(CodePage, SingleByteCodePages) {
  EXPECT_EQ(AnsiToWide("\x80 caf\xe9", 1252), u"\u20ac caf\u00e9");
  EXPECT_EQ(AnsiToWide("\xc0\xff", 1251), u"\u0410\u044f");
  EXPECT_EQ(AnsiToWide("\xe0", 874), u"\u0e40");
  EXPECT_EQ(WideToAnsi(u"\u0410\u044f", 1251), "\xc0\xff");
  EXPECT_EQ(WideToAnsi(u"\u20ac", 1252), "\x80");
}

TEST(CodePage, BuiltInWindows1252AgreesWithIconv) {
  iconv_t cd = iconv_open("UTF-16LE", "CP1252");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  for (int b = 0; b < 256; ++b) {
    char in = static_cast<char>(b), out[4];
    char *inPtr = &in, *outPtr = out;
    size_t inLeft = 1, outLeft = sizeof out;
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
      EXPECT_EQ(AnsiToWide(std::string(1, in), 1252), std::u16string(1, char16_t(b))) << b;
      continue;
    }
    char16_t expected =
        static_cast<char16_t>(static_cast<uint8_t>(out[0]) | static_cast<uint8_t>(out[1]) << 8);
    EXPECT_EQ(AnsiToWide(std::string(1, in), 1252), std::u16string(1, expected)) << b;
  }
  iconv_close(cd);
}

TEST(CodePage, UnmappableCharactersBecomeQuestionMarks) {
  EXPECT_EQ(WideToAnsi(u"a\u4e2db", 1252), "a?b");
  EXPECT_EQ(WideToAnsi(u"\U0001F600", 1252), "?"); // one character, one mark
  EXPECT_EQ(WideToAnsi(u"x\u4e2d", 1251), "x?");
}

TEST(CodePage, EveryByteSurvivesARoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b)
    all += static_cast<char>(b);
  for (int cp : {1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 874})
    EXPECT_EQ(WideToAnsi(AnsiToWide(all, cp), cp), all) << cp;
}

TEST(CodePage, DoubleByteCodePages) {
  EXPECT_EQ(AnsiToWide("\x82\xa0", 932), u"\u3042"); // Shift-JIS hiragana a
  EXPECT_EQ(AnsiToWide("\xd6\xd0", 936), u"\u4e2d"); // GBK zhong
  EXPECT_EQ(AnsiToWide("\xb0\xa1", 949), u"\uac00"); // Korean ga
  EXPECT_EQ(AnsiToWide("\xa4\xa4", 950), u"\u4e2d"); // Big5 zhong
  EXPECT_EQ(WideToAnsi(u"\u4e2d", 936), "\xd6\xd0");
  EXPECT_EQ(WideToAnsi(u"a\u0416\u00e9", 932).substr(0, 1), "a");
  EXPECT_EQ(AnsiToWide("ab\x82", 932), u"ab?"); // a lead byte cut off at the end
  EXPECT_EQ(WideToAnsi(u"\u0e01", 936), "?");
  EXPECT_FALSE(AnsiToWide("\x88\x61", 1361).empty());
}

TEST(CodePage, Utf8AndUtf16) {
  EXPECT_EQ(WideToUtf8(u"a\u00e9\u4e2d\U0001F600"), "a\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80");
  EXPECT_EQ(WideToUtf8(std::u16string(1, u'\xD800')), "\xef\xbf\xbd");
  EXPECT_EQ(Utf8ToUtf16("a\xc3\xa9\xf0\x9f\x98\x80"), u"a\u00e9\U0001F600");
  EXPECT_EQ(Utf8ToUtf16("a\xff"
                        "b\xc3"),
            u"a\uFFFDb\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xc0\xaf"), u"/"); // overlong forms are taken at their value
}

TEST(Exceptions, FormatAndMessages) {
  EXPECT_EQ(Format("File %s is not found.", {"a.doc"}), "File a.doc is not found.");
  EXPECT_EQ(Format("%d%% of %s", {int64_t{50}, "x"}), "50% of x");
  EXPECT_EQ(Format("missing %s and %d", {"one"}), "missing one and %d");
  EXPECT_STREQ(ReadError().what(), "Stream read error");
  EXPECT_EQ(StrToInt("-12"), -12);
  EXPECT_EQ(StrToInt("+7"), 7);
  for (const char* bad : {"", "1x", "99999999999", "+-1", " 1"}) {
    try {
      StrToInt(bad);
      ADD_FAILURE() << bad;
    } catch (const ConversionError& e) {
      EXPECT_EQ(e.Message(), "'" + std::string(bad) + "' is not a valid integer value");
    }
  }
}

TEST(Streams, MemoryStreamReadsAndRefusesToReadPastTheEnd) {
  MemoryStream stream(std::string("\x01\x02\x03\x04\x05\x06\x07", 7));
  EXPECT_EQ(stream.ReadUInt16LE(), 0x0201);
  EXPECT_EQ(stream.ReadUInt32LE(), 0x06050403u);
  EXPECT_THROW(stream.ReadUInt16LE(), ReadError);
  stream.SetPosition(100);
  char byte;
  EXPECT_EQ(stream.Read(&byte, 1), 0u);
  EXPECT_THROW(stream.ReadBytes(1), ReadError);
  EXPECT_THROW(stream.Seek(-1, SeekOrigin::Begin), ReadError);
  stream.SetPosition(2);
  EXPECT_THROW(stream.ReadBytes(SIZE_MAX), ReadError); // no huge allocation
  EXPECT_EQ(stream.ReadRest(), std::string("\x03\x04\x05\x06\x07", 5));
  EXPECT_EQ(stream.ReadAllBytes().size(), 7u);
}

TEST(Streams, FileStream) {
  test::TempDir dir;
  std::string path = dir.Write("data.bin", "0123456789");
  FileStream file(path);
  EXPECT_EQ(file.Size(), 10);
  file.SetPosition(8);
  EXPECT_EQ(file.ReadRest(), "89");
  file.SetPosition(3);
  EXPECT_EQ(file.ReadBytes(2), "34");
  EXPECT_THROW(file.ReadBytes(6), ReadError);
  EXPECT_THROW(FileStream(dir.File("none")), FileOpenError);
  EXPECT_THROW(FileStream(dir.Path()), FileOpenError);
  if (geteuid() != 0) { // root reads everything
    chmod(path.c_str(), 0);
    EXPECT_THROW(FileStream{path}, FileOpenError);
  }
}

TEST(DateTimes, EncodeAndDecode) {
  OleDate value = 0;
  ASSERT_TRUE(TryEncodeDateTime({1899, 12, 30}, value));
  EXPECT_EQ(value, 0.0);
  ASSERT_TRUE(TryEncodeDateTime({2009, 5, 14, 10, 20, 30}, value));
  EXPECT_NEAR(value, 39947.43090277778, 1e-9);
  DateTimeFields f = DecodeDateTime(value);
  EXPECT_EQ(f.year, 2009);
  EXPECT_EQ(f.month, 5);
  EXPECT_EQ(f.day, 14);
  EXPECT_EQ(f.hour, 10);
  EXPECT_EQ(f.minute, 20);
  EXPECT_EQ(f.second, 30);
  EXPECT_FALSE(TryEncodeDateTime({2001, 2, 29}, value));
  EXPECT_TRUE(TryEncodeDateTime({2000, 2, 29}, value));
  EXPECT_EQ(DecodeDateTime(1e300).year, 0); // nonsense gives empty fields
}

TEST(DateTimes, DosDateAndTime) {
  uint16_t date = 0, time = 0;
  ASSERT_TRUE(FieldsToDosDateTime({2009, 5, 14, 10, 20, 31}, date, time));
  OleDate value = 0;
  ASSERT_TRUE(DosDateTimeToDateTime(date, time, value));
  DateTimeFields f = DecodeDateTime(value);
  EXPECT_EQ(f.second, 30); // two-second resolution
  EXPECT_FALSE(FieldsToDosDateTime({1979, 12, 31}, date, time));
  EXPECT_FALSE(FieldsToDosDateTime({2108, 1, 1}, date, time));
  EXPECT_FALSE(DosDateTimeToDateTime(0, 0, value)); // month 0
}

TEST(DateTimes, FileTimeToLocalTime) {
  setenv("TZ", "UTC", 1);
  tzset();
  DateTimeFields f;
  // 2000-01-01 00:00:00 UTC
  ASSERT_TRUE(FileTimeToLocalFields(125911584000000000ull, f));
  EXPECT_EQ(f.year, 2000);
  EXPECT_EQ(f.month, 1);
  EXPECT_EQ(f.day, 1);
  EXPECT_EQ(f.hour, 0);
}

TEST(Paths, ExtensionsAndExistence) {
  EXPECT_EQ(ExtractFileExt("c:\\docs\\report.doc"), ".doc");
  EXPECT_EQ(ExtractFileExt("dir.v2/readme"), "");
  EXPECT_EQ(ExtractFileExt("a.tar.gz"), ".gz");
  EXPECT_EQ(ChangeFileExt("/srv/cgi-bin/scrivlet.cgi", ".cfg"), "/srv/cgi-bin/scrivlet.cfg");
  EXPECT_EQ(ChangeFileExt("/opt/a.b/scrivlet", ".cfg"), "/opt/a.b/scrivlet.cfg");
  test::TempDir dir;
  EXPECT_TRUE(FileExists(dir.Write("x", "")));
  EXPECT_FALSE(FileExists(dir.Path()));
  EXPECT_FALSE(FileExists(dir.File("y")));
  EXPECT_FALSE(FileExists(""));
  EXPECT_FALSE(ExecutablePath().empty());
}

} // namespace
} // namespace scrivlet
