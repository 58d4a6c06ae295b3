#include "frontend/CgiPage.h"
#include "support/DocxBuilder.h"
#include "support/PdfEncryptionBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using test::DocxBuilder;

bool Holds(const std::string& page, const std::string& text) {
  return page.find(text) != std::string::npos;
}

// A site whose configuration asks for the document layout, over a folder.
struct DocumentSite {
  test::TempDir dir;
  PageConfig config;
  DocumentSite() {
    std::string cfg = dir.Write("site.cfg", "[Head]\r\n<meta name=\"site\" content=\"head\">\r\n"
                                            "[EndOfBody]\r\n<p id=\"site-end\">end</p>\r\n"
                                            "[Layout]\r\n  Document \r\n[DocumentRoot]\r\n" +
                                                dir.Path() + "\r\n");
    config = ReadPageConfig(cfg);
  }
  std::string Page(const std::string& name, bool firstPage = false, std::string password = "") {
    CgiRequest request{firstPage, name};
    request.password = std::move(password);
    request.scriptName = "/cgi-bin/scrivlet.cgi";
    return RenderPage(request, config, ConvertForPage(request, config));
  }
};

std::string PageBreakParagraph() {
  return DocxBuilder::Paragraph(DocxBuilder::Run("", "") + "<w:r><w:br w:type=\"page\"/></w:r>");
}

std::string TwoPageDocx() {
  DocxBuilder docx;
  docx.styles = DocxBuilder::Style("paragraph", "Heading1", "heading 1",
                                   "<w:pPr><w:outlineLvl w:val=\"0\"/></w:pPr>");
  docx.body = DocxBuilder::StyledParagraph("Heading1", "Plans") + "<w:tbl><w:tr><w:tc>" +
              DocxBuilder::Paragraph(DocxBuilder::Run("cell one")) + "</w:tc><w:tc>" +
              DocxBuilder::Paragraph(DocxBuilder::Run("cell two")) + "</w:tc></w:tr></w:tbl>" +
              PageBreakParagraph() + DocxBuilder::Paragraph(DocxBuilder::Run("on page two"));
  return docx.Build();
}

TEST(CgiLayout, TheConfigurationChoosesIt) {
  test::TempDir dir;
  auto layout = [&dir](const std::string& text) {
    return ReadPageConfig(dir.Write("a.cfg", text)).layout;
  };
  EXPECT_EQ(layout("[Layout]\ndocument\n"), PageLayout::Document);
  EXPECT_EQ(layout("[layout]\r\n\tDOCUMENT\r\n"), PageLayout::Document);
  EXPECT_EQ(layout("[Layout]\nclassic\n"), PageLayout::Classic);
  EXPECT_EQ(layout("[Layout]\nfancy\n"), PageLayout::Classic);
  EXPECT_EQ(layout("[Head]\n<x>\n"), PageLayout::Classic);
  EXPECT_EQ(ReadPageConfig("").layout, PageLayout::Classic);
}

TEST(CgiLayout, TheDocumentPageWithTheSitesMarkup) {
  DocumentSite site;
  site.dir.Write("plans.docx", TwoPageDocx());
  std::string page = site.Page("plans.docx");
  EXPECT_TRUE(page.starts_with("Content-Type: text/html; charset=utf-8\r\n\r\n<!DOCTYPE html>\n"))
      << page.substr(0, 200);
  EXPECT_TRUE(Holds(page, "<h1>Plans</h1>")) << page;
  EXPECT_TRUE(Holds(page, "<table>"));
  EXPECT_TRUE(Holds(page, "cell two"));
  EXPECT_TRUE(Holds(page, "on page two"));
  EXPECT_TRUE(Holds(page, "<title>plans.docx</title>"));
  EXPECT_TRUE(Holds(page, "<meta name=\"site\" content=\"head\">\r\n</head>"));
  EXPECT_TRUE(Holds(page, "<p id=\"site-end\">end</p>\r\n</body>\n</html>\n"));
  EXPECT_FALSE(Holds(page, "<BR>")); // not the classic page
}

TEST(CgiLayout, TheFirstPageIsTheDocumentsOwn) {
  DocumentSite site;
  site.dir.Write("plans.docx", TwoPageDocx());
  std::string first = site.Page("plans.docx", true);
  EXPECT_TRUE(Holds(first, "cell one"));
  EXPECT_FALSE(Holds(first, "on page two"));
}

TEST(CgiLayout, WithoutPagesTheFirstPageHoldsTheFirstLines) {
  DocumentSite site;
  std::string book = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<FictionBook "
                     "xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\"><body><section>";
  for (int i = 1; i <= 100; ++i)
    book += "<p>line " + std::to_string(i) + "</p>";
  book += "</section></body></FictionBook>";
  site.dir.Write("long.fb2", book);
  std::string first = site.Page("long.fb2", true);
  EXPECT_TRUE(Holds(first, "line 40<"));
  EXPECT_FALSE(Holds(first, "line 70<"));
  EXPECT_TRUE(Holds(site.Page("long.fb2"), "line 100<"));
}

TEST(CgiLayout, FailuresAreMessagesInAPageOfTheSameLook) {
  DocumentSite site;
  std::string missing = site.Page("absent.docx");
  EXPECT_TRUE(missing.starts_with(
      "Status: 404 Not Found\r\nContent-Type: text/html; charset=utf-8\r\n\r\n<!DOCTYPE html>"));
  EXPECT_TRUE(Holds(missing, "<h1>Filename is not defined or file is not found</h1>")) << missing;
  EXPECT_TRUE(Holds(missing, "<title>absent.docx</title>"));
  EXPECT_TRUE(Holds(missing, "<p id=\"site-end\">end</p>"));

  site.dir.Write("broken.docx", "not a package");
  std::string broken = site.Page("broken.docx");
  EXPECT_TRUE(broken.starts_with("Content-Type: text/html; charset=utf-8\r\n\r\n"));
  EXPECT_TRUE(Holds(broken, "<h1>File broken.docx is not valid MS Word document</h1>"));

  test::EncryptionSettings settings;
  settings.UserPassword = "sesame";
  site.dir.Write("locked.pdf",
                 test::PdfEncryptionBuilder(settings).BuildFile({"Quarterly figures"}, "Report"));
  std::string locked = site.Page("locked.pdf");
  EXPECT_TRUE(locked.starts_with("Status: 403 Forbidden\r\n"));
  EXPECT_TRUE(Holds(locked, "<h1>This document is protected by a password</h1>\n"
                            "<form method=\"post\" action=\"/cgi-bin/scrivlet.cgi\">"));
  std::string wrong = site.Page("locked.pdf", false, "guess<>");
  EXPECT_TRUE(Holds(wrong, "<h1>The password is not valid</h1>"));
  EXPECT_FALSE(Holds(wrong, "guess"));
  std::string opened = site.Page("locked.pdf", false, "sesame");
  EXPECT_TRUE(opened.starts_with("Content-Type: text/html; charset=utf-8\r\n\r\n<!DOCTYPE html>"));
  EXPECT_TRUE(Holds(opened, "Quarterly figures"));
  EXPECT_TRUE(Holds(opened, "<title>Report</title>"));
}

} // namespace
} // namespace scrivlet
