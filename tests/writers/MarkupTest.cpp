#include "writers/Markup.h"
#include "core/CodePage.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

std::string Ascii(const std::u16string& text) {
  return WideToAnsi(text, 1252);
}

TEST(Markup, PrologueAndEpilogueOfEachFormat) {
  DateTimeFields t{2026, 3, 4, 5, 6, 7, 0};
  EXPECT_EQ(PrologueText(OutputFormat::PlainText, 1252, t), u"");
  EXPECT_EQ(Ascii(PrologueText(OutputFormat::Rtf, 1252, t)),
            "{\\rtf1\\ansi\\ansicpg1252\\uc1\r\n"
            "{\\*\\generator Quorvane Word Document Parser;}"
            "{\\info{\\operator Quorvane Word Document Parser}"
            "{\\*\\company Quorvane Software}"
            "{\\creatim\\yr2026\\mo3\\dy4\\hr5\\min6}"
            "{\\title Quorvane Word Document Parser}}\r\n");
  EXPECT_EQ(Ascii(PrologueText(OutputFormat::Html, 1251, t)),
            "<html>\r\n<head>\r\n<meta http-equiv=\"Content-Type\"\r\n"
            "content=\"text/html; charset=windows-1251\">\r\n"
            "<meta name=\"GENERATOR\" content=\"Quorvane Word Document Parser\">\r\n"
            "<title>Quorvane Word Document Parser</title>\r\n</head>\r\n\r\n"
            "<body bgcolor=\"#FFFFFF\">\r\n");
  EXPECT_EQ(EpilogueText(OutputFormat::PlainText), u"");
  EXPECT_EQ(EpilogueText(OutputFormat::Rtf), u"\r\n}");
  EXPECT_EQ(EpilogueText(OutputFormat::Html), u"\r\n</body>\r\n</html>");
}

TEST(Markup, RtfCreationTimeAtMidnightHasNoHourAndMinute) {
  std::string rtf =
      Ascii(PrologueText(OutputFormat::Rtf, 1252, DateTimeFields{2001, 12, 31, 0, 0, 0, 0}));
  EXPECT_NE(rtf.find("{\\creatim\\yr2001\\mo12\\dy31}"), std::string::npos);
  rtf = Ascii(PrologueText(OutputFormat::Rtf, 1252, DateTimeFields{2001, 12, 31, 0, 0, 1, 0}));
  EXPECT_NE(rtf.find("{\\creatim\\yr2001\\mo12\\dy31\\hr0\\min0}"), std::string::npos);
}

} // namespace
} // namespace scrivlet
