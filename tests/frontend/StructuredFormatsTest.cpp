#include "frontend/CommandLine.h"
#include "frontend/DocumentConversion.h"
#include "support/ChildProcess.h"
#include "support/EpubBuilder.h"
#include "support/OpenDocumentBuilder.h"
#include "support/SampleDocuments.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace scrivlet {
namespace {

std::optional<CommandLineOptions> Parse(std::vector<std::string> args) {
  std::string error;
  return ParseCommandLine(args, error);
}

TEST(StructuredFormats, FormatsItemsAndExtensions) {
  auto page = Parse({"--format", "html5", "--items=text,headers,comments", "a.doc"});
  ASSERT_TRUE(page);
  EXPECT_EQ(page->structured, StructuredFormat::Page);
  EXPECT_EQ(page->formating, OutputFormat::PlainText);
  EXPECT_EQ(page->items,
            (ContentItems{ContentItem::Text, ContentItem::HeadersFooters, ContentItem::Comments}));
  EXPECT_STREQ(OutputExtension(*page), ".html");
  auto markdown = Parse({"--format=markdown", "a.doc"});
  ASSERT_TRUE(markdown);
  EXPECT_EQ(markdown->structured, StructuredFormat::Markdown);
  EXPECT_STREQ(OutputExtension(*markdown), ".md");
  markdown->json = true;
  EXPECT_STREQ(OutputExtension(*markdown), ".json");
  // The last --format counts.
  auto rtf = Parse({"--format", "markdown", "--format", "rtf", "a.doc"});
  EXPECT_EQ(rtf->structured, StructuredFormat::None);
  EXPECT_EQ(rtf->formating, OutputFormat::Rtf);
  std::string out, err;
  EXPECT_EQ(RunCommandLine({"--format", "html4", "a.doc"}, out, err), 2);
  EXPECT_NE(err.find("plain, rtf, html, html5 or markdown"), std::string::npos) << err;
  out.clear();
  ASSERT_EQ(RunCommandLine({"--help"}, out, err), 0);
  EXPECT_NE(out.find("html5 (a page to read"), std::string::npos) << out;
  EXPECT_NE(out.find(".html, .md or .json"), std::string::npos) << out;
}

TEST(StructuredFormats, WrittenInUtf8WhateverTheCodePage) {
  test::TempDir dir;
  std::string book = dir.Write("pismo.fb2", test::SampleRussianBook());
  const std::string greeting = "\xd0\x97\xd0\xb4\xd1\x80\xd0\xb0\xd0\xb2"; // "Здрав"
  auto page =
      test::RunChild(SCRIVLET_CLI_PATH, {"--format", "html5", book}, {"SCRIVLET_CODEPAGE=1251"});
  ASSERT_EQ(page.status, 0) << page.err;
  EXPECT_EQ(page.out.rfind("<!DOCTYPE html>\n", 0), 0u);
  EXPECT_NE(page.out.find("<meta charset=\"utf-8\">"), std::string::npos);
  EXPECT_NE(page.out.find(greeting), std::string::npos) << page.out;
  auto markdown =
      test::RunChild(SCRIVLET_CLI_PATH, {"--format", "markdown", book}, {"SCRIVLET_CODEPAGE=1251"});
  ASSERT_EQ(markdown.status, 0) << markdown.err;
  EXPECT_EQ(markdown.out.rfind("---\ntitle: \"", 0), 0u) << markdown.out;
  EXPECT_NE(markdown.out.find(greeting), std::string::npos) << markdown.out;
}

// The page names the document's language where the format records one, so
// that browsers hyphenate and screen readers speak it rightly.
TEST(StructuredFormats, ThePageTakesTheLanguageTheDocumentRecords) {
  test::TempDir dir;
  test::EpubBuilder epub;
  epub.metadata = "<dc:language>fr-CA</dc:language><dc:language>en</dc:language>";
  epub.Chapter("a.xhtml", "<p>Bonjour</p>");
  test::OpenDocumentBuilder odt;
  odt.body = "<text:p>Hallo</text:p>";
  odt.meta = "<?xml version=\"1.0\"?><office:document-meta><office:meta><dc:language> de-AT "
             "</dc:language></office:meta></office:document-meta>";
  const std::pair<std::string, std::string> cases[] = {
      {dir.Write("pismo.fb2", test::SampleRussianBook()), "ru"},
      {dir.Write("book.epub", epub.Build()), "fr-CA"},
      {dir.Write("note.odt", odt.Build()), "de-AT"},
      {dir.Write("letter.wri", test::SampleWriteLetter()), "und"}, // Write records none
  };
  for (const auto& [file, lang] : cases) {
    std::string out, err;
    ASSERT_EQ(RunCommandLine({"--format", "html5", file}, out, err), 0) << err;
    EXPECT_NE(out.find("<html lang=\"" + lang + "\">"), std::string::npos) << file;
  }
}

TEST(StructuredFormats, OutputFilesAndMaxLength) {
  test::TempDir dir;
  std::string letter = dir.Write("letter.wri", test::SampleWriteLetter());
  std::string out, err;
  ASSERT_EQ(
      RunCommandLine({"--format", "markdown", "--output-dir", dir.File("md"), letter}, out, err), 0)
      << err;
  EXPECT_TRUE(std::filesystem::exists(dir.File("md/letter.wri.md")));
  ASSERT_EQ(
      RunCommandLine({"--format", "html5", "--output-dir", dir.File("page"), letter}, out, err), 0)
      << err;
  EXPECT_TRUE(std::filesystem::exists(dir.File("page/letter.wri.html")));
  out.clear();
  ASSERT_EQ(RunCommandLine({"--format", "markdown", "--max-length", "12", letter}, out, err), 0);
  EXPECT_EQ(out, "**A letter fro**\n");
  out.clear();
  ASSERT_EQ(RunCommandLine({"--format", "html5", "--items", "text", letter}, out, err), 0);
  EXPECT_NE(out.find("<title>letter.wri</title>"), std::string::npos) << out;
  EXPECT_NE(out.find("<p dir=\"auto\">Dear reader,</p>"), std::string::npos) << out;
}

// A document that fails writes nothing to standard output in any format
// but JSON, whose object carries the error.
TEST(StructuredFormats, AFailedDocumentWritesNothing) {
  test::TempDir dir;
  std::string damaged = dir.Write("x.wri", "short");
  for (const char* format : {"plain", "html5", "markdown"}) {
    std::string out, err;
    EXPECT_EQ(RunCommandLine({"--format", format, damaged}, out, err), 1) << format;
    EXPECT_EQ(out, "") << format;
    EXPECT_NE(err, "") << format;
  }
}

} // namespace
} // namespace scrivlet
