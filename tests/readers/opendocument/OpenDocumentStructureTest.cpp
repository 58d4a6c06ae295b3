// The structure the OpenDocument readers give: headings, lists, tables,
// notes, annotations, marks, links and slides.
#include "core/Stream.h"
#include "document/StructuredBlocks.h"
#include "readers/opendocument/OpenDocumentReader.h"
#include "support/OpenDocumentBuilder.h"
#include "support/ReaderHarness.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using test::OpenDocumentBuilder;

Document Read(const OpenDocumentBuilder& package) {
  ReaderOptions options;
  options.items = {ContentItem::Text};
  Document document;
  if (package.presentation) {
    OpenDocumentPresentationReader reader;
    reader.Read(package.Build(), "test.odp", options, document);
  } else {
    OpenDocumentTextReader reader;
    reader.Read(package.Build(), "test.odt", options, document);
  }
  return document;
}

std::vector<Block> Structure(const OpenDocumentBuilder& package) {
  return StructuredBlocks(Read(package).Main());
}

// The lines of the plain described output between prologue and epilogue.
std::vector<std::u16string> PlainBody(const OpenDocumentBuilder& package) {
  test::ReaderHarness<OpenDocumentTextReader> reader;
  MemoryStream stream(package.Build());
  reader.LoadFromStream(stream);
  std::vector<std::u16string> lines;
  for (int i = 1; i + 1 < reader.Lines().Count(); ++i)
    lines.push_back(reader.Lines().Get(i));
  return lines;
}

const Inline* PieceWithText(const Block& block, std::u16string_view text) {
  for (const Inline& piece : block.content)
    if (piece.kind == InlineKind::Text && piece.text == text)
      return &piece;
  return nullptr;
}

TEST(OpenDocumentStructure, HeadingsOfEveryLevel) {
  OpenDocumentBuilder package;
  for (int level = 1; level <= 9; ++level)
    package.body += "<text:h text:outline-level=\"" + std::to_string(level) + "\">Level " +
                    std::to_string(level) + "</text:h>";
  package.body += "<text:h>Plain</text:h><text:h text:outline-level=\"10\">Deep</text:h>"
                  "<text:p text:style-name=\"Heading_20_1\">Body</text:p>";
  std::vector<Block> blocks = Structure(package);
  ASSERT_EQ(blocks.size(), 12u);
  for (int level = 1; level <= 9; ++level) {
    EXPECT_EQ(blocks[level - 1].kind, BlockKind::Heading);
    EXPECT_EQ(blocks[level - 1].level, level);
    EXPECT_EQ(blocks[level - 1].Text(), u"Level " + std::u16string(1, u'0' + level));
  }
  EXPECT_EQ(blocks[9].level, 1); // no level: the first
  EXPECT_EQ(blocks[10].level, 9);
  EXPECT_EQ(blocks[11].kind, BlockKind::Paragraph);
  // The described output shows headings as it shows paragraphs.
  EXPECT_EQ(PlainBody(package)[0], u"Level 1");
}

TEST(OpenDocumentStructure, NestedListsNumberAsTheirStyleSays) {
  OpenDocumentBuilder package;
  package.automaticStyles =
      "<text:list-style style:name=\"L1\"><text:list-level-style-bullet text:level=\"1\" "
      "text:bullet-char=\"*\"/><text:list-level-style-number text:level=\"2\" "
      "style:num-format=\"1\" text:start-value=\"3\"/><text:list-level-style-number "
      "text:level=\"3\" style:num-format=\"\"/></text:list-style>";
  package.commonStyles = "<text:list-style style:name=\"Numbering_20_1\">"
                         "<text:list-level-style-number text:level=\"1\" style:num-format=\"i\"/>"
                         "</text:list-style>";
  package.body =
      "<text:list text:style-name=\"L1\"><text:list-item><text:p>outer</text:p>"
      "<text:list><text:list-item><text:p>three</text:p></text:list-item>"
      "<text:list-item><text:p>four</text:p><text:list><text:list-item><text:p>unnumbered"
      "</text:p></text:list-item></text:list></text:list-item>"
      "<text:list-item text:start-value=\"9\"><text:p>nine</text:p></text:list-item>"
      "</text:list></text:list-item></text:list>"
      "<text:list text:style-name=\"Numbering_20_1\"><text:list-item><text:p>common</text:p>"
      "</text:list-item><text:list-item><text:p>second</text:p></text:list-item></text:list>"
      "<text:p>between</text:p>"
      "<text:list text:style-name=\"Numbering_20_1\" text:continue-numbering=\"true\">"
      "<text:list-item><text:p>third</text:p></text:list-item></text:list>"
      "<text:list text:style-name=\"Unknown\"><text:list-item><text:p>bullet</text:p>"
      "</text:list-item></text:list>";
  std::vector<Block> blocks = Structure(package);
  struct Expected {
    std::u16string text;
    int level;
    bool ordered;
    int value;
  };
  std::vector<Expected> expected{{u"outer", 1, false, 1}, {u"three", 2, true, 3},
                                 {u"four", 2, true, 4},   {u"unnumbered", 3, false, 1},
                                 {u"nine", 2, true, 9},   {u"common", 1, true, 1},
                                 {u"second", 1, true, 2}, {u"between", 0, false, 0},
                                 {u"third", 1, true, 3},  {u"bullet", 1, false, 1}};
  ASSERT_EQ(blocks.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(blocks[i].Text(), expected[i].text);
    if (expected[i].level == 0) {
      EXPECT_EQ(blocks[i].kind, BlockKind::Paragraph);
      continue;
    }
    EXPECT_EQ(blocks[i].kind, BlockKind::ListItem);
    EXPECT_EQ(blocks[i].level, expected[i].level);
    EXPECT_EQ(blocks[i].ordered, expected[i].ordered);
    EXPECT_EQ(blocks[i].value, expected[i].value);
  }
}

TEST(OpenDocumentStructure, TableWithMergedAndCoveredCells) {
  OpenDocumentBuilder package;
  package.body = "<table:table table:name=\"T\"><table:table-column table:number-columns-"
                 "repeated=\"2\"/><table:table-header-rows><table:table-row><table:table-cell "
                 "table:number-columns-spanned=\"2\"><text:p>wide</text:p></table:table-cell>"
                 "<table:covered-table-cell/></table:table-row></table:table-header-rows>"
                 "<table:table-row><table:table-cell><text:p>a</text:p></table:table-cell>"
                 "<table:table-cell><table:table><table:table-row><table:table-cell><text:p>"
                 "inner</text:p></table:table-cell></table:table-row></table:table>"
                 "</table:table-cell></table:table-row></table:table>";
  std::vector<Block> blocks = Structure(package);
  ASSERT_EQ(blocks.size(), 1u);
  const Block& table = blocks[0];
  ASSERT_EQ(table.kind, BlockKind::Table);
  ASSERT_EQ(table.rows.size(), 2u);
  ASSERT_EQ(table.rows[0].cells.size(), 1u); // the covered cell is none of its own
  EXPECT_EQ(table.rows[0].cells[0].columnSpan, 2);
  EXPECT_EQ(table.rows[0].cells[0].blocks.at(0).Text(), u"wide");
  EXPECT_TRUE(table.rows[0].cells[0].header); // a row of table:table-header-rows
  ASSERT_EQ(table.rows[1].cells.size(), 2u);
  EXPECT_EQ(table.rows[1].cells[0].columnSpan, 1);
  EXPECT_FALSE(table.rows[1].cells[0].header);
  const std::vector<Block>& nested = table.rows[1].cells[1].blocks;
  ASSERT_EQ(nested.size(), 1u);
  ASSERT_EQ(nested[0].kind, BlockKind::Table);
  EXPECT_EQ(nested[0].rows.at(0).cells.at(0).blocks.at(0).Text(), u"inner");
  EXPECT_FALSE(nested[0].rows.at(0).cells.at(0).header);
}

TEST(OpenDocumentStructure, NotesLeaveTheirSentence) {
  OpenDocumentBuilder package;
  package.body =
      "<text:p>This is a rather<text:note text:id=\"ftn1\" text:note-class=\"footnote\">"
      "<text:note-citation>1</text:note-citation><text:note-body><text:p>This is of course a "
      "simple footnote</text:p><text:list><text:list-item><text:p>listed</text:p>"
      "</text:list-item></text:list></text:note-body></text:note> difficult test.</text:p>"
      "<text:p>End<text:note text:id=\"ftn1\" text:note-class=\"endnote\"><text:note-citation "
      "text:label=\"*\">i</text:note-citation><text:note-body><text:p>An endnote with a "
      "<text:span>span</text:span></text:p></text:note-body></text:note>.</text:p>"
      "<text:p>Bare<text:note><text:note-body><text:p>no citation</text:p></text:note-body>"
      "</text:note></text:p>";
  Document document = Read(package);
  ASSERT_EQ(document.notes.size(), 3u);
  const Note& footnote = document.notes[0];
  EXPECT_EQ(footnote.id, u"ftn1");
  EXPECT_EQ(footnote.label, u"1");
  EXPECT_FALSE(footnote.endnote);
  std::vector<Block> noteBlocks = StructuredBlocks(Story{StoryKind::Footnotes, footnote.blocks});
  ASSERT_EQ(noteBlocks.size(), 2u);
  EXPECT_EQ(noteBlocks[0].Text(), u"This is of course a simple footnote");
  EXPECT_EQ(noteBlocks[1].kind, BlockKind::ListItem);
  const Note& endnote = document.notes[1];
  EXPECT_TRUE(endnote.endnote);
  EXPECT_EQ(endnote.label, u"i");
  EXPECT_EQ(endnote.id, u"note2"); // the identifier was taken
  ASSERT_EQ(endnote.blocks.size(), 1u);
  EXPECT_EQ(endnote.blocks[0].Text(), u"An endnote with a span");
  EXPECT_EQ(document.notes[2].label, u"3");

  std::vector<Block> blocks = StructuredBlocks(document.Main());
  ASSERT_EQ(blocks.size(), 3u); // nothing of the notes' bodies in the main text
  EXPECT_EQ(blocks[0].Text(), u"This is a rather[1] difficult test.");
  const Inline& reference = blocks[0].content.at(1);
  EXPECT_EQ(reference.kind, InlineKind::NoteReference);
  EXPECT_EQ(reference.target, u"ftn1");
  EXPECT_EQ(blocks[1].Text(), u"End[i].");
  EXPECT_EQ(blocks[1].content.at(1).target, u"note2");
  EXPECT_EQ(blocks[2].Text(), u"Bare[3]");
  // The described output lists the notes after the text.
  std::vector<std::u16string> lines = PlainBody(package);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], u"This is a rather[1] difficult test.");
  EXPECT_EQ(lines[1], u"End[i].");
}

TEST(OpenDocumentStructure, AnnotationsGoToTheComments) {
  OpenDocumentBuilder package;
  package.body = "<text:p>Apache Tika <office:annotation office:name=\"a1\"><dc:creator>Bart"
                 "</dc:creator><dc:date>2009-10-05T19:10:26</dc:date><text:p>Tika is part of "
                 "Lucene.</text:p><text:p>Second</text:p></office:annotation>Test "
                 "<office:annotation-end office:name=\"a1\"/>Document</text:p>";
  Document document = Read(package);
  std::vector<Block> blocks = StructuredBlocks(document.Main());
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0].Text(), u"Apache Tika Test Document");
  const Story* comments = document.Find(StoryKind::Comments);
  ASSERT_NE(comments, nullptr);
  ASSERT_EQ(comments->blocks.size(), 3u);
  EXPECT_EQ(comments->blocks[0].Text(), u"Bart 2009-10-05T19:10:26");
  EXPECT_EQ(comments->blocks[1].Text(), u"Tika is part of Lucene.");
  EXPECT_EQ(comments->blocks[2].Text(), u"Second");
  EXPECT_EQ(PlainBody(package), std::vector<std::u16string>{u"Apache Tika Test Document"});
}

// Tracked changes read as accepted: the record of deleted paragraphs (and
// of a deleted list) gives no text, inserted text is text.
TEST(OpenDocumentStructure, TrackedChangesReadAsAccepted) {
  OpenDocumentBuilder package;
  package.body = "<text:tracked-changes><text:changed-region text:id=\"c1\"><text:deletion>"
                 "<office:change-info><dc:creator>A</dc:creator></office:change-info>"
                 "<text:p>gone</text:p><text:list><text:list-item><text:p>item</text:p>"
                 "</text:list-item></text:list></text:deletion></text:changed-region>"
                 "</text:tracked-changes><text:p>Bonjour <text:change-start text:change-id=\"c2\"/>"
                 "amis<text:change-end text:change-id=\"c2\"/></text:p>";
  std::vector<Block> blocks = Structure(package);
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0].Text(), u"Bonjour amis");
  EXPECT_EQ(PlainBody(package), std::vector<std::u16string>{u"Bonjour amis"});
}

TEST(OpenDocumentStructure, SpanStylesGiveMarks) {
  OpenDocumentBuilder package;
  package.automaticStyles =
      "<style:style style:name=\"T1\" style:family=\"text\"><style:text-properties "
      "fo:font-style=\"italic\"/></style:style>"
      "<style:style style:name=\"T2\" style:family=\"text\"><style:text-properties "
      "fo:font-weight=\"700\" style:text-underline-style=\"solid\"/></style:style>"
      "<style:style style:name=\"T3\" style:family=\"text\"><style:text-properties "
      "fo:font-weight=\"normal\" style:text-line-through-style=\"solid\"/></style:style>"
      "<style:style style:name=\"T4\" style:family=\"text\"><style:text-properties "
      "style:text-position=\"33% 58%\"/></style:style>"
      "<style:style style:name=\"T5\" style:family=\"text\"><style:text-properties "
      "style:text-position=\"sub\"/></style:style>"
      "<style:style style:name=\"T6\" style:family=\"text\" style:parent-style-name=\"Loud\"/>"
      "<style:style style:name=\"P1\" style:family=\"paragraph\"><style:text-properties "
      "fo:font-weight=\"bold\"/></style:style>";
  package.commonStyles =
      "<style:style style:name=\"Loud\" style:family=\"text\" style:parent-style-name=\"Base\"/>"
      "<style:style style:name=\"Base\" style:family=\"text\"><style:text-properties "
      "fo:font-weight=\"bold\" fo:font-style=\"oblique\"/></style:style>"
      "<style:style style:name=\"Loop\" style:family=\"text\" style:parent-style-name=\"Loop\"/>";
  package.body = "<text:p text:style-name=\"P1\">plain <text:span text:style-name=\"T1\">it"
                 "</text:span> <text:span text:style-name=\"T2\">strong <text:span "
                 "text:style-name=\"T3\">struck</text:span></text:span> x<text:span "
                 "text:style-name=\"T4\">2</text:span>y<text:span text:style-name=\"T5\">i"
                 "</text:span> <text:span text:style-name=\"T6\">inherited</text:span> "
                 "<text:span text:style-name=\"Loop\">loop</text:span> <text:a "
                 "xlink:href=\"http://example.org/?a=1&amp;b=2\">a <text:span "
                 "text:style-name=\"T1\">link</text:span></text:a>.</text:p>";
  Document document = Read(package);
  const Block& paragraph = document.Main().blocks.at(0);
  EXPECT_EQ(paragraph.Text(), u"plain it strong struck x2yi inherited loop a link.");
  struct Expected {
    std::u16string text;
    Marks marks;
  };
  for (const Expected& expected : std::vector<Expected>{{u"plain ", 0},
                                                        {u"it", kItalic},
                                                        {u"strong", kBold | kUnderline},
                                                        {u"struck", kUnderline | kStrike},
                                                        {u"2", kSuperscript},
                                                        {u"i", kSubscript},
                                                        {u"inherited", kBold | kItalic},
                                                        {u" loop ", 0}}) {
    const Inline* piece = PieceWithText(paragraph, expected.text);
    ASSERT_NE(piece, nullptr) << std::string(expected.text.begin(), expected.text.end());
    EXPECT_EQ(piece->marks, expected.marks);
    EXPECT_TRUE(piece->target.empty());
  }
  const Inline* linkStart = PieceWithText(paragraph, u"a ");
  ASSERT_NE(linkStart, nullptr);
  EXPECT_EQ(linkStart->target, u"http://example.org/?a=1&b=2");
  const Inline* linkEnd = PieceWithText(paragraph, u"link");
  ASSERT_NE(linkEnd, nullptr);
  EXPECT_EQ(linkEnd->target, u"http://example.org/?a=1&b=2");
  EXPECT_EQ(linkEnd->marks, kItalic);
}

TEST(OpenDocumentStructure, RunsKeepTheParagraphText) {
  // Cut into runs, the text is the one the described output always showed.
  OpenDocumentBuilder package;
  package.automaticStyles = "<style:style style:name=\"B\" style:family=\"text\">"
                            "<style:text-properties fo:font-weight=\"bold\"/></style:style>";
  package.body = "<text:p>  a  <text:span text:style-name=\"B\">  b<text:s text:c=\"2\"/>c "
                 "</text:span>  <text:span text:style-name=\"B\">d<text:line-break/>"
                 "</text:span> e<text:tab/><text:span text:style-name=\"B\"> </text:span></text:p>";
  Document document = Read(package);
  const Block& paragraph = document.Main().blocks.at(0);
  EXPECT_EQ(paragraph.VisibleText(), u"a b  c d\n e\t");
  EXPECT_EQ(PlainBody(package), std::vector<std::u16string>{u"a b  c d\r\n e\t"});
  ASSERT_GE(paragraph.content.size(), 2u);
  EXPECT_EQ(paragraph.content[0].text, u"a ");
  EXPECT_EQ(paragraph.content[0].marks, 0);
  EXPECT_EQ(paragraph.content[1].text, u"b  c d"); // the blank between two bold runs is bold
  EXPECT_EQ(paragraph.content[1].marks, kBold);
}

TEST(OpenDocumentStructure, SlidesBreakBeforeTheirContent) {
  OpenDocumentBuilder package;
  package.presentation = true;
  package.body = "<draw:page draw:name=\"Intro\"><draw:frame><draw:text-box><text:p>One"
                 "</text:p></draw:text-box></draw:frame></draw:page><draw:page "
                 "draw:name=\"page2\"><draw:frame><draw:text-box><text:p>Two</text:p>"
                 "</draw:text-box></draw:frame></draw:page>";
  Document document = Read(package);
  const std::vector<Block>& blocks = document.Main().blocks;
  ASSERT_EQ(blocks.size(), 5u);
  EXPECT_EQ(blocks[0].kind, BlockKind::SlideBreak);
  EXPECT_EQ(blocks[0].style, u"Intro");
  EXPECT_EQ(blocks[1].Text(), u"One");
  EXPECT_EQ(blocks[2].kind, BlockKind::SlideBreak);
  EXPECT_EQ(blocks[2].style, u"page2");
  EXPECT_EQ(blocks[3].Text(), u"Two");
}

TEST(OpenDocumentStructure, DamagedStructureEndsWell) {
  // Deep spans outside any paragraph, a note inside a note, a list style
  // level past the last, spans with no style, unclosed elements.
  std::string deep;
  for (int i = 0; i < 20000; ++i)
    deep += "<text:span>";
  OpenDocumentBuilder package;
  package.automaticStyles = "<text:list-style style:name=\"L\"><text:list-level-style-number "
                            "text:level=\"99\" style:num-format=\"1\"/></text:list-style>";
  package.body = deep + "x<text:p>a<text:note><text:note-body><text:p>b<text:note>"
                        "<text:note-citation>c</text:note-citation><text:note-body><text:p>"
                        "inner</text:p></text:note-body></text:note></text:p></text:note-body>"
                        "</text:note></text:p><text:list text:style-name=\"L\"><text:list-item>"
                        "<text:p>item<text:span text:style-name=\"\">s";
  Document document = Read(package);
  EXPECT_EQ(document.notes.size(), 2u);
  size_t references = 0;
  for (const Block& block : document.Main().blocks)
    for (const Inline& piece : block.content)
      references += piece.kind == InlineKind::NoteReference ? 1 : 0;
  EXPECT_EQ(references, 1u);
}

} // namespace
} // namespace scrivlet
