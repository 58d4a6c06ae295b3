#include "pdf/fonts/CMap.h"

#include <gtest/gtest.h>

namespace scrivlet::pdf {
namespace {

const char* const kToUnicode = R"(/CIDInit /ProcSet findresource begin
12 dict begin begincmap
/CMapName /Adobe-Identity-UCS def
1 begincodespacerange <0000> <FFFF> endcodespacerange
2 beginbfrange
<0020> <007E> <0020>
<0100> <0102> [<0041> <00660069> <D835DC00>]
endbfrange
3 beginbfchar
<0041> <00660069>
<0005> <D83DDE00>
<0006> /eacute
endbfchar
endcmap CMapName currentdict /CMap defineresource pop end end
)";

TEST(CMapTest, BfRangeCountsUpFromItsStart) {
  CMap map = CMap::Parse(kToUnicode);
  EXPECT_EQ(map.Text({0x42, 2}), u"B");
  EXPECT_EQ(map.Text({0x7E, 2}), u"~");
  EXPECT_EQ(map.Text({0x7F, 2}), std::nullopt);
  EXPECT_EQ(map.Text({0x42, 1}), std::nullopt); // a one-byte code is another code
}

TEST(CMapTest, BfCharWinsOverRangeAndGivesSeveralUnits) {
  CMap map = CMap::Parse(kToUnicode);
  EXPECT_EQ(map.Text({0x41, 2}), u"fi");
  EXPECT_EQ(map.Text({0x05, 2}), u"\U0001F600");
  EXPECT_EQ(map.Text({0x06, 2}), u"\u00E9");
}

TEST(CMapTest, BfRangeWithAnArrayGivesOneTextPerCode) {
  CMap map = CMap::Parse(kToUnicode);
  EXPECT_EQ(map.Text({0x100, 2}), u"A");
  EXPECT_EQ(map.Text({0x101, 2}), u"fi");
  EXPECT_EQ(map.Text({0x102, 2}), u"\U0001D400");
}

TEST(CMapTest, RangeOfSurrogatePairsCountsInTheLowUnit) {
  CMap map = CMap::Parse("1 beginbfrange <01> <03> <D835DC00> endbfrange");
  EXPECT_EQ(map.Text({0x03, 1}), u"\U0001D402");
}

TEST(CMapTest, CodeSpaceRangesDecideCodeLengths) {
  CMap map = CMap::Parse("2 begincodespacerange <00> <80> <8140> <FEFE> endcodespacerange");
  std::string bytes = "A\x82\xA0";
  CharCode first = map.ReadCode(bytes, 0, 2);
  EXPECT_EQ(first.length, 1);
  EXPECT_EQ(first.value, 0x41u);
  CharCode second = map.ReadCode(bytes, 1, 2);
  EXPECT_EQ(second.length, 2);
  EXPECT_EQ(second.value, 0x82A0u);
  // A code cut off at the end takes what is there.
  CharCode cut = map.ReadCode(std::string("\x82"), 0, 2);
  EXPECT_EQ(cut.length, 1);
}

TEST(CMapTest, WithoutCodeSpaceTheFallbackLengthHolds) {
  CMap map = CMap::Parse("1 beginbfchar <0041> <0042> endbfchar");
  EXPECT_FALSE(map.HasCodeSpace());
  EXPECT_EQ(map.ReadCode(std::string("\0A", 2), 0, 2).value, 0x41u);
}

TEST(CMapTest, CidSectionsAndUseCMap) {
  CMap map = CMap::Parse("/90ms-RKSJ-H usecmap\n"
                         "1 begincodespacerange <0000> <FFFF> endcodespacerange\n"
                         "1 begincidrange <8140> <817E> 633 endcidrange\n"
                         "1 begincidchar <8200> 7 endcidchar");
  EXPECT_EQ(map.UseCMap(), "90ms-RKSJ-H");
  EXPECT_EQ(map.Cid({0x8141, 2}), 634u);
  EXPECT_EQ(map.Cid({0x8200, 2}), 7u);
  EXPECT_EQ(map.Cid({0x8300, 2}), std::nullopt);
  EXPECT_FALSE(map.HasUnicode());
}

TEST(CMapTest, DamagedEntriesAreSkipped) {
  CMap map = CMap::Parse("3 beginbfrange <0050> <0040> <0041> <0001> <0002> 5 "
                         "<0010> <0011> [<0041>] endbfrange 1 beginbfchar <0A>");
  EXPECT_EQ(map.Text({0x45, 2}), std::nullopt); // high below low
  EXPECT_EQ(map.Text({0x01, 2}), std::nullopt); // no destination
  EXPECT_EQ(map.Text({0x10, 2}), u"A");
  EXPECT_EQ(map.Text({0x11, 2}), std::nullopt); // array shorter than the range
}

TEST(CMapTest, HugeRangesCostNothing) {
  CMap map = CMap::Parse("1 beginbfrange <00000000> <FFFFFFFF> <0041> endbfrange");
  EXPECT_EQ(map.Text({0x10, 4}), u"Q");
}

TEST(CMapTest, ARangeArrayKeepsNoMoreElementsThanTheRangeHasCodes) {
  std::string elements;
  for (int i = 0; i < 100000; ++i)
    elements += "<0041> ";
  CMap map = CMap::Parse("1 beginbfrange <00> <02> [" + elements +
                         "] endbfrange "
                         "1 beginbfrange <10> <11> [/A <0042>] endbfrange");
  EXPECT_EQ(map.Text({0x02, 1}), u"A");
  EXPECT_EQ(map.Text({0x03, 1}), std::nullopt);
  EXPECT_EQ(map.Text({0x11, 1}), u"B");
  EXPECT_EQ(map.LargestArrayHeld(), 3u); // every element, unbounded
  // An array where no range stands before it is read past and kept not.
  EXPECT_EQ(CMap::Parse("1 beginbfrange <01> [" + elements + "] endbfrange").LargestArrayHeld(),
            0u);
}

} // namespace
} // namespace scrivlet::pdf
