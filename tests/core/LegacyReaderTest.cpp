#include "core/LegacyReader.h"
#include "core/CodePage.h"
#include "core/Exception.h"
#include "core/Stream.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

std::string Ascii(const std::u16string& text) {
  return WideToAnsi(text, 1252);
}

// A reader that adds its stream's bytes as one text, to watch the contract.
class EchoReader : public LegacyReader {
public:
  void ParseStream(Stream& stream) override {
    LegacyReader::ParseStream(stream);
    AddText(AnsiToWide(stream.ReadRest()), OutputLines());
  }
  void LoadFromFile(const std::string& fileName) override { ParseFile(fileName); }
  using LegacyReader::AddText;
};

TEST(WideStrings, BoundsAndJoinedText) {
  TextLines list;
  EXPECT_EQ(list.Add(u"one"), 0);
  list.Insert(1, u"three");
  list.Insert(1, u"two");
  EXPECT_THROW(list.Insert(4, u"x"), ListIndexError);
  EXPECT_THROW(list.Insert(-1, u"x"), ListIndexError);
  try {
    list.Insert(list.Count() + 1, u"x");
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

TEST(WideStrings, GetTextUsesTheSystemCodePage) {
  TextLines list;
  list.Add(u"caf\u00e9 \u0416");
  EXPECT_EQ(list.GetText(), "caf\xc3\xa9 \xd0\x96\r\n"); // UTF-8 by default
  SetSystemCodePage(1252);
  EXPECT_EQ(list.GetText(), "caf\xe9 ?\r\n");
  SetSystemCodePage(kDefaultSystemCodePage);
}

TEST(ReaderBase, Defaults) {
  EchoReader reader;
  EXPECT_EQ(reader.About(), "1.5 (b34)");
  EXPECT_EQ(reader.TextFormating(), OutputFormat::PlainText);
  EXPECT_EQ(reader.MaxTextLength(), 0);
  EXPECT_EQ(reader.ParseItems().Bits(), 9);
  EXPECT_TRUE(reader.ConvertSysCharacters());
  EXPECT_FALSE(reader.IsEncrypted());
}

TEST(ReaderBase, MaxTextLengthKeepsOneCutEntry) {
  EchoReader reader;
  TextLines list;
  reader.AddText(u"one", list);
  reader.AddText(u"two", list);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_FALSE(reader.TextLimited());

  reader.SetMaxTextLength(10);
  TextLines limited;
  reader.AddText(u"eighteen character", limited);
  ASSERT_EQ(limited.Count(), 1);
  EXPECT_EQ(limited.Get(0), u"eighteen c");
  EXPECT_TRUE(reader.TextLimited());
  reader.AddText(u"more", limited);
  ASSERT_EQ(limited.Count(), 1);
  EXPECT_EQ(limited.Get(0), u"eighteen c");
}

TEST(ReaderBase, MaxTextLengthShortTextKeepsItsLineEnd) {
  EchoReader reader;
  reader.SetMaxTextLength(10);
  TextLines list;
  reader.AddText(u"abc", list);
  EXPECT_EQ(list.Get(0), u"abc\r\n");
  reader.AddText(u"defghij", list);
  EXPECT_EQ(list.Get(0), u"abc\r\n\r\ndef");
}

TEST(ReaderBase, MaxTextLengthAgreesWithJoiningTheWholeListEachTime) {
  // The joined entry is extended in place; it must give what joining the
  // whole list again on every call gives, at every limit.
  const std::u16string texts[] = {u"a", u"", u"longer line", u"\u0416\u4e2d", u"x\r\ny", u"end"};
  for (int limit = 1; limit < 40; ++limit) {
    EchoReader reader;
    reader.SetMaxTextLength(limit);
    TextLines list, reference;
    for (const auto& text : texts) {
      reader.AddText(text, list);
      reference.Add(text);
      std::u16string joined = reference.GetTextW();
      joined.resize(std::min<size_t>(joined.size(), static_cast<size_t>(limit)));
      reference.Clear();
      reference.Add(joined);
      ASSERT_EQ(list.Count(), 1);
      EXPECT_EQ(list.Get(0), reference.Get(0)) << limit;
    }
  }
}

TEST(ReaderBase, MaxTextLengthStaysLinearOnALongDocument) {
  // 200,000 paragraphs under a limit far above the text: joining the list
  // again on every call would copy about 2 * 10^11 characters.
  EchoReader reader;
  reader.SetMaxTextLength(100000000);
  TextLines list;
  for (int i = 0; i < 200000; ++i)
    reader.AddText(u"paragraph text", list);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Get(0).size(), 16u + 199999u * 18); // each entry and its CR LF, then CR LF
}

TEST(ReaderBase, MaxTextLengthKeepsCharactersOutsideTheCodePage) {
  EchoReader reader;
  reader.SetMaxTextLength(3);
  TextLines list;
  reader.AddText(u"\u0416\u4e2d\u05d0\u0e01", list);
  EXPECT_EQ(list.Get(0), u"\u0416\u4e2d\u05d0");
}

TEST(ReaderBase, PrologueAndEpilogueBytes) {
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

TEST(ReaderBase, RtfCreationTimeAtMidnightHasNoHourAndMinute) {
  std::string rtf =
      Ascii(PrologueText(OutputFormat::Rtf, 1252, DateTimeFields{2001, 12, 31, 0, 0, 0, 0}));
  EXPECT_NE(rtf.find("{\\creatim\\yr2001\\mo12\\dy31}"), std::string::npos);
  rtf = Ascii(PrologueText(OutputFormat::Rtf, 1252, DateTimeFields{2001, 12, 31, 0, 0, 1, 0}));
  EXPECT_NE(rtf.find("{\\creatim\\yr2001\\mo12\\dy31\\hr0\\min0}"), std::string::npos);
}

TEST(ReaderBase, TextEventsRewriteProloguesAndEpilogues) {
  EchoReader reader;
  reader.SetTextFormating(OutputFormat::Html);
  reader.OnBeforeText = [](LegacyReader&, std::u16string& text) { text.clear(); };
  reader.OnAfterText = [](LegacyReader&, std::u16string& text) { text += u"!"; };
  EXPECT_EQ(reader.GetHeaderText(), u"");
  EXPECT_EQ(reader.GetFooterText(), u"\r\n</body>\r\n</html>!");
  EXPECT_NE(Ascii(EchoReader().GetHeaderText()), "x"); // no handler: untouched
}

TEST(ReaderBase, BlobStreamSkipsTheBdocHeader) {
  EchoReader reader;
  MemoryStream blob(std::string("BDOC") + std::string(8, '\0') + "body");
  reader.LoadFromBlobStream(blob);
  EXPECT_EQ(reader.Lines().Get(0), u"body");

  MemoryStream plain("plain text stream");
  reader.LoadFromBlobStream(plain);
  ASSERT_EQ(reader.Lines().Count(), 1); // ParseStream cleared the first result
  EXPECT_EQ(reader.Lines().Get(0), u"plain text stream");

  MemoryStream shortStream("BDOC");
  EXPECT_THROW(reader.LoadFromBlobStream(shortStream), ReadError);
}

TEST(ReaderBase, LoadFromFileChecksExistence) {
  test::TempDir dir;
  EchoReader reader;
  std::string missing = dir.File("missing.doc");
  try {
    reader.LoadFromFile(missing);
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "File " + missing + " is not found.");
  }
  // A directory is not a document file.
  EXPECT_THROW(reader.LoadFromFile(dir.Path()), Exception);

  reader.LoadFromFile(dir.Write("here.txt", "contents"));
  EXPECT_EQ(reader.Lines().Get(0), u"contents");
}

} // namespace
} // namespace scrivlet
