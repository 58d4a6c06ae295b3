#include "readers/fictionbook/FictionBookReader.h"
#include "core/CodePage.h"
#include "core/Stream.h"
#include "support/ReaderHarness.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace scrivlet {
namespace {

std::unique_ptr<test::ReaderHarness<FictionBookReader>>
Load(const std::string& xml, OutputFormat formating = OutputFormat::PlainText,
     ContentItems items = {ContentItem::Text, ContentItem::Summary}) {
  auto reader = std::make_unique<test::ReaderHarness<FictionBookReader>>();
  reader->SetTextFormating(formating);
  reader->SetParseItems(items);
  MemoryStream stream(xml);
  reader->LoadFromStream(stream);
  return reader;
}

std::vector<std::u16string> Lines(const test::ReaderHarness<FictionBookReader>& reader) {
  std::vector<std::u16string> lines;
  for (int i = 0; i < reader.Lines().Count(); ++i)
    lines.push_back(reader.Lines().Get(i));
  return lines;
}

std::string Book(const std::string& description, const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<FictionBook><description>" + description +
         "</description><body>" + body +
         "</body><body><section><p>notes</p></section></body>"
         "</FictionBook>";
}

TEST(FictionBookSummary, DescriptionFields) {
  auto reader = Load(Book("<title-info><gentre>sf</gentre><author><first-name>Ann</first-name>"
                          "<last-name>Lee</last-name></author><author><first-name>Bob</first-name>"
                          "</author><book-title>The &amp; Book</book-title><keywords>k</keywords>"
                          "</title-info><document-info><author><last-name>Only</last-name>"
                          "<nicname>nick</nicname></author><version>1.2</version></document-info>"
                          "<publish-info><book-name>Pub</book-name></publish-info>",
                          "<p>x</p>"));
  const auto* s = reader->SummaryInformation();
  EXPECT_EQ(s->Title, u"The & Book");
  EXPECT_EQ(s->Author, u"Ann Lee");
  EXPECT_EQ(s->Category, u"sf");
  EXPECT_EQ(s->Keywords, u"k");
  EXPECT_EQ(s->Manager, u"nick");
  EXPECT_EQ(s->RevNumber, u"1.2");
  EXPECT_EQ(s->Subject, u"Pub");
  EXPECT_EQ(s->Created, 0);
}

TEST(FictionBookSummary, GenreAsItIsSpeltAndAsItWasRead) {
  auto category = [](const std::string& titleInfo) {
    return Load(Book("<title-info>" + titleInfo + "</title-info>", ""))
        ->SummaryInformation()
        ->Category;
  };
  EXPECT_EQ(category("<genre>sf_history</genre><genre>prose</genre>"), u"sf_history");
  EXPECT_EQ(category("<gentre>sf</gentre>"), u"sf");
  EXPECT_EQ(category("<gentre>old</gentre><genre>new</genre>"), u"new");
  EXPECT_EQ(category(""), u"");
}

TEST(FictionBookSummary, AuthorNames) {
  auto author = [](const std::string& inner) {
    return Load(Book("<title-info><author>" + inner + "</author></title-info>", ""))
        ->SummaryInformation()
        ->Author;
  };
  EXPECT_EQ(
      author("<first-name>A</first-name><middle-name>B</middle-name><last-name>C</last-name>"),
      u"A B C");
  EXPECT_EQ(author("<last-name>C</last-name>"), u"");
  EXPECT_EQ(author("<last-name>C</last-name><nicname>N</nicname>"), u"N");
  EXPECT_EQ(author("<last-name>C</last-name><nickname>N2</nickname>"), u"N2");
  EXPECT_EQ(author("<first-name>A</first-name><nickname>N2</nickname>"), u"A");
  EXPECT_EQ(Load(Book("<title-info><book-title>T</book-title></title-info>", ""))
                ->SummaryInformation()
                ->Keywords,
            u"");
}

TEST(FictionBookText, BodyInThreeFormattings) {
  std::string book =
      Book("", "<section><p>One</p><empty-line/><p>Two <emphasis>big</emphasis> words</p>"
               "<section><p>Inner</p></section></section>");
  EXPECT_EQ(Lines(*Load(book)), (std::vector<std::u16string>{u"", u"One", u"\r\n", u"Two big words",
                                                             u"Inner", u"", u"", u""}));
  auto html = Lines(*Load(book, OutputFormat::Html));
  EXPECT_EQ(std::vector<std::u16string>(html.begin() + 1, html.end() - 1),
            (std::vector<std::u16string>{u"<p>One</p>", u"<br>\r\n", u"<p>Two big words</p>",
                                         u"<p>Inner</p>", u"", u""}));
  auto rtf = Lines(*Load(book, OutputFormat::Rtf));
  EXPECT_EQ(rtf[1], u"One\\par ");
  EXPECT_EQ(rtf[2], u"\r\n\\line ");
}

TEST(FictionBookText, VersesSubtitlesAndTables) {
  std::string book = Book("", "<section><subtitle>Sub</subtitle><poem><stanza><v>Line one</v>"
                              "<v>Line two</v></stanza><text-author>Poet</text-author></poem>"
                              "<table><tr><th>Head</th><td>Cell</td></tr></table></section>");
  EXPECT_EQ(Lines(*Load(book)), (std::vector<std::u16string>{u"", u"Sub", u"Line one", u"Line two",
                                                             u"Poet", u"Head", u"Cell", u"", u""}));
}

TEST(FictionBookText, SectionEndsAndParseItems) {
  // A section's end is an empty entry of its own.
  auto sections = Load(Book("", "<section><p>a</p></section>"));
  EXPECT_EQ(sections->Lines().Get(1), u"a");
  EXPECT_EQ(sections->Lines().Get(2), u"");

  auto textOnly = Load(Book("<title-info><book-title>T</book-title></title-info>", "<p>a</p>"),
                       OutputFormat::PlainText, {ContentItem::Text});
  EXPECT_EQ(textOnly->SummaryInformation()->Title, u"");
  auto summaryOnly = Load(Book("<title-info><book-title>T</book-title></title-info>", "<p>a</p>"),
                          OutputFormat::PlainText, {ContentItem::Summary});
  EXPECT_EQ(summaryOnly->Lines().Count(), 2);
  EXPECT_EQ(summaryOnly->SummaryInformation()->Title, u"T");
}

TEST(FictionBookText, NoFictionBookElementAndLetterCase) {
  auto none = Load("<html><body><p>x</p></body></html>");
  EXPECT_EQ(none->Lines().Count(), 2);
  auto upper = Load("<FICTIONBOOK><body><p>x</p></body></FICTIONBOOK>");
  EXPECT_EQ(upper->Lines().Get(1), u"x");
}

TEST(FictionBookText, Windows1251AndUtf8) {
  std::string cyrillic = "<?xml version=\"1.0\" encoding=\"windows-1251\"?><FictionBook><body>"
                         "<p>\xcf\xf0\xe8\xe2\xe5\xf2</p></body></FictionBook>";
  EXPECT_EQ(Load(cyrillic)->Lines().Get(1), u"\u041f\u0440\u0438\u0432\u0435\u0442");
  std::string utf8 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><FictionBook><body>"
                     "<p>\xd0\x9f\xf0\x9f\x98\x80</p></body></FictionBook>";
  EXPECT_EQ(Load(utf8)->Lines().Get(1), u"\u041f\U0001F600");
}

TEST(FictionBookText, DeepAndDamagedBooks) {
  std::string deep = "<FictionBook><body>";
  for (int i = 0; i < 100000; ++i)
    deep += "<section>";
  deep += "<p>deep</p>";
  auto reader = Load(deep);
  EXPECT_EQ(reader->Lines().Get(1), u"deep");
  EXPECT_EQ(reader->Lines().Count(), 2 + 1 + 100000); // each open section ends with a line
  EXPECT_NO_THROW(Load("<FictionBook><body><p>cut"));
  EXPECT_NO_THROW(Load(std::string("<FictionBook>\0<body>", 20)));
}

TEST(FictionBookCorpus, RealBooksConvert) {
  std::filesystem::path dir = std::filesystem::path(SCRIVLET_CORPUS_DIR) / "fb2";
  if (!std::filesystem::is_directory(dir))
    GTEST_SKIP() << "no corpus at " << dir;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    test::ReaderHarness<FictionBookReader> reader;
    EXPECT_NO_THROW(reader.LoadFromFile(entry.path().string())) << entry.path();
    EXPECT_GE(reader.Lines().Count(), 2) << entry.path();
  }
  test::ReaderHarness<FictionBookReader> book;
  book.LoadFromFile((dir / "seb_book1.fb2").string());
  EXPECT_NE(book.Lines().GetTextW().find(u"\u0420\u043e\u0431\u0438\u043d\u0437\u043e\u043d\u044b"),
            std::u16string::npos);
}

} // namespace
} // namespace scrivlet
