#include "writers/PageWriter.h"

#include "support/ChildProcess.h"
#include "support/DocumentBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace scrivlet {
namespace {

using test::BlockOf;
using test::BlockWith;
using test::CellOf;
using test::DocumentOf;
using test::Heading;
using test::LinkPiece;
using test::ListItem;
using test::NoteReferencePiece;
using test::Paragraph;
using test::PieceOf;
using test::TableOf;
using test::TextCell;
using test::TextPiece;

std::string Page(const Document& document, PageOptions options = {}) {
  if (options.fileName.empty())
    options.fileName = u"dir/report.docx";
  return PageDocument(document, options);
}

// The part of the page between <main> and </main>.
std::string MainOf(const std::string& page) {
  size_t start = page.find("<main>\n");
  size_t end = page.find("</main>");
  if (start == std::string::npos || end == std::string::npos)
    return {};
  return page.substr(start + 7, end - start - 7);
}

// A document with every kind of block, mark and note the page shows.
Document FullDocument() {
  Block nested = TableOf({{TextCell(u"inner")}});
  Document document = DocumentOf({
      Heading(1, u"Report"),
      Heading(8, u"Deep heading"),
      BlockWith(
          BlockKind::Paragraph,
          {TextPiece(u"Plain "), TextPiece(u"bold", kBold), TextPiece(u" "),
           TextPiece(u"both", kBold | kItalic), TextPiece(u" x"), TextPiece(u"2", kSuperscript),
           TextPiece(u" H"), TextPiece(u"2", kSubscript), TextPiece(u"O "),
           TextPiece(u"u", kUnderline), TextPiece(u"s", kStrike), TextPiece(u"c", kCode),
           PieceOf(InlineKind::LineBreak), LinkPiece(u"site", u"https://example.com/?a=1&b=\"2\""),
           TextPiece(u" "), LinkPiece(u"bad", u"javascript:alert(1)"), TextPiece(u" "),
           LinkPiece(u"mail", u"MAILTO:someone@example.com"), NoteReferencePiece(u"*", u"n1")}),
      ListItem(1, true, u"first", 3),
      ListItem(2, false, u"inner"),
      ListItem(1, true, u"second"),
      ListItem(1, true, u"tenth", 10),
      TableOf({{TextCell(u"H1", 1, true), TextCell(u"H2", 1, true)},
               {TextCell(u"wide <cell>", 2)},
               {CellOf({Paragraph(u"p1"), nested}), CellOf({ListItem(1, false, u"in cell")})}}),
      BlockOf(BlockKind::Quote, u"quoted"),
      BlockOf(BlockKind::Preformatted, u"  keep   spaces"),
      test::PageBreak(2),
      test::SlideBreak(u"Slide \"two\""),
      BlockWith(BlockKind::Paragraph, {TextPiece(u"Again"), NoteReferencePiece(u"*", u"n1")}),
  });
  document.notes.push_back(test::NoteOf(u"n1", u"*", u"The <note>."));
  document.hasSummary = true;
  document.summary.Title = u"Report";
  document.summary.Author = u"Ann & Bob";
  document.summary.Created = 38484.5;
  document.language = u"en-GB";
  document.AddStory(StoryKind::Headers).blocks.push_back(Paragraph(u"Running head"));
  document.AddStory(StoryKind::Footers).blocks.push_back(Paragraph(u"Page foot"));
  document.AddStory(StoryKind::Comments).blocks.push_back(Paragraph(u"A comment"));
  document.AddStory(StoryKind::Macros)
      .blocks.push_back(BlockOf(BlockKind::Preformatted, u"Sub A() ' <x>"));
  return document;
}

PageOptions AllItems() {
  PageOptions options;
  options.macros = options.headers = options.comments = true;
  return options;
}

TEST(PageWriter, HeadDeclaresUtf8LanguageViewportAndTitle) {
  std::string page = Page(FullDocument());
  EXPECT_EQ(page.rfind("<!DOCTYPE html>\n<html lang=\"en-GB\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                       "<title>Report</title>\n<style>",
                       0),
            0u)
      << page;
  EXPECT_EQ(page.find("<script"), std::string::npos);
  EXPECT_NE(page.find("prefers-color-scheme:dark"), std::string::npos);
  EXPECT_NE(page.find("overflow-wrap:anywhere"), std::string::npos);
  EXPECT_NE(page.find("white-space:pre-wrap"), std::string::npos);

  Document untitled = DocumentOf({Paragraph(u"x")});
  untitled.language = u"not a tag!";
  std::string plain = Page(untitled);
  EXPECT_NE(plain.find("<html lang=\"und\">\n"), std::string::npos); // undetermined
  EXPECT_NE(plain.find("<title>report.docx</title>"), std::string::npos);
  EXPECT_EQ(MainOf(plain), "<p dir=\"auto\">x</p>\n");
}

TEST(PageWriter, TitleAndSummaryOverTheText) {
  // The first block is the title's heading: no second <h1>.
  std::string main = MainOf(Page(FullDocument()));
  EXPECT_EQ(main.find("<h1>Report</h1>\n<p class=\"summary\">"), std::string::npos);
  EXPECT_EQ(main.rfind("<p class=\"summary\">By Ann &amp; Bob · Created "
                       "<time datetime=\"2005-05-12T12:00:00\">2005-05-12 12:00</time></p>\n"
                       "<h1>Report</h1>\n",
                       0),
            0u)
      << main;
  Document titled = DocumentOf({Paragraph(u"Body")});
  titled.hasSummary = true;
  titled.summary.Title = u"A <Title>";
  PageOptions noSummary;
  noSummary.summary = false;
  EXPECT_EQ(MainOf(Page(titled, noSummary)),
            "<h1>A &lt;Title&gt;</h1>\n<p dir=\"auto\">Body</p>\n");
}

TEST(PageWriter, BlocksAsHtmlElements) {
  std::string main = MainOf(Page(FullDocument()));
  for (const char* part : {
           "<h6>Deep heading</h6>\n",
           "<p dir=\"auto\">Plain <strong>bold</strong> <strong><em>both</em></strong> "
           "x<sup>2</sup> H<sub>2</sub>O <u>u</u><s>s</s><code>c<br></code>"
           "<a href=\"https://example.com/?a=1&amp;b=%222%22\">site</a> bad "
           "<a href=\"MAILTO:someone@example.com\">mail</a>"
           "<sup class=\"ref\"><a id=\"ref-1\" href=\"#note-1\">1</a></sup></p>\n",
           "<ol start=\"3\"><li>first<ul><li>inner</li></ul></li><li>second</li>"
           "<li value=\"10\">tenth</li></ol>\n<table>",
           "<table>\n<tr><th>H1</th><th>H2</th></tr>\n<tr><td colspan=\"2\">wide &lt;cell&gt;</td>"
           "</tr>\n<tr><td><p dir=\"auto\">p1</p>\n<table>\n<tr><td>inner</td></tr>\n</table>\n"
           "</td><td><ul><li>in cell</li></ul>\n</td></tr>\n</table>\n",
           "<blockquote><p dir=\"auto\">quoted</p></blockquote>\n",
           "<pre>  keep   spaces</pre>\n",
           "<hr aria-label=\"Page 2\">\n<hr aria-label=\"Slide &quot;two&quot;\">\n",
           // A second reference to a note takes no id of its own.
           "<p dir=\"auto\">Again<sup class=\"ref\"><a href=\"#note-1\">1</a></sup></p>\n",
           "<section class=\"notes\">\n<h2>Notes</h2>\n<ol>\n<li id=\"note-1\"><p dir=\"auto\">"
           "The &lt;note&gt;.</p>\n<a class=\"back\" href=\"#ref-1\" aria-label=\"Back to the "
           "text\">\xE2\x86\xA9</a></li>\n</ol>\n</section>\n",
       })
    EXPECT_NE(main.find(part), std::string::npos) << part << "\n---\n" << main;
  EXPECT_EQ(main.find("javascript"), std::string::npos);
}

TEST(PageWriter, HeadersCommentsAndMacrosWhenAsked) {
  std::string plain = Page(FullDocument());
  for (const char* absent : {"Running head", "Page foot", "A comment", "Sub A()"})
    EXPECT_EQ(plain.find(absent), std::string::npos) << absent;
  std::string page = Page(FullDocument(), AllItems());
  EXPECT_NE(page.find("<body>\n<header class=\"document-header\">\n<p dir=\"auto\">Running head"
                      "</p>\n</header>\n<main>"),
            std::string::npos);
  EXPECT_NE(page.find("</main>\n<footer class=\"document-footer\">\n<p dir=\"auto\">Page foot"),
            std::string::npos);
  EXPECT_NE(page.find("<aside class=\"comments\">\n<h2>Comments</h2>\n<p dir=\"auto\">A comment"),
            std::string::npos);
  EXPECT_NE(page.find("<pre><code>Sub A() ' &lt;x&gt;\n</code></pre>"), std::string::npos);
}

TEST(PageWriter, DocumentTextIsEscapedEverywhere) {
  const std::u16string hostile = u"<script>alert(\"x\")</script> & \u0001\u0085 \xD800 end";
  Document document =
      DocumentOf({Heading(2, hostile), Paragraph(hostile), ListItem(1, false, hostile),
                  TableOf({{TextCell(hostile)}}), test::SlideBreak(hostile)});
  document.hasSummary = true;
  document.summary.Title = hostile;
  document.summary.Author = hostile;
  document.notes.push_back(test::NoteOf(u"n", u"1", hostile));
  std::string page = Page(document);
  EXPECT_EQ(page.find("<script"), std::string::npos);
  EXPECT_EQ(page.find("\"x\""), std::string::npos);
  EXPECT_EQ(page.find('\x01'), std::string::npos);
  EXPECT_EQ(page.find("\xC2\x85"), std::string::npos); // a C1 control
  EXPECT_NE(page.find("&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt; &amp; "
                      "\xEF\xBF\xBD\xEF\xBF\xBD \xEF\xBF\xBD end"),
            std::string::npos)
      << page;
}

TEST(PageWriter, MaxLengthCutsTheText) {
  Document document =
      DocumentOf({Paragraph(u"abcdef"), Paragraph(u"ghij"), Paragraph(u"never shown")});
  document.notes.push_back(test::NoteOf(u"n", u"1", u"a note"));
  PageOptions options;
  options.maxTextLength = 8;
  EXPECT_EQ(MainOf(Page(document, options)),
            "<p dir=\"auto\">abcdef</p>\n<p dir=\"auto\">gh</p>\n");
}

TEST(PageWriter, AnEmptyDocumentShowsItsName) {
  EXPECT_EQ(MainOf(Page(Document())), "<h1>report.docx</h1>\n");
}

TEST(PageWriter, DeepTablesAndListsAreWrittenWithoutRecursion) {
  Block table = TableOf({{TextCell(u"innermost")}});
  for (int i = 0; i < 60; ++i)
    table = TableOf({{CellOf({table})}});
  Document document = DocumentOf({table, ListItem(200, true, u"deep", 5)});
  std::string main = MainOf(Page(document));
  size_t tables = 0;
  for (size_t at = 0; (at = main.find("<table>", at)) != std::string::npos; ++at)
    ++tables;
  EXPECT_EQ(tables, 61u);
  EXPECT_NE(main.find("<td>innermost</td>"), std::string::npos);
  EXPECT_NE(main.find("<ol start=\"5\"><li>deep</li></ol>"), std::string::npos) << main;
  size_t lists = 0;
  for (size_t at = 0; (at = main.find("<ol", at)) != std::string::npos; ++at)
    ++lists;
  EXPECT_EQ(lists, 64u); // the deepest level kept
}

TEST(PageWriter, TidyFindsNothingToReport) {
  const std::string tidy = "/usr/bin/tidy";
  if (access(tidy.c_str(), X_OK) != 0)
    GTEST_SKIP() << "tidy is not installed: the page is not checked by it";
  test::TempDir dir;
  Block table = TableOf({{TextCell(u"innermost")}});
  for (int i = 0; i < 5; ++i)
    table = TableOf({{CellOf({table, ListItem(3, true, u"item", 2)})}});
  Document deep = DocumentOf({table, ListItem(4, false, u"deep")});
  for (const auto& [name, document] :
       {std::pair<const char*, Document>{"full.html", FullDocument()},
        {"deep.html", deep},
        {"empty.html", Document()}}) {
    std::string file = dir.Write(name, Page(document, AllItems()));
    auto result = test::RunChild(tidy, {"-q", "-e", file}, {"LANG=C.UTF-8"});
    EXPECT_EQ(result.status, 0) << name << ":\n" << result.err << result.out;
  }
}

} // namespace
} // namespace scrivlet
