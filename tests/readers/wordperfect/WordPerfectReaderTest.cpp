#include "readers/wordperfect/WordPerfectReader.h"
#include "core/CodePage.h"
#include "core/Exception.h"
#include "core/Stream.h"
#include "support/CompoundFileBuilder.h"
#include "support/ReaderHarness.h"
#include "support/TempDir.h"
#include "support/WordPerfectBuilder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using test::WordPerfectBuilder;

std::u16string Convert(const std::string& file, OutputFormat formating = OutputFormat::PlainText) {
  test::ReaderHarness<WordPerfectReader> reader;
  reader.SetTextFormating(formating);
  MemoryStream stream(file);
  reader.LoadFromStream(stream);
  EXPECT_EQ(reader.Lines().Count(), 1);
  return reader.Lines().Get(0);
}

// The body between prologue and epilogue.
std::u16string Body(const std::string& body, OutputFormat formating) {
  WordPerfectBuilder b;
  b.body = body;
  std::u16string all = Convert(b.Build(), formating);
  const std::u16string foot = EpilogueText(formating);
  size_t headEnd = formating == OutputFormat::Html  ? all.find(u"#FFFFFF\">\r\n") + 11
                   : formating == OutputFormat::Rtf ? all.find(u"}}\r\n") + 4
                                                    : 0;
  return all.substr(headEnd, all.size() - headEnd - foot.size());
}

std::string Failure(const std::string& file) {
  try {
    Convert(file);
  } catch (const Exception& e) {
    return e.Message();
  }
  return "no error";
}

TEST(WordPerfectText, ParagraphsAndAccentedLetters) {
  std::string body = "First\xCC"
                     "caf\x0F\x80"
                     "ok\xCCSecond\x87"
                     "a\x20"
                     "b\xCF"
                     "c\x84";
  EXPECT_EQ(Body(body, OutputFormat::PlainText), u"First\r\ncaf\u00e9 ok\r\nSecond\r\nab\r\nc-");
  EXPECT_EQ(Body("a\xCC"
                 "b",
                 OutputFormat::Html),
            u"a<p></p>\r\nb");
  EXPECT_EQ(Body("a\xCC"
                 "b",
                 OutputFormat::Rtf),
            u"a\r\n\\par b");
}

TEST(WordPerfectText, AttributesInEachFormatting) {
  std::string body = "x " + WordPerfectBuilder::Attribute(12, true) + "bold" +
                     WordPerfectBuilder::Attribute(12, false) +
                     WordPerfectBuilder::Attribute(5, true) + "2" +
                     WordPerfectBuilder::Attribute(5, false);
  EXPECT_EQ(Body(body, OutputFormat::Html), u"x<b>bold</b><sup>2</sup>");
  EXPECT_EQ(Body(body, OutputFormat::Rtf), u"x\\b bold\\b0 2");
  EXPECT_EQ(Body(body, OutputFormat::PlainText), u"xbold2");
}

TEST(WordPerfectText, SuppressionKeepsBreaksAndFonts) {
  std::string body = "shown" + WordPerfectBuilder::Suppress(true) + "hidden\xCC" +
                     WordPerfectBuilder::Group(0xDB, 0, "") +
                     WordPerfectBuilder::FontChange(1, 12) +
                     WordPerfectBuilder::Attribute(12, true) + "\xCF" +
                     WordPerfectBuilder::Suppress(false) + "again";
  EXPECT_EQ(Body(body, OutputFormat::PlainText), u"shown\r\n\r\nagain");
  EXPECT_EQ(Body(body, OutputFormat::Html), u"shown<p></p>\r\n<br>\r\n<font size=\"-1\">again");
}

TEST(WordPerfectText, FontChangesAndAlignment) {
  std::string fonts =
      WordPerfectBuilder::FontChange(3, 12) + "a" + WordPerfectBuilder::FontChange(4, 14) + "b";
  EXPECT_EQ(Body(fonts, OutputFormat::Html), u"<font size=\"-1\">a</font><font size=\"4\">b");
  EXPECT_EQ(Body(fonts, OutputFormat::Rtf), u"\\pard\\f3\\fs24 a\\pard\\f4\\fs28 b");
  std::string aligned =
      WordPerfectBuilder::Alignment(2) + "mid" + WordPerfectBuilder::Alignment(3) + "end";
  EXPECT_EQ(Body(aligned, OutputFormat::Html), u"<center><br>\r\nmid</center><right><br>\r\nend");
  EXPECT_EQ(Body(aligned, OutputFormat::Rtf), u"\\pard\\qc \r\nmid\\pard\\qr \r\nend");
  EXPECT_EQ(Body(aligned, OutputFormat::PlainText), u"\r\nmid\r\nend");
}

TEST(WordPerfectText, TheOneByteLettersOfCodes1To31) {
  std::string codes;
  for (char c = 1; c <= 31; ++c)
    codes += c;
  EXPECT_EQ(Body(codes, OutputFormat::PlainText),
            u"\u00e5\u00c5\u00e6\u00c6\u00e4\u00c4\u00e1\u00e0\u00e2\u00e3\u00c3\u00e7\u00c7"
            u"\u00eb\u00e9\u00c9\u00e8\u00ea\u00ed\u00f1\u00d1\u00f8\u00d8\u00f5\u00d5\u00f6"
            u"\u00d6\u00fc\u00dc\u00fa\u00f9");
  // Dutch words as a Dutch document writes them.
  EXPECT_EQ(Body("co\x0E"
                 "ffici\x0E"
                 "nt",
                 OutputFormat::PlainText),
            u"co\u00ebffici\u00ebnt");
}

TEST(WordPerfectText, SingleQuotesOpenAndClose) {
  std::string body = "APPENDIX\x80" + WordPerfectBuilder::Extended(29, 4) + "A" +
                     WordPerfectBuilder::Extended(28, 4);
  EXPECT_EQ(Body(body, OutputFormat::PlainText), u"APPENDIX 'A'");
}

TEST(WordPerfectText, TabGroupsAndExtendedCharacters) {
  std::string body = "a" + WordPerfectBuilder::Group(0xE0, 0x11, "", false) + "b" +
                     WordPerfectBuilder::Group(0xE0, 0x41, "", false) + "c" +
                     WordPerfectBuilder::Group(0xE0, 0xD9, "", false) + "d" +
                     WordPerfectBuilder::Extended(28, 4) + WordPerfectBuilder::Extended(31, 4) +
                     WordPerfectBuilder::Extended(52, 1) + WordPerfectBuilder::Extended(9, 9);
  EXPECT_EQ(Body(body, OutputFormat::PlainText), u"a\tb\tcd'\"\u00cf");
  EXPECT_EQ(Body(body, OutputFormat::Rtf), u"a\\pard\\tab b\\pard\\qc cd'\"\u00cf");
}

TEST(WordPerfectText, AlignmentAndFontStayOpenAcrossParagraphs) {
  std::string body = WordPerfectBuilder::Alignment(2) + WordPerfectBuilder::FontChange(1, 12) +
                     "a\xCC" + WordPerfectBuilder::Group(0xE0, 0x81, "", false) + "b\xCC" +
                     WordPerfectBuilder::Alignment(0) + WordPerfectBuilder::FontChange(1, 14) + "c";
  // The right tab names the tag the next alignment closes, which it never
  // opened.
  EXPECT_EQ(Body(body, OutputFormat::Html),
            u"<center><br>\r\n<font size=\"-1\">a<p></p>\r\nb<p></p>\r\n</right><left><br>\r\n"
            u"</font><font size=\"4\">c");
  EXPECT_EQ(Body(body, OutputFormat::Rtf), u"\\pard\\qc \r\n\\pard\\f1\\fs24 a\r\n\\par "
                                           u"\\pard\\qr b\r\n\\par \\pard\\ql \r\n"
                                           u"\\pard\\f1\\fs28 c");
  EXPECT_EQ(Body(body, OutputFormat::PlainText), u"\r\na\r\n\tb\r\n\r\nc");
}

TEST(WordPerfectText, IndentsAndBreaksOfEachKind) {
  std::string body = WordPerfectBuilder::Group(0xD2, 0, std::string("\0\0\x60\x09", 4)) + "a" +
                     WordPerfectBuilder::Group(0xD2, 1, std::string("\0\0\xB0\x04", 4)) +
                     WordPerfectBuilder::Group(0xD0, 9, "", false) + "b" +
                     WordPerfectBuilder::Group(0xD0, 2, "", false) + "c" +
                     WordPerfectBuilder::Group(0xDB, 0, "") + "d" +
                     WordPerfectBuilder::Group(0xD0, 5, "", false) + "e";
  EXPECT_EQ(Body(body, OutputFormat::Rtf),
            u"\\pard\\fi2 a\\pard\\ri1 \r\n\\page b\r\n\\line c\r\nd\r\n\\par e");
  EXPECT_EQ(Body(body, OutputFormat::Html), u"a<br>\r\nb<br>\r\nc<br>\r\nd<p></p>\r\ne");
  EXPECT_EQ(Body(body, OutputFormat::PlainText), u"a\r\nb\r\nc\r\nd\r\ne");
}

TEST(WordPerfectText, FailurePartWayLeavesTheListEmpty) {
  WordPerfectBuilder b;
  b.body = "read\xCCthen cut\xF2";
  test::ReaderHarness<WordPerfectReader> reader;
  reader.SetTextFormating(OutputFormat::Html);
  MemoryStream stream(b.Build());
  EXPECT_THROW(reader.LoadFromStream(stream), Exception);
  EXPECT_EQ(reader.Lines().Count(), 0);
}

// The document the reader fills, without any writer.
Document ReadDocument(const std::string& body, int textCodePage = 1252) {
  WordPerfectBuilder b;
  b.body = body;
  WordPerfectReader reader;
  ReaderOptions options;
  options.textCodePage = textCodePage;
  Document document;
  reader.Read(b.Build(), "test.wpd", options, document);
  return document;
}

TEST(WordPerfectDocument, ParagraphsEndAtTheirCodes) {
  Document document =
      ReadDocument("one\xCCtwo" + WordPerfectBuilder::Group(0xD0, 4, "", false) + "th\xCFree");
  EXPECT_EQ(document.markup, MarkupConvention::WordPerfect);
  EXPECT_FALSE(document.hasSummary);
  EXPECT_TRUE(document.textRead);
  const std::vector<Block>& blocks = document.Main().blocks;
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks[0].Text(), u"one");
  EXPECT_EQ(blocks[0].ending, 0xCC);
  EXPECT_EQ(blocks[1].Text(), u"two");
  EXPECT_EQ(blocks[1].ending, 0xD0);
  EXPECT_EQ(blocks[2].Text(), u"three");
  EXPECT_EQ(blocks[2].ending, 0); // the document's end
  ASSERT_EQ(blocks[2].content.size(), 3u);
  EXPECT_EQ(blocks[2].content[1].kind, InlineKind::LineBreak);
  EXPECT_EQ(blocks[2].content[1].value, 0);
}

// A line that a soft hyphen ends goes on in the same word; a line that
// word wrap ends is a line break.
TEST(WordPerfectDocument, SoftHyphenLineEndsKeepTheWord) {
  for (uint8_t subfunction : {20, 21, 22}) {
    Document document =
        ReadDocument("polygo" + WordPerfectBuilder::Group(0xD0, subfunction, "", false) + "nen");
    ASSERT_EQ(document.Main().blocks.size(), 1u);
    EXPECT_EQ(document.Main().blocks[0].Text(), u"polygonen") << int(subfunction);
  }
  Document wrapped = ReadDocument("one" + WordPerfectBuilder::Group(0xD0, 1, "", false) + "two");
  EXPECT_EQ(wrapped.Main().blocks[0].content[1].kind, InlineKind::LineBreak);
}

TEST(WordPerfectDocument, AttributesAreMarksWhereTheCodesStand) {
  Document document = ReadDocument("a" + WordPerfectBuilder::Attribute(12, true) + "b" +
                                   WordPerfectBuilder::Attribute(8, true) + "c" +
                                   WordPerfectBuilder::Attribute(12, false) + "d" +
                                   WordPerfectBuilder::Attribute(3, true) + "e");
  const std::vector<Inline>& pieces = document.Main().blocks.at(0).content;
  ASSERT_EQ(pieces.size(), 7u);
  EXPECT_EQ(pieces[0].marks, 0);
  EXPECT_EQ(pieces[1].kind, InlineKind::MarkOn);
  EXPECT_EQ(pieces[1].marks, kBold);
  EXPECT_EQ(pieces[2].text, u"b");
  EXPECT_EQ(pieces[2].marks, kBold);
  EXPECT_EQ(pieces[4].text, u"c");
  EXPECT_EQ(pieces[4].marks, kBold | kItalic);
  EXPECT_EQ(pieces[5].kind, InlineKind::MarkOff);
  // An attribute without a mark leaves no piece: "d" and "e" are one text.
  EXPECT_EQ(pieces[6].text, u"de");
  EXPECT_EQ(pieces[6].marks, kItalic);
}

TEST(WordPerfectDocument, FormatChangesArePieces) {
  Document document = ReadDocument(
      WordPerfectBuilder::Alignment(3) + WordPerfectBuilder::FontChange(4, 14) +
      WordPerfectBuilder::Group(0xE0, 0x41, "", false) + WordPerfectBuilder::Suppress(true) +
      WordPerfectBuilder::Alignment(2) + WordPerfectBuilder::Suppress(false));
  const std::vector<Inline>& pieces = document.Main().blocks.at(0).content;
  ASSERT_EQ(pieces.size(), 6u);
  EXPECT_EQ(pieces[0].kind, InlineKind::Alignment);
  EXPECT_EQ(pieces[0].value, 3);
  EXPECT_EQ(pieces[1].kind, InlineKind::LineBreak);
  EXPECT_EQ(pieces[1].value, 0xD3); // the paragraph group's own break
  EXPECT_EQ(pieces[2].kind, InlineKind::FontChange);
  EXPECT_EQ(document.characterStyles.at(pieces[2].style).fontNumber, 4);
  EXPECT_EQ(document.characterStyles.at(pieces[2].style).halfPoints, 28);
  EXPECT_EQ(pieces[3].kind, InlineKind::Tab);
  EXPECT_EQ(pieces[3].value, 0x41);
  // Suppressed text hides the alignment, not the change.
  EXPECT_EQ(pieces[4].kind, InlineKind::Alignment);
  EXPECT_EQ(pieces[4].value, -1);
}

TEST(WordPerfectDocument, EightBitLettersDecodeWithTheTextCodePage) {
  std::string body = "caf\x0F" + WordPerfectBuilder::Extended(52, 1);
  EXPECT_EQ(ReadDocument(body).Main().blocks.at(0).Text(), u"caf\u00e9\u00cf");
  EXPECT_EQ(ReadDocument(body, 1251).Main().blocks.at(0).Text(), u"caf\u0439\u041f");
}

// Each header fault says what is wrong, with the file's name: a damaged
// header is no password, a WordPerfect 5 file is named as one.
TEST(WordPerfectFiles, HeaderChecks) {
  WordPerfectBuilder encrypted;
  encrypted.encryption = 1;
  EXPECT_EQ(Failure(encrypted.Build()), "Could not read the password protected file");
  struct Case {
    const char* identification;
    uint8_t majorVersion;
    uint16_t encryption;
    const char* message;
  };
  const Case cases[] = {
      {"XXXX", 2, 1, "File t.wpd is not valid WordPerfect 6/7/8/9 document."},
      {"\xFFWPX", 2, 0, "File t.wpd is not valid WordPerfect 6/7/8/9 document."},
      {"\xFFWPC", 0x66, 0x785C, "File t.wpd is not valid WordPerfect 6/7/8/9 document."},
      {"\xFFWPC", 0, 0,
       "File t.wpd is a WordPerfect 5 document: only WordPerfect 6/7/8/9 documents are read."},
  };
  for (const Case& c : cases) {
    WordPerfectBuilder wrong;
    wrong.identification = c.identification;
    wrong.majorVersion = c.majorVersion;
    wrong.encryption = c.encryption;
    test::ReaderHarness<WordPerfectReader> named;
    named.SetFileName("t.wpd");
    MemoryStream bytes(wrong.Build());
    try {
      named.LoadFromStream(bytes);
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), c.message) << c.identification << int(c.majorVersion);
    }
  }
  test::ReaderHarness<WordPerfectReader> reader;
  MemoryStream stream(encrypted.Build());
  EXPECT_THROW(reader.LoadFromStream(stream), Exception);
  EXPECT_TRUE(reader.IsEncrypted());
}

TEST(WordPerfectCorpus, RealDocumentsConvert) {
  std::filesystem::path dir = std::filesystem::path(SCRIVLET_CORPUS_DIR) / "wpd";
  if (!std::filesystem::is_directory(dir))
    GTEST_SKIP() << "no corpus at " << dir;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    test::ReaderHarness<WordPerfectReader> reader;
    try {
      reader.LoadFromFile(entry.path().string());
      EXPECT_EQ(reader.Lines().Count(), 1);
    } catch (const Exception& e) {
      // WordPerfect 5 files are older than this reader's format.
      EXPECT_NE(e.Message().find("is a WordPerfect 5 document"), std::string::npos)
          << entry.path() << ": " << e.Message();
    }
  }
}

} // namespace
} // namespace scrivlet
