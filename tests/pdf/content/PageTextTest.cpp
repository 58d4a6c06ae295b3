#include "pdf/content/PageText.h"

#include "pdf/content/TextCollector.h"
#include "pdf/fonts/Font.h"
#include "support/PdfContentBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace scrivlet::pdf {
namespace {

using test::ContentBuilder;

// Fonts and forms of plain data.
class TestResources : public ContentResources {
public:
  void AddFont(const std::string& name, const FontDescription& description) {
    FFonts[name] = Font::Create(description, {});
  }
  void AddForm(const std::string& name, std::string content, Matrix matrix = {}) {
    FForms[name] = {std::move(content), matrix};
  }

  const Font* FindFont(std::string_view name) override {
    auto it = FFonts.find(std::string(name));
    return it == FFonts.end() ? nullptr : it->second.get();
  }
  bool FindForm(std::string_view name, FormContent& form) override {
    auto it = FForms.find(std::string(name));
    if (it == FForms.end())
      return false;
    form.id = std::hash<std::string>()(it->first);
    form.content = it->second.first;
    form.matrix = it->second.second;
    ++FormsRun;
    return true;
  }
  int FormsRun = 0;

private:
  std::map<std::string, std::unique_ptr<Font>> FFonts;
  std::map<std::string, std::pair<std::string, Matrix>> FForms;
};

FontDescription Helvetica() {
  FontDescription d;
  d.subtype = "Type1";
  d.baseFont = "Helvetica";
  d.encodingName = "/WinAnsiEncoding";
  return d;
}

class PageTextTest : public ::testing::Test {
protected:
  PageTextTest() { resources.AddFont("F1", Helvetica()); }

  std::u16string Text(const std::string& content) {
    std::vector<TextItem> items;
    TextCollector::Collect(content, resources, items);
    return LayOutPageText(items);
  }

  TestResources resources;
};

TEST_F(PageTextTest, LinesFromVerticalMoves) {
  EXPECT_EQ(Text("BT /F1 12 Tf 100 700 Td (Hello) Tj 0 -20 Td (World) Tj ET"), u"Hello\r\nWorld");
}

TEST_F(PageTextTest, ExactlyFiveUnitsStaysOnTheLine) {
  EXPECT_EQ(Text("BT /F1 12 Tf 100 700 Td (a) Tj 0 -5 Td (b) Tj ET"), u"ab");
  EXPECT_EQ(Text("BT /F1 12 Tf 100 700 Td (a) Tj 0 -5.5 Td (b) Tj ET"), u"a\r\nb");
}

TEST_F(PageTextTest, WordsPositionedOneByOneGetABlank) {
  // "Hello" in Helvetica 12 is 27.336 wide: the next word starts 2.664 after it.
  EXPECT_EQ(Text("BT /F1 12 Tf 100 700 Td (Hello) Tj 30 0 Td (World) Tj ET"), u"Hello World");
}

TEST_F(PageTextTest, StringsWithoutMovementStayJoined) {
  EXPECT_EQ(Text("BT /F1 12 Tf 100 700 Td (Hel) Tj (lo) Tj ET"), u"Hello");
}

TEST_F(PageTextTest, TjDisplacementsMakeWordSpacesButKerningJoins) {
  EXPECT_EQ(Text("BT /F1 10 Tf [(Hello)-333(World)] TJ ET"), u"Hello World");
  EXPECT_EQ(Text("BT /F1 10 Tf [(Hel) -120 (lo)] TJ ET"), u"Hello");
  // Large kerning that pulls the pen back joins too.
  EXPECT_EQ(Text("BT /F1 10 Tf [(W) 500 (orld)] TJ ET"), u"World");
}

TEST_F(PageTextTest, ExistingBlanksAreNotDoubled) {
  EXPECT_EQ(Text("BT /F1 10 Tf [(Hello )-333(World)] TJ ET"), u"Hello World");
}

TEST_F(PageTextTest, LetterSpacingOfAWordSpaceSetsLettersApart) {
  // 10 units of character spacing at 24 points is 0.42 em between letters.
  EXPECT_EQ(Text("BT /F1 24 Tf 10 Tc (Hello World) Tj ET"), u"H e l l o W o r l d");
  EXPECT_EQ(Text("BT 24 Tf 10 Tc (ab) Tj ET"), u"a b"); // no font
  // 3 units is 0.125 em: tracking, not spacing.
  EXPECT_EQ(Text("BT /F1 24 Tf 3 Tc (Hello World) Tj ET"), u"Hello World");
}

TEST_F(PageTextTest, JustifiedAndTrackedTextKeepsItsWords) {
  // Word spacing above 1 and character spacing widen the text, and the
  // next string starts where the pen is: no blanks between letters.
  EXPECT_EQ(Text("BT /F1 10 Tf 3 Tw 2 Tc (Big news) Tj (!) Tj ET"), u"Big news!");
  // Word spacing moves the pen: the next string starts after the widened text.
  // "a b" is 13.9 wide plus 20 of word spacing.
  EXPECT_EQ(Text("BT /F1 10 Tf 20 Tw (a b) Tj 36 0 Td (c) Tj ET"), u"a b c");
  EXPECT_EQ(Text("BT /F1 10 Tf 20 Tw (a b) Tj 33 0 Td (c) Tj ET"), u"a bc");
}

TEST_F(PageTextTest, HorizontalScalingScalesTheAdvance) {
  // At 50 % "Hello" is 11.39 wide: a string 12 further on is 0.06 em after it.
  EXPECT_EQ(Text("BT /F1 10 Tf 50 Tz (Hello) Tj 12 0 Td (World) Tj ET"), u"HelloWorld");
  EXPECT_EQ(Text("BT /F1 10 Tf 50 Tz (Hello) Tj 14.5 0 Td (World) Tj ET"), u"Hello World");
}

TEST_F(PageTextTest, LineMoveOperatorsUseTheLeading) {
  EXPECT_EQ(Text("BT /F1 10 Tf 14 TL 72 700 Td (one) Tj T* (two) Tj (three) ' ET"),
            u"one\r\ntwo\r\nthree");
  // A quote operator's string is shown after its move, with its spacing.
  EXPECT_EQ(Text("BT /F1 10 Tf 72 700 Td (a) Tj 0 -12 TD 1 0 (b) \" (c) ' ET"), u"a\r\nb\r\nc");
  // A small leading stays on the line.
  EXPECT_EQ(Text("BT /F1 10 Tf 4 TL (x) Tj T* (y) Tj ET"), u"xy");
}

TEST_F(PageTextTest, TextAfterTheLastShowOperatorIsKept) {
  EXPECT_EQ(Text("BT /F1 10 Tf 14 TL (first) Tj (last) '"), u"first\r\nlast");
}

TEST_F(PageTextTest, TextMatrixAndTransformation) {
  EXPECT_EQ(Text("BT /F1 1 Tf 12 0 0 12 100 700 Tm (a) Tj 12 0 0 12 100 680 Tm (b) Tj ET"),
            u"a\r\nb");
  // Scaled by cm: 2 units of text space are 20 on the page.
  EXPECT_EQ(Text("10 0 0 10 0 0 cm BT /F1 1 Tf 0 70 Td (a) Tj 0 -2 Td (b) Tj ET"), u"a\r\nb");
  EXPECT_EQ(Text("q 10 0 0 10 0 0 cm Q BT /F1 1 Tf 0 70 Td (a) Tj 0 -2 Td (b) Tj ET"), u"ab");
}

TEST_F(PageTextTest, TextObjectsOnOneLine) {
  EXPECT_EQ(Text("BT /F1 10 Tf 100 700 Td (left) Tj ET BT /F1 10 Tf 200 700 Td (right) Tj ET"),
            u"left right");
  // A new text object that continues where the last ended joins it.
  EXPECT_EQ(Text("BT /F1 10 Tf 100 700 Td (bo) Tj ET BT /F1 10 Tf 111.12 700 Td (ld) Tj ET"),
            u"bold");
}

TEST_F(PageTextTest, TextWithoutFontIsWinAnsi) {
  EXPECT_EQ(Text("BT (caf\\351 \\200) Tj ET"), u"caf\u00E9 \u20AC");
}

TEST_F(PageTextTest, FormsShownTwiceGiveTheirTextTwice) {
  resources.AddForm("Fm1", "BT /F1 10 Tf 0 0 Td (stamp) Tj ET");
  EXPECT_EQ(Text("q 1 0 0 1 100 700 cm /Fm1 Do Q q 1 0 0 1 100 600 cm /Fm1 Do Q"),
            u"stamp\r\nstamp");
  EXPECT_EQ(resources.FormsRun, 2);
}

TEST_F(PageTextTest, GlyphsDrawnOverThemselvesAreReadOnce) {
  // Bold made by drawing each glyph four times a quarter point apart.
  std::string content = "BT /F1 20 Tf";
  const char* letters[] = {"T", "e", "s", "t"};
  for (int i = 0; i < 4; ++i)
    for (double dx : {0.0, 0.25})
      for (double dy : {0.0, 0.25})
        content += " 1 0 0 1 " + std::to_string(100 + 12 * i + dx) + " " +
                   std::to_string(700 + dy) + " Tm (" + letters[i] + ") Tj";
  EXPECT_EQ(Text(content + " ET"), u"Test");
  // Copies in another size, or further than a tenth of an em, are text.
  EXPECT_EQ(Text("BT /F1 20 Tf 100 700 Td (ab) Tj ET BT /F1 10 Tf 100 700 Td (ab) Tj ET"),
            u"ab ab");
  EXPECT_EQ(Text("BT /F1 10 Tf 100 700 Td (a) Tj 3 0 Td (a) Tj ET"), u"aa");
}

TEST_F(PageTextTest, FormMatrixPlacesItsText) {
  resources.AddForm("Fm1", "BT /F1 10 Tf (inside) Tj ET", Matrix::Translation(0, -50));
  EXPECT_EQ(Text("BT /F1 10 Tf 0 700 Td (before) Tj ET q 1 0 0 1 0 700 cm /Fm1 Do Q"),
            u"before\r\ninside");
}

TEST_F(PageTextTest, FormThatShowsItselfIsReadOnce) {
  resources.AddForm("Loop", "BT /F1 10 Tf (x) Tj ET /Loop Do");
  resources.AddForm("A", "/B Do");
  resources.AddForm("B", "/A Do BT /F1 10 Tf (y) Tj ET");
  EXPECT_EQ(Text("/Loop Do"), u"x");
  EXPECT_EQ(Text("/A Do"), u"y");
}

TEST_F(PageTextTest, DeepFormNestingStops) {
  for (int i = 0; i < 40; ++i) {
    // Each form shows its letter beside its parent's: a letter drawn over
    // another would be read once.
    std::string content = "BT /F1 10 Tf (n) Tj ET 1 0 0 1 20 0 cm /N";
    content += std::to_string(i + 1);
    content += " Do";
    std::string name = "N";
    name += std::to_string(i);
    resources.AddForm(name, content);
  }
  std::u16string text = Text("/N0 Do");
  EXPECT_EQ(static_cast<size_t>(std::count(text.begin(), text.end(), u'n')),
            static_cast<size_t>(TextCollector::kMaxFormDepth));
}

TEST_F(PageTextTest, InlineImagesAndGraphicsDoNotDisturbText) {
  EXPECT_EQ(Text("q 0 0 1 rg 10 10 100 100 re f BI /W 1 /H 1 /BPC 8 /CS /G ID \xFF"
                 "\nEI Q BT /F1 10 Tf (ok) Tj ET"),
            u"ok");
}

TEST_F(PageTextTest, GraphicsOperatorsOnlyEndTheirOperands) {
  std::string graphics =
      "0 0 m 1 1 l 1 2 3 4 5 6 c 1 2 3 4 v 1 2 3 4 y h 0 0 9 9 re S s f F f* B B* b b* n W W* "
      "1 w 0 J 0 j 10 M [1 2] 0 d /RI ri 1 i /GS1 gs /CS0 CS /CS0 cs 0 SC 0 sc 0 SCN /P0 scn "
      "0 G 0 g 0 0 0 RG 0 0 0 rg 0 0 0 0 K 0 0 0 0 k /Sh0 sh /Tag MP /Tag <</K 1>> DP "
      "/Span <</ActualText (zz)>> BDC /Tag BMC EMC EMC 500 0 d0 500 0 0 0 1 1 d1 "
      "BI /W 1 /H 1 ID \x80\nEI ";
  EXPECT_EQ(Text(graphics + "BT /F1 10 Tf 72 700 Td (one) Tj ET " + graphics +
                 "BT /F1 10 Tf 72 680 Td (two) Tj ET"),
            u"one\r\ntwo");
}

TEST_F(PageTextTest, UnbalancedAndDamagedContentNeverFails) {
  EXPECT_EQ(Text("Q Q Q ET ET BT /F1 10 Tf (a) Tj Tj TJ ] ] [ [ (b) TJ /Nofont 10 Tf (c) Tj"),
            u"abc");
  std::string deep(20000, 'q');
  for (size_t i = 1; i < deep.size(); i += 2)
    deep[i] = ' ';
  EXPECT_EQ(Text(deep + " BT /F1 10 Tf (z) Tj ET"), u"z");
}

TEST_F(PageTextTest, CompositeFontWithWidthsMakesWordGaps) {
  FontDescription d;
  d.subtype = "Type0";
  d.encodingCMapText = "/Identity-H";
  d.toUnicode = "1 beginbfrange <0001> <0003> <0061> endbfrange";
  d.cidWidths = std::make_shared<const CidWidths>(CidWidths::Parse("[1 3 500]"));
  resources.AddFont("F2", d);
  EXPECT_EQ(Text("BT /F2 10 Tf [<00010002> -400 <0003>] TJ ET"), u"ab c");
  EXPECT_EQ(Text("BT /F2 10 Tf [<00010002> -100 <0003>] TJ ET"), u"abc");
}

TEST_F(PageTextTest, VerticalWritingRunsDownInColumns) {
  FontDescription d;
  d.subtype = "Type0";
  d.encodingCMapText = "/Identity-V";
  d.toUnicode = "1 beginbfrange <0001> <0003> <65E5> endbfrange";
  resources.AddFont("V", d);
  // Two columns: each string continues the column below the last one.
  EXPECT_EQ(Text("BT /V 10 Tf 1 0 0 1 300 700 Tm <0001> Tj <0002> Tj 1 0 0 1 300 680 Tm <0003> "
                 "Tj 1 0 0 1 280 700 Tm <0001> Tj ET"),
            u"\u65E5\u65E6\u65E7\r\n\u65E5");
}

// A page of columns shown row by row, as many writers do: each row's line
// of every column, then the next row (Helvetica 10 on 12-unit rows,
// columns 180 wide and 20 apart).
std::string ColumnsRowByRow(const std::vector<std::vector<std::string>>& columns, double top) {
  std::string content;
  for (size_t row = 0; row < columns.front().size(); ++row)
    for (size_t column = 0; column < columns.size(); ++column)
      content += "BT /F1 10 Tf " + std::to_string(72 + 200 * column) + " " +
                 std::to_string(top - 12 * static_cast<double>(row)) + " Td (" +
                 columns[column][row] + ") Tj ET\n";
  return content;
}

TEST_F(PageTextTest, ColumnsShownRowByRowAreReadColumnByColumn) {
  EXPECT_EQ(Text(ColumnsRowByRow(
                {{"left one", "left two", "left three"}, {"right one", "right two", "right three"}},
                700)),
            u"left one\r\nleft two\r\nleft three\r\nright one\r\nright two\r\nright three");
  EXPECT_EQ(Text(ColumnsRowByRow({{"a1 runs on in its column", "a2 runs on in its column"},
                                  {"b1 runs on in its column", "b2 runs on in its column"},
                                  {"c1 runs on in its column", "c2 runs on in its column"}},
                                 700)),
            u"a1 runs on in its column\r\na2 runs on in its column\r\n"
            u"b1 runs on in its column\r\nb2 runs on in its column\r\n"
            u"c1 runs on in its column\r\nc2 runs on in its column");
}

TEST_F(PageTextTest, TheRowsOfATableStayRows) {
  // Three or more columns of short cells side by side are a table.
  EXPECT_EQ(
      Text(ColumnsRowByRow({{"a1", "a2", "a3"}, {"b1", "b2", "b3"}, {"c1", "c2", "c3"}}, 700)),
      u"a1 b1 c1\r\na2 b2 c2\r\na3 b3 c3");
  // An invoice: a heading row, then items, the numbers set right.
  std::string content = "BT /F1 10 Tf 72 700 Td (Item) Tj 200 0 Td (Qty) Tj 60 0 Td (Price) Tj ET\n"
                        "BT /F1 10 Tf 72 686 Td (Paper) Tj 210 0 Td (2) Tj 55 0 Td (4,00) Tj ET\n"
                        "BT /F1 10 Tf 72 672 Td (Ink) Tj 205 0 Td (10) Tj 55 0 Td (12,50) Tj ET\n";
  EXPECT_EQ(Text(content), u"Item Qty Price\r\nPaper 2 4,00\r\nInk 10 12,50");
  // Under two columns of addresses the table's rows still read as rows,
  // and a long line of text beside short ones is no row of a table.
  std::string addresses = ColumnsRowByRow(
      {{"Seller", "Main Street 1", "Springfield"}, {"Buyer", "Long Road 22", "Shelbyville"}}, 740);
  EXPECT_EQ(Text(addresses + content), u"Seller\r\nMain Street 1\r\nSpringfield\r\nBuyer\r\n"
                                       u"Long Road 22\r\nShelbyville\r\nItem Qty Price\r\n"
                                       u"Paper 2 4,00\r\nInk 10 12,50");
  EXPECT_EQ(
      Text(ColumnsRowByRow(
          {{"a1", "a2", "a3"}, {"b1", "b2", "b3"}, {"c1", "c2 and a line of running text", "c3"}},
          700)),
      u"a1\r\na2\r\na3\r\nb1\r\nb2\r\nb3\r\nc1\r\nc2 and a line of running text\r\nc3");
}

TEST_F(PageTextTest, AHeadingAcrossTheColumnsIsReadFirstWhereverItIsShown) {
  std::string columns =
      ColumnsRowByRow({{"left one", "left two"}, {"right one", "right two"}}, 700);
  // Shown last, above the columns, across the gutter; the page number
  // shown first, below them.
  EXPECT_EQ(Text("BT /F1 10 Tf 250 650 Td (7) Tj ET\n" + columns +
                 "BT /F1 16 Tf 180 730 Td (The Heading Across) Tj ET"),
            u"The Heading Across\r\nleft one\r\nleft two\r\nright one\r\nright two\r\n7");
}

TEST_F(PageTextTest, AWideGapOnALineOfItsOwnKeepsTheLineWhole) {
  // The same line cut by a gap of an em or more: its pieces are read in
  // turn and joined again, left to right, even when shown right first.
  EXPECT_EQ(Text("BT /F1 10 Tf 300 700 Td (right) Tj ET BT /F1 10 Tf 100 700 Td (left) Tj ET"),
            u"left right");
}

TEST_F(PageTextTest, SubscriptsOfLargeTextStayOnItsLine) {
  // 6 units below a 20-point baseline: beyond the 5 of a line break in
  // content order, within the 0.4 em of one row; apart as words, as the
  // line break kept them.
  EXPECT_EQ(Text("BT /F1 20 Tf 72 700 Td (H) Tj /F1 12 Tf 14.44 -6 Td (2) Tj /F1 20 Tf 6.67 6 Td "
                 "(O) Tj ET BT /F1 20 Tf 72 670 Td (water) Tj ET"),
            u"H 2 O\r\nwater");
}

TEST_F(PageTextTest, LigaturesAreTheirLetters) {
  FontDescription d;
  d.subtype = "Type0";
  d.encodingCMapText = "/Identity-H";
  d.toUnicode = "3 beginbfchar <0001> <FB01> <0002> <0064> <0003> <FB03> endbfchar";
  resources.AddFont("L", d);
  EXPECT_EQ(Text("BT /L 10 Tf <000100020003> Tj ET"), u"fidffi");
  std::vector<TextItem> items(1);
  items[0] = {u"\uFB00\uFB02\uFB04\uFB05\uFB06", {0, 700}, {50, 700}, {1, 0}, 10, true};
  EXPECT_EQ(LayOutPageText(items), u"ffflfflstst");
}

TEST(LayOutPageTextTest, RightToLeftColumnsAreReadFromTheRight) {
  std::vector<TextItem> items;
  for (int row = 0; row < 3; ++row)
    for (double left : {72.0, 300.0}) {
      std::u16string word = left < 100 ? u"\u05D1" : u"\u05D0"; // bet left, alef right
      word += static_cast<char16_t>(u'1' + row);
      items.push_back(
          {word, {left, 700.0 - 12 * row}, {left + 150, 700.0 - 12 * row}, {1, 0}, 10, true});
    }
  EXPECT_EQ(LayOutPageText(items),
            u"\u05D01\r\n\u05D02\r\n\u05D03\r\n\u05D11\r\n\u05D12\r\n\u05D13");
}

TEST(LayOutPageTextTest, LinesCarryTheirColumnAndSize) {
  std::vector<TextItem> items;
  items.push_back({u"Title", {200, 740}, {260, 740}, {1, 0}, 20, true});
  for (int row = 0; row < 3; ++row)
    for (double left : {72.0, 300.0})
      items.push_back(
          {u"text", {left, 700.0 - 12 * row}, {left + 150, 700.0 - 12 * row}, {1, 0}, 10, true});
  std::vector<PageLine> lines = LayOutPageLines(items);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0].text, u"Title");
  EXPECT_EQ(lines[0].em, 20);
  EXPECT_EQ(lines[1].column, lines[3].column);
  EXPECT_NE(lines[3].column, lines[4].column);
  EXPECT_EQ(lines[4].start, 300);
  EXPECT_EQ(lines[4].baseline, 700);
}

TEST(LayOutPageTextTest, WideCharactersStackedOneByOneAreVerticalWriting) {
  // Two columns of glyphs shown one by one with a horizontal font, each an
  // em under the last: read down, the right column first, without blanks.
  std::vector<TextItem> items;
  const std::u16string columns[2] = {u"\u65E5\u672C\u8A9E", u"\u6771\u4EAC\u90FD"};
  for (int column = 0; column < 2; ++column)
    for (int i = 0; i < 3; ++i) {
      double x = column == 0 ? 300 : 280, y = 700 - 10.5 * i;
      items.push_back({columns[column].substr(i, 1), {x, y}, {x + 10, y}, {1, 0}, 10, i == 0});
    }
  EXPECT_EQ(LayOutPageText(items), u"\u65E5\u672C\u8A9E\r\n\u6771\u4EAC\u90FD");
  // Two such glyphs are not yet a stack; Latin letters never are.
  items.resize(2);
  EXPECT_EQ(LayOutPageText(items), u"\u65E5\r\n\u672C");
  for (TextItem& item : items)
    item.text = u"a";
  items.push_back({u"a", {300, 679}, {310, 679}, {1, 0}, 10, false});
  EXPECT_EQ(LayOutPageText(items), u"a\r\na\r\na");
}

TEST(LayOutPageTextTest, StackedGlyphsGoOnAfterPunctuationOfAVerticalFont) {
  // Glyphs of a horizontal font stacked down the page, a comma of a
  // vertical font (placed from the top of its middle) and two more glyphs
  // under it: one line; the next column starts to the left.
  std::vector<TextItem> items;
  const std::u16string before = u"\u65E5\u672C\u8A9E", after = u"\u4E26\u3073";
  for (int i = 0; i < 3; ++i)
    items.push_back(
        {before.substr(i, 1), {300, 700.0 - 10 * i}, {310, 700.0 - 10 * i}, {1, 0}, 10, i == 0});
  items.push_back({u"\u3001", {305, 678.8}, {305, 668.8}, {0, -1}, 10, false});
  for (int i = 0; i < 2; ++i)
    items.push_back(
        {after.substr(i, 1), {300, 660.0 - 10 * i}, {310, 660.0 - 10 * i}, {1, 0}, 10, false});
  items.push_back({u"\u306B", {280, 700}, {290, 700}, {1, 0}, 10, false});
  items.push_back({u"\u9053", {280, 690}, {290, 690}, {1, 0}, 10, false});
  items.push_back({u"\u8DEF", {280, 680}, {290, 680}, {1, 0}, 10, false});
  EXPECT_EQ(LayOutPageText(items), u"\u65E5\u672C\u8A9E\u3001\u4E26\u3073\r\n\u306B\u9053\u8DEF");
}

TEST(LayOutPageTextTest, EmptyItemsNeitherBreakNorJoinLines) {
  std::vector<TextItem> items(3);
  items[0] = {u"a", {0, 700}, {5, 700}, {1, 0}, 10, true};
  items[1] = {u"", {0, 600}, {5, 600}, {1, 0}, 10, false};
  items[2] = {u"b", {5, 700}, {10, 700}, {1, 0}, 10, false};
  EXPECT_EQ(LayOutPageText(items), u"ab");
  EXPECT_EQ(LayOutPageText({}), u"");
}

TEST(LayOutPageTextTest, VerticalBaselinesMeasureAcrossTheirDirection) {
  // Text running upwards: lines are side by side in X.
  std::vector<TextItem> items(3);
  items[0] = {u"up", {100, 100}, {100, 110}, {0, 1}, 10, true};
  items[1] = {u"ward", {100, 110}, {100, 130}, {0, 1}, 10, false};
  items[2] = {u"next", {120, 100}, {120, 120}, {0, 1}, 10, true};
  EXPECT_EQ(LayOutPageText(items), u"upward\r\nnext");
}

} // namespace
} // namespace scrivlet::pdf
