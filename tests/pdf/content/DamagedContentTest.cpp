// Damaged and hostile inputs of the font and content layers: every parser
// gets mutated copies of a valid input and must end without reading outside
// its data (run under the sanitizers: make test-sanitize).
#include "pdf/content/PageText.h"
#include "pdf/content/TextCollector.h"
#include "pdf/fonts/CMap.h"
#include "pdf/fonts/CffEncoding.h"
#include "pdf/fonts/Font.h"
#include "pdf/fonts/TrueTypeCmap.h"
#include "pdf/fonts/Type1Encoding.h"
#include "support/PdfContentBuilder.h"

#include <gtest/gtest.h>

#include <random>

namespace scrivlet::pdf {
namespace {

// Copies of the input with a few bytes changed, cut or repeated.
std::vector<std::string> Mutations(const std::string& input, int count) {
  std::mt19937 random(12345);
  std::vector<std::string> mutations;
  for (int i = 0; i < count; ++i) {
    std::string copy = input;
    int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits && !copy.empty(); ++e) {
      size_t at = random() % copy.size();
      switch (random() % 4) {
      case 0: copy[at] = static_cast<char>(random()); break;
      case 1: copy.resize(at); break;
      case 2: copy.insert(at, copy.substr(at, random() % 16)); break;
      default: copy[at] = "()<>[]/\\%0\xFF"[random() % 11]; break;
      }
    }
    mutations.push_back(std::move(copy));
  }
  return mutations;
}

class OneFont : public ContentResources {
public:
  explicit OneFont(std::unique_ptr<Font> font) : FFont(std::move(font)) {}
  const Font* FindFont(std::string_view) override { return FFont.get(); }
  bool FindForm(std::string_view name, FormContent& form) override {
    form.id = name.size();
    form.content = "/X Do BT (f) Tj ET";
    return true;
  }

private:
  std::unique_ptr<Font> FFont;
};

TEST(DamagedContentTest, ContentStreams) {
  FontDescription d;
  d.subtype = "Type0";
  d.encodingCMapText = "/Identity-H";
  d.toUnicode = "1 beginbfrange <0000> <FFFF> <0041> endbfrange";
  OneFont resources(Font::Create(d, {}));
  std::string content = "q 1 0 0 1 5 5 cm BT /F1 12 Tf 14 TL 10 700 Td [(ab) -300 <0041>] TJ T* "
                        "(c) ' 1 2 (d) \" 2 Tc 3 Tw 50 Tz 2 Ts 1 0 0 1 9 9 Tm /Fm Do ET Q "
                        "BI /W 1 ID \x01\x02 EI";
  for (const std::string& input : Mutations(content, 3000)) {
    std::vector<TextItem> items;
    TextCollector::Collect(input, resources, items);
    LayOutPageText(items);
  }
}

// A page of many tiny strings holds its items until it is laid out: what
// they take is bounded by the document's budget of records kept.  (Each
// string stands apart: strings shown one right after the other are one
// item.)
TEST(DamagedContentTest, APagesTextItemsAreBoundedByTheRecordsBudget) {
  FontDescription d;
  d.subtype = "Type1";
  OneFont resources(Font::Create(d, {}));
  std::string content = "BT /F1 10 Tf 0 0 Td ";
  for (int i = 0; i < 20000; ++i)
    content += "(a) Tj 1 0 Td ";
  content += "ET";
  Limits limits;
  limits.memoryPerInputByte = 0;
  limits.memoryFloor = 1 << 20; // room for some ten thousand items
  WorkBudget records(limits, 0);
  FormBudget forms(1 << 20);
  std::vector<TextItem> items;
  try {
    TextCollector::Collect(content, resources, items, forms, &records);
    FAIL() << "the page's " << items.size() << " items passed the budget";
  } catch (const LimitExceeded& error) {
    EXPECT_STREQ(error.what(), "The document exceeds the limit of 1048576 bytes of records kept");
  }
  EXPECT_LT(items.size(), 20000u);
  EXPECT_GT(items.size(), 1000u);
  // With room enough, every item is kept.
  limits.memoryFloor = 64 << 20;
  WorkBudget roomy(limits, 0);
  std::vector<TextItem> all;
  TextCollector::Collect(content, resources, all, forms, &roomy);
  EXPECT_EQ(all.size(), 20000u);
}

TEST(DamagedContentTest, CMaps) {
  std::string cmap = "/CMapName /X def /WMode 1 def 2 begincodespacerange <00> <80> <8140> <FEFE> "
                     "endcodespacerange 2 beginbfchar <41> <0042> <8141> /eacute endbfchar "
                     "1 beginbfrange <8150> <8160> [<00660069> <D83DDE00>] endbfrange "
                     "1 begincidrange <8170> <817F> 5 endcidrange /Base usecmap";
  std::string bytes = "A\x81\x41\x81\x50\x81\x7F\xFF";
  for (const std::string& input : Mutations(cmap, 2000)) {
    CMap map = CMap::Parse(input);
    for (size_t pos = 0; pos < bytes.size();) {
      CharCode code = map.ReadCode(bytes, pos, 2);
      map.Text(code);
      map.Cid(code);
      pos += code.length;
    }
  }
}

TEST(DamagedContentTest, FontPrograms) {
  std::string trueType = test::BuildTrueTypeFont(50, {{3, 1, 4, {{'A', 3}, {'B', 4}, {0x4E2D, 9}}},
                                                      {1, 0, 0, {{'a', 5}}},
                                                      {3, 10, 12, {{0x1F600, 7}}},
                                                      {0, 3, 6, {{'x', 8}, {'y', 9}}}});
  for (const std::string& input : Mutations(trueType, 2000))
    TrueTypeCmap::Read(input).CharacterOfGlyph(3);
  std::string cff =
      test::BuildCffFont({"A", "element", "B"}, {0x41, 0x32, 0x42}, {{0x27, "quoteright"}});
  for (const std::string& input : Mutations(cff, 2000))
    ReadCffEncoding(input);
  std::string type1 = "/Encoding 256 array 0 1 255 {1 index exch /.notdef put} for "
                      "dup 65 /A put dup 300 /B put dup 66 / put readonly def eexec";
  for (const std::string& input : Mutations(type1, 2000))
    ReadType1Encoding(input);
}

TEST(DamagedContentTest, CidWidthArrays) {
  FontDescription d;
  d.subtype = "Type0";
  d.encodingCMapText = "/Identity-H";
  const std::string widths = "[1 [500 600 700] 10 20 300 4294967295 [1] -5 3 7 1e400 [2]]";
  for (const std::string& input : Mutations(widths, 2000)) {
    d.cidWidths = std::make_shared<const CidWidths>(CidWidths::Parse(input));
    ShownText shown;
    Font::Create(d, {})->Decode(std::string("\0\x01\0\x0B\xFF\xFF", 6), shown);
    EXPECT_TRUE(std::isfinite(shown.width));
  }
}

} // namespace
} // namespace scrivlet::pdf
