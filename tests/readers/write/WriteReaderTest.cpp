#include "readers/write/WriteReader.h"
#include "core/CodePage.h"
#include "core/Exception.h"
#include "core/Stream.h"
#include "support/ReaderHarness.h"
#include "support/TempDir.h"
#include "support/WriteBuilder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>

namespace scrivlet {
namespace {

using test::WriteBuilder;
using test::WriteCharProps;

std::string Convert(const std::string& file, OutputFormat formating = OutputFormat::PlainText,
                    int* entries = nullptr) {
  test::ReaderHarness<WriteReader> reader;
  reader.SetTextFormating(formating);
  MemoryStream stream(file);
  reader.LoadFromStream(stream);
  if (entries)
    *entries = reader.Lines().Count();
  return WideToAnsi(reader.Lines().Get(0));
}

// The body of an RTF or HTML conversion, without prologue and epilogue.
std::string Body(const std::string& file, OutputFormat formating) {
  std::string all = Convert(file, formating);
  std::string foot = WideToAnsi(EpilogueText(formating));
  size_t headEnd =
      formating == OutputFormat::Html ? all.find("#FFFFFF\">\r\n") + 11 : all.find("}}\r\n") + 4;
  EXPECT_TRUE(all.ends_with(foot));
  return all.substr(headEnd, all.size() - headEnd - foot.size());
}

WriteBuilder HelloDocument() {
  WriteBuilder b;
  b.text = "Hello\r\n";
  b.AddRun(7);
  b.AddParagraph(7);
  b.AddFont(0x10, "Arial");
  return b;
}

TEST(HtmlFontSizes, PointsToSizeValues) {
  EXPECT_EQ(HtmlFontSize(5), "-1");
  EXPECT_EQ(HtmlFontSize(6), "1");
  EXPECT_EQ(HtmlFontSize(9), "2");
  EXPECT_EQ(HtmlFontSize(12), "-1");
  EXPECT_EQ(HtmlFontSize(14), "4");
  EXPECT_EQ(HtmlFontSize(23), "5");
  EXPECT_EQ(HtmlFontSize(35), "6");
  EXPECT_EQ(HtmlFontSize(36), "-1");
}

TEST(WriteReader, DefaultPropertiesInEachFormatting) {
  std::string file = HelloDocument().Build();
  int entries = 0;
  EXPECT_EQ(Convert(file, OutputFormat::PlainText, &entries), "Hello\r\n");
  EXPECT_EQ(entries, 1);
  EXPECT_EQ(Body(file, OutputFormat::Html),
            "<p><font face=\"Arial\" size=\"-1\">Hello\r</font></p>");
  EXPECT_EQ(Body(file, OutputFormat::Rtf), "\\par \\pard\\f0\\fs24 \\fs24 Hello\r\r\n");
}

TEST(WriteReader, BoldRunBetweenPlainRuns) {
  WriteBuilder b;
  b.text = "one two three\r\n";
  WriteCharProps bold;
  bold.bold = true;
  b.AddRun(4);
  b.AddRun(7, bold.Bytes());
  b.AddRun(15);
  b.AddParagraph(15);
  b.AddFont(0, "Times");
  EXPECT_EQ(Body(b.Build(), OutputFormat::Html),
            "<p><font face=\"Times\" size=\"-1\">one </font>"
            "<font face=\"Times\" size=\"-1\"><b>two</b></font>"
            "<font face=\"Times\" size=\"-1\"> three\r</font></p>");
  EXPECT_EQ(Body(b.Build(), OutputFormat::Rtf), "\\par \\pard\\f0\\fs24 \\fs24 one "
                                                "\\pard\\f0\\fs24 \\fs24 \\b two\\b0 "
                                                "\\pard\\f0\\fs24 \\fs24  three\r\r\n");
  EXPECT_EQ(Convert(b.Build()), "one two three\r\n");
}

// A vertical tab is a line break, in the document and in plain text; with
// the control characters kept it stays.
TEST(WriteReader, VerticalTabIsALineBreak) {
  WriteBuilder b;
  b.text = "one\vtwo\r\n";
  b.AddRun(10);
  b.AddParagraph(10);
  b.AddFont(0, "Times");
  EXPECT_EQ(Convert(b.Build()), "one\r\ntwo\r\n");
  test::ReaderHarness<WriteReader> raw;
  raw.SetConvertSysCharacters(false);
  MemoryStream stream(b.Build());
  raw.LoadFromStream(stream);
  EXPECT_EQ(WideToAnsi(raw.Lines().Get(0)), "one\vtwo\r\n");
}

TEST(WriteReader, AttributesSizesAndPositions) {
  WriteBuilder b;
  b.text = "ab\r\n";
  WriteCharProps sub, sup;
  sub.position = 6;
  sub.italic = sub.underline = true;
  sub.halfPoints = 28;
  sup.position = 250;
  sup.halfPoints = 0;
  b.AddRun(1, sub.Bytes());
  b.AddRun(4, sup.Bytes());
  b.AddParagraph(4);
  b.AddFont(0, "F");
  EXPECT_EQ(Body(b.Build(), OutputFormat::Html),
            "<p><font face=\"F\" size=\"4\"><i><u><sub>a</i></u></sub></font>"
            "<font face=\"F\"><sup>b\r</sup></font></p>");
  EXPECT_EQ(Body(b.Build(), OutputFormat::Rtf),
            "\\par \\pard\\f0\\fs28 \\fs28 \\i \\ul a\\i0 \\ul0 "
            "\\pard\\f0\\fs0 b\r\r\n");
  EXPECT_EQ(Convert(b.Build()), "ab\r\n");
}

TEST(WriteReader, RunningHeadsAndPicturesGiveNoText) {
  WriteBuilder b;
  b.text = "head\r\npic\r\nbody\r\n";
  b.AddRun(17);
  b.AddParagraph(6, WriteBuilder::ParagraphFlags(0x02));
  b.AddParagraph(11, WriteBuilder::ParagraphFlags(0x10));
  b.AddParagraph(17, WriteBuilder::ParagraphFlags(0x01));
  b.AddFont(0, "F");
  EXPECT_EQ(Convert(b.Build()), "body\r\n");
  EXPECT_EQ(Body(b.Build(), OutputFormat::Html),
            "<p></p><p></p><p><font face=\"F\" size=\"-1\">body\r</font></p>");
}

TEST(WriteReader, RunEndingAtTheParagraphStartIsEmittedEmpty) {
  WriteBuilder b;
  b.text = "a\r\nb\r\n";
  b.AddRun(3);
  b.AddRun(6);
  b.AddParagraph(3);
  b.AddParagraph(6);
  b.AddFont(0, "F");
  EXPECT_EQ(Body(b.Build(), OutputFormat::Html),
            "<p><font face=\"F\" size=\"-1\">a\r</font></p>"
            "<p><font face=\"F\" size=\"-1\"></font><font face=\"F\" size=\"-1\">b\r</font></p>");
  EXPECT_EQ(Convert(b.Build()), "a\r\nb\r\n");
}

TEST(WriteReader, FontIndexIsClampedToTheList) {
  WriteBuilder b;
  b.text = "x\r\n";
  WriteCharProps nine;
  nine.font = 9;
  b.AddRun(3, nine.Bytes());
  b.AddParagraph(3);
  b.AddFont(0, "A");
  b.AddFont(0, "B");
  b.AddFont(0, "C");
  EXPECT_EQ(Body(b.Build(), OutputFormat::Html), "<p><font face=\"C\" size=\"-1\">x\r</font></p>");
  EXPECT_EQ(Body(b.Build(), OutputFormat::Rtf), "\\par \\pard\\f2\\fs24 \\fs24 x\r\r\n");

  WriteCharProps high;
  high.font = 200; // bits 6-7 from property byte 5
  b.runs.clear();
  b.AddRun(3, high.Bytes());
  for (int i = 3; i < 201; ++i)
    b.AddFont(0, std::string("N").append(std::to_string(i)));
  b.entriesPerPage = 4;
  EXPECT_EQ(Body(b.Build(), OutputFormat::Html),
            "<p><font face=\"N200\" size=\"-1\">x\r</font></p>");
}

TEST(WriteReader, NoFontsGivesAnEmptyFace) {
  WriteBuilder b = HelloDocument();
  b.fonts.clear();
  EXPECT_EQ(Body(b.Build(), OutputFormat::Html),
            "<p><font face=\"\" size=\"-1\">Hello\r</font></p>");
  EXPECT_EQ(Body(b.Build(), OutputFormat::Rtf), "\\par \\pard\\f-1\\fs24 \\fs24 Hello\r\r\n");
  b.withFontTable = false;
  EXPECT_EQ(Convert(b.Build()), "Hello\r\n");
}

TEST(WriteReader, FontTableContinuesOnTheNextPage) {
  WriteBuilder b = HelloDocument();
  b.AddFont(0x20, "Courier");
  b.continueFontTableAfterFirst = true;
  test::ReaderHarness<WriteReader> reader;
  MemoryStream stream(b.Build());
  reader.LoadFromStream(stream);
  ASSERT_EQ(reader.Inner().Fonts().size(), 2u);
  EXPECT_EQ(reader.Inner().Fonts()[0].FontName, "Arial");
  EXPECT_EQ(reader.Inner().Fonts()[1].FontName, "Courier");
  EXPECT_EQ(reader.Inner().Fonts()[1].FontFamily, 0x20);
}

TEST(WriteReader, FontEntryReachingTheEndStopsTheTable) {
  std::string file = HelloDocument().Build();
  file.resize(file.size() - 128); // the entry of "Arial" now ends at the last byte
  test::ReaderHarness<WriteReader> reader;
  MemoryStream stream(file);
  reader.LoadFromStream(stream);
  EXPECT_EQ(reader.Inner().Fonts().size(), 1u);
  file.resize(file.size() - 120);
  MemoryStream shorter(file);
  reader.LoadFromStream(shorter);
  EXPECT_TRUE(reader.Inner().Fonts().empty());
}

TEST(WriteReader, ParagraphCutInsideALineKeepsItsLastByte) {
  WriteBuilder b;
  b.text = "the debugger\r\n";
  b.AddRun(14);
  b.AddParagraph(5); // ends after "the d"
  b.AddParagraph(14);
  EXPECT_EQ(Convert(b.Build()), "the debugger\r\n");
}

TEST(WriteReader, FormFeedsBecomeLineFeeds) {
  WriteBuilder b;
  b.text = "a\fb\r\n";
  b.AddRun(5);
  b.AddParagraph(5);
  EXPECT_EQ(Convert(b.Build()), "a\nb\r\n");
}

TEST(WriteReader, ManyParagraphsAcrossPages) {
  WriteBuilder b;
  std::string expected;
  for (int i = 0; i < 100; ++i) {
    std::string line = "line " + std::to_string(i) + "\r\n";
    b.text += line;
    expected += line; // the paragraph mark CR LF ends the plain line
    if (i % 3 == 0) {
      WriteCharProps bold;
      bold.bold = true;
      b.AddRun(b.text.size() - 3, bold.Bytes());
    }
    b.AddRun(b.text.size());
    b.AddParagraph(b.text.size());
  }
  b.entriesPerPage = 7;
  EXPECT_EQ(Convert(b.Build()), expected);
}

TEST(WriteReader, WithoutTextItemTheListStaysEmpty) {
  test::ReaderHarness<WriteReader> reader;
  reader.SetParseItems({ContentItem::Summary});
  MemoryStream stream(HelloDocument().Build());
  reader.LoadFromStream(stream);
  EXPECT_EQ(reader.Lines().Count(), 0);
}

TEST(WriteReader, MisplacedPagesFailWithFcFirstWrong) {
  WriteBuilder b = HelloDocument();
  std::string file = b.Build();
  file[b.FirstCharPage() * 128] += 1; // character page's fcFirst off by one
  try {
    Convert(file);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "fcFirst wrong");
  }
  file = b.Build();
  file[(b.FirstCharPage() + 1) * 128] += 1; // paragraph page
  EXPECT_THROW(Convert(file), Exception);

  // A paragraph limit that goes backwards is damage of the same kind.
  WriteBuilder back = HelloDocument();
  back.paragraphs = {{130, std::nullopt}, {129, std::nullopt}, {135, std::nullopt}};
  EXPECT_THROW(Convert(back.Build()), Exception);
}

TEST(WriteReader, DamagedFilesRaiseReadErrors) {
  std::string file = HelloDocument().Build();
  EXPECT_THROW(Convert(file.substr(0, 100)), ReadError);      // no whole header page
  EXPECT_THROW(Convert(file.substr(0, 130)), ReadError);      // text cut off
  EXPECT_THROW(Convert(file.substr(0, 256 + 64)), ReadError); // property pages cut
  std::string farText = file;
  farText[17] = 0x7F; // text end far past the file end
  EXPECT_THROW(Convert(farText), ReadError);
  std::string farPages = file;
  farPages[18] = '\xFF'; // paragraph page beyond the file
  farPages[19] = '\xFF';
  EXPECT_THROW(Convert(farPages), ReadError);
}

TEST(WriteReader, AnRtfFileUnderTheExtensionSaysWhatItIs) {
  test::ReaderHarness<WriteReader> reader;
  reader.SetFileName("readme.wri");
  MemoryStream stream(std::string("{\\rtf1\\ansi\\ansicpg1252 Some text}") + std::string(300, ' '));
  try {
    reader.LoadFromStream(stream);
    ADD_FAILURE() << "read";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(), "File readme.wri is an RTF document, not a Write document");
  }
}

TEST(WriteReader, FullEntryCountsOnShortPagesStayOnThePage) {
  WriteBuilder b = HelloDocument();
  std::string file = b.Build();
  file[b.FirstCharPage() * 128 + 127] = '\xFF'; // 255 runs claimed
  file[(b.FirstCharPage() + 1) * 128 + 127] = '\xFF';
  EXPECT_NO_FATAL_FAILURE({
    try {
      Convert(file);
    } catch (const Exception&) {
    }
  });
}

TEST(WriteReader, LoadsFromFile) {
  test::TempDir dir;
  test::ReaderHarness<WriteReader> reader;
  reader.LoadFromFile(dir.Write("a.wri", HelloDocument().Build()));
  EXPECT_EQ(reader.Lines().Get(0), u"Hello\r\n");
  EXPECT_THROW(reader.LoadFromFile(dir.File("none.wri")), Exception);
}

// The document the reader fills, without any writer.
Document ReadDocument(const std::string& file, int textCodePage = 1252) {
  WriteReader reader;
  ReaderOptions options;
  options.textCodePage = textCodePage;
  Document document;
  reader.Read(file, "test.wri", options, document);
  return document;
}

TEST(WriteDocument, RunsArePiecesWithMarksAndCharacterStyles) {
  WriteBuilder b;
  b.text = "one two three\r\n";
  WriteCharProps bold, raised;
  bold.bold = true;
  raised.font = 1;
  raised.halfPoints = 20;
  raised.position = 200;
  b.AddRun(4);
  b.AddRun(7, bold.Bytes());
  b.AddRun(10, raised.Bytes());
  b.AddRun(15);
  b.AddParagraph(15);
  b.AddFont(0, "Times");
  b.AddFont(0, "Arial");
  Document document = ReadDocument(b.Build());
  EXPECT_EQ(document.markup, MarkupConvention::Write);
  EXPECT_FALSE(document.hasSummary);
  ASSERT_EQ(document.Main().blocks.size(), 1u);
  const std::vector<Inline>& pieces = document.Main().blocks[0].content;
  ASSERT_EQ(pieces.size(), 5u);
  EXPECT_EQ(pieces[0].text, u"one ");
  EXPECT_EQ(pieces[1].text, u"two");
  EXPECT_EQ(pieces[1].marks, kBold);
  EXPECT_EQ(pieces[2].text, u" th");
  EXPECT_EQ(pieces[2].marks, kSuperscript);
  EXPECT_EQ(pieces[3].text, u"ree"); // the paragraph mark's CR is a piece of its own
  EXPECT_EQ(pieces[4].kind, InlineKind::ParagraphEnd);
  EXPECT_EQ(document.Main().blocks[0].Text(), u"one two three");
  // Runs of the same font, size and position share their style.
  EXPECT_EQ(pieces[0].style, pieces[1].style);
  EXPECT_EQ(pieces[0].style, pieces[3].style);
  const CharacterStyle& plain = document.characterStyles.at(pieces[0].style);
  EXPECT_EQ(plain.fontName, u"Times");
  EXPECT_EQ(plain.fontNumber, 0);
  EXPECT_EQ(plain.halfPoints, 24);
  const CharacterStyle& high = document.characterStyles.at(pieces[2].style);
  EXPECT_EQ(high.fontName, u"Arial");
  EXPECT_EQ(high.halfPoints, 20);
  EXPECT_EQ(high.position, 200);
}

TEST(WriteDocument, TextAndFontNamesDecodeWithTheTextCodePage) {
  WriteBuilder b;
  b.text = "caf\xE9\r\n";
  b.AddRun(b.text.size());
  b.AddParagraph(b.text.size());
  b.AddFont(0, "\xC0rial");
  Document western = ReadDocument(b.Build());
  EXPECT_EQ(western.Main().blocks[0].Text(), u"caf\u00e9");
  EXPECT_EQ(western.characterStyles.at(1).fontName, u"\u00c0rial");
  Document cyrillic = ReadDocument(b.Build(), 1251);
  EXPECT_EQ(cyrillic.Main().blocks[0].Text(), u"caf\u0439");
  EXPECT_EQ(cyrillic.characterStyles.at(1).fontName, u"\u0410rial");
}

TEST(WriteReader, ParagraphMarkStaysInsideItsRun) {
  // The run boundary between CR and LF: the CR closes the first run, and
  // the second run, which only holds the left-out LF, is written empty.
  WriteBuilder b;
  b.text = "ab\r\n";
  b.AddRun(3);
  b.AddRun(4);
  b.AddParagraph(4);
  b.AddFont(0, "F");
  EXPECT_EQ(Body(b.Build(), OutputFormat::Html),
            "<p><font face=\"F\" size=\"-1\">ab\r</font><font face=\"F\" size=\"-1\"></font></p>");
  EXPECT_EQ(Body(b.Build(), OutputFormat::Rtf),
            "\\par \\pard\\f0\\fs24 \\fs24 ab\r\\pard\\f0\\fs24 \\fs24 \r\n");
  EXPECT_EQ(Convert(b.Build()), "ab\r\n");
}

TEST(WriteReader, FailurePartWayLeavesTheListEmpty) {
  // The second paragraph page is damaged after the first page's paragraphs
  // were read: as before, no text and no prologue.
  WriteBuilder b;
  b.text = "one\r\ntwo\r\n";
  b.AddRun(b.text.size());
  b.AddParagraph(5);
  b.AddParagraph(10);
  b.entriesPerPage = 1;
  std::string file = b.Build();
  file[(b.FirstCharPage() + 2) * 128] += 1;
  test::ReaderHarness<WriteReader> reader;
  reader.SetTextFormating(OutputFormat::Html);
  MemoryStream stream(file);
  EXPECT_THROW(reader.LoadFromStream(stream), Exception);
  EXPECT_EQ(reader.Lines().Count(), 0);
  Document document;
  EXPECT_THROW(WriteReader().Read(file, "test.wri", ReaderOptions(), document), Exception);
  EXPECT_FALSE(document.textRead);
  EXPECT_EQ(document.Main().blocks.size(), 1u); // what was read stays
}

// Real Write files from the shared corpus, when it is there: every file
// converts in each formatting, and known passages come out whole.
TEST(WriteCorpus, RealFilesConvert) {
  std::filesystem::path dir = std::filesystem::path(SCRIVLET_CORPUS_DIR) / "wri";
  if (!std::filesystem::is_directory(dir))
    GTEST_SKIP() << "no corpus at " << dir;
  const std::map<std::string, std::string> passages = {
      {"DOS-CODE_Readme.wri", "the debugger not displaying program source code correctly"},
      {"fc_testWindowsWrite.wri", "\r\nSluwe Sjaantje sloeg de slome slager."},
      {"IPARTY_LICENSE.WRI", "INTEL SOFTWARE LICENSE AGREEMENT"},
      {"poi_MSWriteOld.wri", "Security Related Network Functions"},
      {"tika_testMSWriteFile.wri", "ISO/IEC JTC1/SC18/WG8 Document Register"},
  };
  int converted = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    test::ReaderHarness<WriteReader> reader;
    for (OutputFormat f : {OutputFormat::Html, OutputFormat::Rtf, OutputFormat::PlainText}) {
      reader.SetTextFormating(f);
      EXPECT_NO_THROW(reader.LoadFromFile(entry.path().string())) << entry.path();
      EXPECT_EQ(reader.Lines().Count(), 1) << entry.path();
    }
    auto passage = passages.find(entry.path().filename().string());
    if (passage != passages.end()) {
      EXPECT_NE(WideToAnsi(reader.Lines().Get(0)).find(passage->second), std::string::npos)
          << entry.path();
    }
    ++converted;
  }
  EXPECT_GT(converted, 0);
}

// Damaged files of the corpus fail with a message, never a crash.
TEST(WriteCorpus, BrokenFilesFailCleanly) {
  std::filesystem::path dir = std::filesystem::path(SCRIVLET_CORPUS_DIR) / "broken";
  if (!std::filesystem::is_directory(dir))
    GTEST_SKIP() << "no corpus at " << dir;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    test::ReaderHarness<WriteReader> reader;
    reader.SetTextFormating(OutputFormat::Html);
    try {
      reader.LoadFromFile(entry.path().string());
    } catch (const Exception& e) {
      EXPECT_FALSE(e.Message().empty());
    }
  }
}

} // namespace
} // namespace scrivlet
