// Page text of the real documents of the corpus: words that the peers
// (pdftotext, mutool) read from them, one font kind per file.
#include "pdf/PdfDocument.h"
#include "pdf/content/DocumentText.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace scrivlet::pdf {
namespace {

std::filesystem::path CorpusDir() {
  return std::filesystem::path(SCRIVLET_CORPUS_DIR) / "pdf";
}

std::vector<std::u16string> PagesOf(const std::string& name) {
  std::ifstream in(CorpusDir() / name, std::ios::binary);
  std::stringstream data;
  data << in.rdbuf();
  PdfDocument document(data.str());
  std::vector<std::u16string> pages;
  ForEachPageText(document, [&](const std::u16string& page) { pages.push_back(page); });
  return pages;
}

bool Contains(const std::vector<std::u16string>& pages, std::u16string_view words) {
  for (const std::u16string& page : pages)
    if (page.find(words) != std::u16string::npos)
      return true;
  return false;
}

class PageTextCorpusTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (!std::filesystem::is_directory(CorpusDir()))
      GTEST_SKIP() << "no corpus at " << CorpusDir();
  }
};

TEST_F(PageTextCorpusTest, CodePageAndUnicodeCMaps) {
  EXPECT_TRUE(Contains(PagesOf("pdfjs_90ms_rksj_h_sample.pdf"), u"\u65E5\u672C\u8A9E"));
  EXPECT_TRUE(Contains(PagesOf("pdfjs_noembed-sjis.pdf"), u"\u3042\u3044\u3046\u3048\u304A"));
  EXPECT_TRUE(Contains(PagesOf("pdfjs_issue3521.pdf"), u"\u6211\u4EEC\u90FD\u662F"));
}

TEST_F(PageTextCorpusTest, WordSpacesFromPositions) {
  std::vector<std::u16string> pages = PagesOf("pdfminer_simple1.pdf");
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0], u"Hello World\r\nHello World\r\nH e l l o W o r l d\r\nH e l l o W o r l d");
  EXPECT_TRUE(Contains(PagesOf("pypdf_minimal-document.pdf"),
                       u"Lorem ipsum dolor sit amet, consetetur sadipscing elitr"));
}

TEST_F(PageTextCorpusTest, TexDocumentWithCffFonts) {
  std::vector<std::u16string> pages = PagesOf("pypdf_GeoTopo-komprimiert.pdf");
  EXPECT_EQ(pages.size(), 117u);
  EXPECT_TRUE(Contains(pages, u"Topologie"));
  EXPECT_TRUE(Contains(pages, u"\u2208")); // math symbols from the fonts' own encodings
}

} // namespace
} // namespace scrivlet::pdf
