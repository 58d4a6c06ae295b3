#include "pdf/fonts/BaseEncoding.h"

#include <gtest/gtest.h>

namespace scrivlet::pdf {
namespace {

TEST(BaseEncodingTest, NamesInAnyCaseWithOrWithoutSlash) {
  EXPECT_EQ(BaseEncodingFromName("/WinAnsiEncoding"), BaseEncoding::WinAnsi);
  EXPECT_EQ(BaseEncodingFromName("winansiencoding"), BaseEncoding::WinAnsi);
  EXPECT_EQ(BaseEncodingFromName("/MacRomanEncoding"), BaseEncoding::MacRoman);
  EXPECT_EQ(BaseEncodingFromName("/StandardEncoding"), BaseEncoding::Standard);
  EXPECT_EQ(BaseEncodingFromName("/PDFDocEncoding"), BaseEncoding::PdfDoc);
  EXPECT_EQ(BaseEncodingFromName("/Identity-H"), BaseEncoding::None);
  EXPECT_EQ(BaseEncodingFromName(""), BaseEncoding::None);
}

TEST(BaseEncodingTest, WinAnsiCodes) {
  EXPECT_EQ(EncodedCharacter(BaseEncoding::WinAnsi, 0xE9), u'\u00E9');
  EXPECT_EQ(EncodedCharacter(BaseEncoding::WinAnsi, 0x80), u'\u20AC');
  EXPECT_EQ(EncodedCharacter(BaseEncoding::WinAnsi, 0x93), u'\u201C');
  EXPECT_EQ(EncodedCharacter(BaseEncoding::WinAnsi, 0x27), u'\'');
  EXPECT_EQ(EncodedCharacter(BaseEncoding::WinAnsi, 0xA0), u' ');
  EXPECT_EQ(EncodedCharacter(BaseEncoding::WinAnsi, 0x0A), 0);
}

TEST(BaseEncodingTest, MacRomanStandardPdfDocAndSymbolCodes) {
  EXPECT_EQ(EncodedCharacter(BaseEncoding::MacRoman, 0x8E), u'\u00E9');
  EXPECT_EQ(EncodedCharacter(BaseEncoding::MacRoman, 0xA7), u'\u00DF');
  EXPECT_EQ(EncodedCharacter(BaseEncoding::Standard, 0x27), u'\u2019');
  EXPECT_EQ(EncodedCharacter(BaseEncoding::Standard, 0xFB), u'\u00DF');
  EXPECT_EQ(EncodedCharacter(BaseEncoding::Standard, 0xE9), u'\u00D8');
  EXPECT_EQ(EncodedCharacter(BaseEncoding::Standard, 0x80), 0);
  EXPECT_EQ(EncodedCharacter(BaseEncoding::PdfDoc, 0xA0), u'\u20AC');
  EXPECT_EQ(EncodedCharacter(BaseEncoding::PdfDoc, 0x93), u'\uFB01');
  EXPECT_EQ(EncodedCharacter(BaseEncoding::Symbol, 'a'), u'\u03B1');
  EXPECT_EQ(EncodedCharacter(BaseEncoding::None, 'a'), 0);
}

} // namespace
} // namespace scrivlet::pdf
