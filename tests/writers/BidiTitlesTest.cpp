// Titles, authors and file names with bidirectional controls: balanced and
// isolated wherever the page or the front matter shows them, so that
// "RLO txt.exe" cannot turn round what follows it.
#include "core/Utf8.h"
#include "writers/MarkdownWriter.h"
#include "writers/PageWriter.h"

#include "support/DocumentBuilder.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

struct TitleCase {
  std::u16string title;
  std::u16string inTitleElement; // what <title> holds
  std::u16string inBdi;          // what the heading's <bdi> holds; empty: no <bdi>
  std::string inFrontMatter;     // the YAML string, quotes included
};

const TitleCase kCases[] = {
    {u"Plain", u"Plain", u"", "\"Plain\""},
    {u"\u202Etxt.exe", u"\u2068\u202Etxt.exe\u202C\u2069", u"\u202Etxt.exe\u202C",
     "\"\\u2068\\u202Etxt.exe\\u202C\\u2069\""},
    {u"a\u2069b\u202C", u"\u2068ab\u2069", u"ab", "\"\\u2068ab\\u2069\""},
    {u"\u2067x\u202Dy", u"\u2068\u2067x\u202Dy\u202C\u2069\u2069", u"\u2067x\u202Dy\u202C\u2069",
     "\"\\u2068\\u2067x\\u202Dy\\u202C\\u2069\\u2069\""},
};

// The title as the page's body shows it.
std::string Shown(const TitleCase& c) {
  return c.inBdi.empty() ? WideToUtf8(c.title) : "<bdi>" + WideToUtf8(c.inBdi) + "</bdi>";
}

std::string TitleElement(const TitleCase& c) {
  return "<title>" + WideToUtf8(c.inTitleElement) + "</title>";
}

TEST(BidiTitles, ThePageIsolatesTheTitleInItsTitleAndHeading) {
  for (const TitleCase& c : kCases) {
    Document document = test::DocumentOf({test::Paragraph(u"Body")});
    document.hasSummary = true;
    document.summary.Title = c.title;
    document.summary.Author = c.title;
    std::string page = PageDocument(document, {});
    EXPECT_NE(page.find(TitleElement(c)), std::string::npos) << page;
    EXPECT_NE(page.find("<h1>" + Shown(c) + "</h1>"), std::string::npos) << page;
    EXPECT_NE(page.find("<p class=\"summary\">By " + Shown(c) + "</p>"), std::string::npos);
  }
}

TEST(BidiTitles, AnUntitledPageIsolatesItsFileName) {
  for (const TitleCase& c : kCases) {
    PageOptions options;
    options.fileName = u"dir/" + c.title;
    std::string page = PageDocument(Document(), options);
    EXPECT_NE(page.find(TitleElement(c)), std::string::npos) << page;
    EXPECT_NE(page.find("<h1>" + Shown(c) + "</h1>"), std::string::npos) << page;
  }
}

TEST(BidiTitles, AMessagePageIsolatesItsTitleAndMessage) {
  for (const TitleCase& c : kCases) {
    std::string page = MessagePage(c.title, c.title, "", {});
    EXPECT_NE(page.find(TitleElement(c)), std::string::npos) << page;
    EXPECT_NE(page.find("<h1>" + Shown(c) + "</h1>"), std::string::npos) << page;
  }
}

TEST(BidiTitles, TheFrontMatterEscapesAndIsolatesThem) {
  for (const TitleCase& c : kCases) {
    Document document = test::DocumentOf({test::Paragraph(u"Body")});
    document.hasSummary = true;
    document.summary.Title = c.title;
    document.summary.Author = c.title;
    MarkdownOptions options;
    options.summary = true;
    EXPECT_EQ(MarkdownDocument(document, options), "---\ntitle: " + c.inFrontMatter + "\nauthor: " +
                                                       c.inFrontMatter + "\n---\n\nBody\n");
  }
}

} // namespace
} // namespace scrivlet
