#include "core/Utf8.h"
#include "core/Exception.h"
#include "pdf/DocumentInfo.h"
#include "pdf/PageTree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace scrivlet::pdf {
namespace {

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

struct Expected {
  size_t Pages;
  std::string Title; // UTF-8
};

// Page counts and titles as pdfinfo (poppler-utils) reports them.
const std::map<std::string, Expected> Unencrypted = {
    {"fc_govdocs_020806.pdf", {6, "PUFF-III:  A Multigroup ... System"}},
    {"fc_govdocs_436840.pdf",
     {11, "Main Menu Process Reference Guide, Department of Veterans Affairs"}},
    {"fc_pdf-17-header18.pdf", {1, "This is a test document"}},
    {"pdfjs_90ms_rksj_h_sample.pdf", {1, ""}},
    {"pdfjs_issue11555.pdf", {1, ""}},
    {"pdfjs_issue14438.pdf", {1, ""}},
    {"pdfjs_issue2128r.pdf", {1, ""}},
    {"pdfjs_issue3521.pdf", {1, ""}},
    {"pdfjs_noembed-sjis.pdf", {1, "Jaoanese noembed test PDF"}},
    {"pdfminer_2b.pdf", {1, ""}},
    {"pdfminer_i1040nr.pdf", {50, "2007 Instruction 1040-NR"}},
    {"pdfminer_issue-886-xref-stream-widths.pdf", {1, ""}},
    {"pdfminer_jo.pdf", {1, ""}},
    {"pdfminer_nlp2004slides.pdf", {31, ""}},
    {"pdfminer_pagelabels.pdf", {5, ""}},
    {"pdfminer_simple1.pdf", {1, ""}},
    {"pypdf_GeoTopo-komprimiert.pdf", {117, "Geometrie und Topologie"}},
    {"pypdf_google-doc-document.pdf", {1, "PDF Example Document"}},
    {"pypdf_habibi.pdf", {1, "habibi"}},
    {"pypdf_minimal-document.pdf", {1, ""}},
};

TEST(PdfCorpus, PageCountsAndTitlesMatchPdfinfo) {
  std::filesystem::path dir = std::filesystem::path(SCRIVLET_CORPUS_DIR) / "pdf";
  if (!std::filesystem::is_directory(dir))
    GTEST_SKIP() << "no corpus at " << dir;
  size_t checked = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    std::string name = entry.path().filename().string();
    PdfDocument document(ReadFile(entry.path()));
    auto expected = Unencrypted.find(name);
    if (expected == Unencrypted.end()) {
      EXPECT_TRUE(document.IsEncrypted()) << name;
      continue;
    }
    ++checked;
    EXPECT_FALSE(document.IsEncrypted()) << name;
    size_t pages = 0;
    size_t contentBytes = 0;
    WalkPages(document, [&](PdfPage& page) {
      ++pages;
      contentBytes += page.Contents.size();
    });
    EXPECT_EQ(pages, expected->second.Pages) << name;
    EXPECT_GT(contentBytes, 0u) << name;
    EXPECT_EQ(WideToUtf8(ReadDocumentInfo(document).Title), expected->second.Title) << name;
  }
  EXPECT_EQ(checked, Unencrypted.size());
}

TEST(PdfCorpus, EncryptedFilesAskForTheirDecryptor) {
  std::filesystem::path file =
      std::filesystem::path(SCRIVLET_CORPUS_DIR) / "pdf" / "pdfminer_dmca.pdf";
  if (!std::filesystem::exists(file))
    GTEST_SKIP() << "no corpus file " << file;
  PdfDocument document(ReadFile(file));
  ASSERT_TRUE(document.IsEncrypted());
  EXPECT_NE(document.EncryptDictionary().find("/Standard"), std::string::npos);
  EXPECT_EQ(document.FirstId().size(), 16u);
  try {
    WalkPages(document, [](PdfPage&) {});
    FAIL() << "no exception";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(), "Could not read the password protected file");
  }
}

TEST(PdfCorpus, DamagedFilesGiveAMessageOrTheirPages) {
  std::filesystem::path dir = std::filesystem::path(SCRIVLET_CORPUS_DIR) / "broken";
  if (!std::filesystem::is_directory(dir))
    GTEST_SKIP() << "no corpus at " << dir;
  // Files whose pages are readable in spite of the damage.
  const std::map<std::string, size_t> readable = {
      {"derived_no-startxref_pdfminer_simple1.pdf", 1},
      {"fc_T02-02_002_page-tree-kids-recursive.pdf", 1},
      {"fc_T02-05-01_015_invalid-stream-length.pdf", 1},
      {"fc_T03_001_no-cross-reference-table.pdf", 1},
      {"fc_T03_007_offset_wrong.pdf", 1},
      {"fc_T04_002_EOF-missing.pdf", 1},
      {"fc_corruptionOneByteMissing.pdf", 1},
      {"pdfminer_issue-1113-evil-xobjects.pdf", 1},
      {"pdfminer_zen_of_python_corrupted.pdf", 1},
  };
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.path().extension() != ".pdf")
      continue;
    std::string name = entry.path().filename().string();
    size_t pages = 0;
    try {
      PdfDocument document(ReadFile(entry.path()));
      WalkPages(document, [&](PdfPage&) { ++pages; });
      ReadDocumentInfo(document);
    } catch (const Exception& error) {
      EXPECT_FALSE(error.Message().empty()) << name;
    }
    auto expected = readable.find(name);
    if (expected != readable.end()) {
      EXPECT_EQ(pages, expected->second) << name;
    }
  }
}

} // namespace
} // namespace scrivlet::pdf
