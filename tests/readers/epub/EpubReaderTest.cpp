#include "readers/epub/EpubReader.h"
#include "core/CodePage.h"
#include "core/Stream.h"
#include "support/ReaderHarness.h"
#include "support/ZipBuilder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using L = std::vector<std::u16string>;

std::string Xhtml(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?><html xmlns=\"http://www.w3.org/1999/xhtml\">"
         "<head><title>t</title></head><body>" +
         body + "</body></html>";
}

struct Book {
  std::string folder; // every member below it ("book/"), as a zipped folder has them
  std::string opfPath = "OEBPS/content.opf";
  std::string metadata = "<dc:title>Book</dc:title>";
  std::string manifest;
  std::string spine; // empty: no spine element
  std::vector<std::pair<std::string, std::string>> files;
  std::vector<std::string> moreRootfiles; // full paths listed after opfPath

  std::string Build() const {
    test::ZipBuilder zip;
    zip.Add(folder + "mimetype", "application/epub+zip", 0);
    std::string rootfiles;
    for (const std::string& path : moreRootfiles)
      rootfiles += "<rootfile full-path=\"" + path + "\"/>";
    zip.Add(folder + "META-INF/container.xml",
            "<?xml version=\"1.0\"?><container><rootfiles><rootfile full-path=\"" + opfPath +
                "\" media-type=\"application/oebps-package+xml\"/>" + rootfiles +
                "</rootfiles></container>");
    zip.Add(folder + opfPath, "<?xml version=\"1.0\"?><package><metadata>" + metadata +
                                  "</metadata><manifest>" + manifest + "</manifest>" +
                                  (spine.empty() ? "" : "<spine>" + spine + "</spine>") +
                                  "</package>");
    for (const auto& [name, data] : files)
      zip.Add(folder + name, data);
    return zip.Build();
  }
};

std::string Item(const std::string& id, const std::string& href,
                 const std::string& type = "application/xhtml+xml") {
  return "<item id=\"" + id + "\" href=\"" + href + "\" media-type=\"" + type + "\"/>";
}

std::unique_ptr<test::ReaderHarness<EpubReader>>
Load(const std::string& bytes, OutputFormat formating = OutputFormat::PlainText,
     ContentItems items = {ContentItem::Text, ContentItem::Summary}) {
  auto reader = std::make_unique<test::ReaderHarness<EpubReader>>();
  reader->SetTextFormating(formating);
  reader->SetParseItems(items);
  MemoryStream stream(bytes);
  reader->LoadFromStream(stream);
  return reader;
}

L Body(const test::ReaderHarness<EpubReader>& reader) {
  L lines;
  for (int i = 1; i + 1 < reader.Lines().Count(); ++i)
    lines.push_back(reader.Lines().Get(i));
  return lines;
}

TEST(EpubReader, SpineOrderPathsAndInlineText) {
  Book book;
  book.manifest = Item("c2", "Text/ch%202.xhtml") + Item("c1", "Text/../Text/./ch1.xhtml") +
                  Item("css", "style.css", "text/css");
  book.spine = "<itemref idref=\"c1\"/><itemref idref=\"c2\"/><itemref idref=\"css\"/>";
  book.files = {
      {"OEBPS/Text/ch1.xhtml", Xhtml("<h1>Chapter <em>One</em></h1><p>Hello <b>big</b> world</p>")},
      {"OEBPS/Text/ch 2.xhtml", Xhtml("<div><p>Second</p></div>")}};
  EXPECT_EQ(Body(*Load(book.Build())), (L{u"Chapter One", u"Hello big world", u"Second"}));
  L html = Body(*Load(book.Build(), OutputFormat::Html));
  EXPECT_EQ(html[0], u"<h1>Chapter One</h1>");
  EXPECT_EQ(html[1], u"<p>Hello big world</p>");
  EXPECT_EQ(Body(*Load(book.Build(), OutputFormat::Rtf))[2], u"Second\\par ");
  book.spine.clear(); // manifest order
  EXPECT_EQ(Body(*Load(book.Build())), (L{u"Second", u"Chapter One", u"Hello big world"}));
}

// Each reading of a package document converts every chapter it lists: a
// container that lists one package a thousand times must not convert the
// book a thousand times.
TEST(EpubReader, APackageListedAgainIsReadOnce) {
  Book book;
  book.manifest = Item("c", "c.xhtml");
  book.spine = "<itemref idref=\"c\"/>";
  book.files = {{"OEBPS/c.xhtml", Xhtml("<p>once</p>")}};
  for (int i = 0; i < 30; ++i)
    book.moreRootfiles.push_back(i % 3 == 0   ? "OEBPS/content.opf"
                                 : i % 3 == 1 ? "./OEBPS/Content.opf"
                                              : "OEBPS/../OEBPS/content.opf");
  EXPECT_EQ(Body(*Load(book.Build())), (L{u"once"}));
}

// Text beside blocks (a bare text or an inline element in the body or in
// a div of paragraphs) is a paragraph where it stands; what a reader never
// sees (hidden elements, scripts, the page list) gives nothing.
TEST(EpubReader, TextBesideBlocksAndWhatIsNeverShown) {
  Book book;
  book.manifest = Item("c", "c.xhtml");
  book.files = {
      {"OEBPS/c.xhtml",
       Xhtml("Opening words <h1>Title</h1> and a <span>span</span> <p>para</p>"
             "<div><p>inner</p>after <em>it</em></div><script>var x = 1;</script>"
             "<nav epub:type=\"page-list\"><ol><li>1</li><li>2</li></ol></nav>"
             "<nav hidden=\"\"><ol><li>Landmark</li></ol></nav><p hidden=\"hidden\">secret</p>"
             "tail")}};
  EXPECT_EQ(Body(*Load(book.Build())), (L{u"Opening words", u"Title", u"and a span", u"para",
                                          u"inner", u"after it", u"tail"}));
}

// A book zipped with its folder has its container one folder down; a book
// without a package document gives its chapters; an archive with neither
// fails with a message, never an empty success.
TEST(EpubReader, ContainerBelowAFolderAndNoPackage) {
  Book book;
  book.folder = "My Book/";
  book.manifest = Item("c", "c.xhtml");
  book.spine = "<itemref idref=\"c\"/>";
  book.files = {{"OEBPS/c.xhtml", Xhtml("<p>Found</p>")}};
  EXPECT_EQ(Body(*Load(book.Build())), (L{u"Found"}));
  test::ZipBuilder loose;
  loose.Add("mimetype", "application/epub+zip", 0);
  loose.Add("text/one.xhtml", Xhtml("<p>Chapter</p>"));
  EXPECT_EQ(Body(*Load(loose.Build())), (L{u"Chapter"}));
  test::ZipBuilder empty;
  empty.Add("mimetype", "application/epub+zip", 0);
  EXPECT_THROW(Load(empty.Build()), Exception);
}

TEST(EpubReader, TextInOtherBlocks) {
  Book book;
  book.manifest = Item("c", "c.xhtml");
  book.files = {{"OEBPS/c.xhtml",
                 Xhtml("<div class=\"poem\"><div>April is the <em>cruellest</em> month</div>"
                       "<div>Lilacs</div><div> </div></div><ul><li>item</li><li><p>para</p></li>"
                       "</ul><table><tr><td>cell</td></tr></table><div>intro<p>kept</p></div>")}};
  EXPECT_EQ(Body(*Load(book.Build())), (L{u"April is the cruellest month", u"Lilacs", u"item",
                                          u"para", u"cell", u"intro", u"kept"}));
  EXPECT_EQ(Body(*Load(book.Build(), OutputFormat::Html))[0],
            u"<p>April is the cruellest month</p>");
}

TEST(EpubReader, MetadataTimestampAndCover) {
  Book book;
  book.metadata = "<dc:title>One</dc:title><dc:title>Two</dc:title><dc:creator>Ann</dc:creator>"
                  "<dc:creator>Bob</dc:creator><dc:publisher>Pub</dc:publisher>"
                  "<meta name=\"calibre:timestamp\" content=\"2009-05-14T10:20:30+00:00\"/>"
                  "<meta name=\"cover\" content=\"cover-id\"/>";
  book.manifest = Item("cover-id", "Images/cover.png", "image/png") + Item("c", "c.xhtml");
  book.files = {{"OEBPS/Images/cover.png", "PNGBYTES"}, {"OEBPS/c.xhtml", Xhtml("<p>x</p>")}};
  auto reader = Load(book.Build());
  const auto* s = reader->SummaryInformation();
  EXPECT_EQ(s->Title, u"One; Two");
  EXPECT_EQ(s->Author, u"Ann; Bob");
  EXPECT_EQ(s->Company, u"Pub");
  EXPECT_NEAR(s->Created, 39947.43090277778, 1e-9);
  EXPECT_EQ(reader->Inner().CoverImage().Data(), "PNGBYTES");
  EXPECT_EQ(Body(*reader), L{u"x"});
}

TEST(EpubReader, ParseItemsAndDefaultCover) {
  Book book;
  book.manifest = Item("c", "c.xhtml");
  book.files = {{"OEBPS/images/cover.jpg", "JPEG"}, {"OEBPS/c.xhtml", Xhtml("<p>x</p>")}};
  auto summaryOnly = Load(book.Build(), OutputFormat::PlainText, {ContentItem::Summary});
  EXPECT_EQ(summaryOnly->Lines().Count(), 0);
  EXPECT_EQ(summaryOnly->SummaryInformation()->Title, u"Book");
  EXPECT_EQ(summaryOnly->Inner().CoverImage().Data(), "JPEG");
  auto textOnly = Load(book.Build(), OutputFormat::PlainText, {ContentItem::Text});
  EXPECT_EQ(textOnly->SummaryInformation()->Title, u"");
  EXPECT_EQ(Body(*textOnly), L{u"x"});
}

TEST(EpubReader, SectionsAndEmptyLines) {
  Book book;
  book.opfPath = "content.opf"; // at the archive root
  book.manifest = Item("c", "c.xhtml");
  book.files = {{"c.xhtml", Xhtml("<section><p>a</p><empty-line/></section>")}};
  // A section's end is an empty entry of its own.
  EXPECT_EQ(Body(*Load(book.Build())), (L{u"a", u"\r\n", u""}));
}

TEST(EpubReader, DamagedPackages) {
  // Bytes without any ZIP structure are an error, not an empty book.
  try {
    Load("not a zip");
    ADD_FAILURE() << "read";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(), "The archive is damaged: no ZIP archive");
  }
  test::ZipBuilder noRootfiles;
  noRootfiles.Add("META-INF/container.xml", "<container/>");
  // A container naming no package, in an archive without chapters: no
  // book to read, which is said rather than passed off as an empty one.
  EXPECT_THROW(Load(noRootfiles.Build()), Exception);
  Book book;
  book.manifest = Item("self", "content.opf") + Item("out", "../../../../etc/passwd") +
                  Item("twice", "c.xhtml");
  book.spine = "<itemref idref=\"twice\"/><itemref idref=\"twice\"/><itemref idref=\"self\"/>"
               "<itemref idref=\"out\"/><itemref idref=\"missing\"/>";
  book.files = {{"OEBPS/c.xhtml", Xhtml("<p>x</p>")}};
  // A spine entry listed twice is read once.
  EXPECT_EQ(Body(*Load(book.Build())), (L{u"x"}));
  EXPECT_EQ(EpubReader::ResolveMemberPath("OEBPS/", "../../a/./b%20c.xhtml#frag"), "a/b c.xhtml");
  EXPECT_EQ(EpubReader::ResolveMemberPath("", "/abs.xhtml"), "abs.xhtml");
}

// A book whose content documents come before its package document, as
// many packagers write them, cut keep bytes into the member named cutAt
// (whole for "").
std::string CutBook(const std::string& cutAt, size_t keep) {
  test::ZipBuilder zip;
  zip.Add("mimetype", "application/epub+zip", 0);
  zip.Add("META-INF/container.xml",
          "<?xml version=\"1.0\"?><container><rootfiles><rootfile full-path=\"OEBPS/content.opf\" "
          "media-type=\"application/oebps-package+xml\"/></rootfiles></container>");
  zip.Add("OEBPS/b.xhtml", Xhtml("<h1>First</h1><p>One <em>two</em></p>"));
  zip.Add("OEBPS/style.css", "p { margin: 0 }");
  zip.Add("OEBPS/a.HTM", Xhtml("<p>Second</p>"));
  zip.Add("OEBPS/content.opf",
          "<?xml version=\"1.0\"?><package><manifest>" + Item("a", "a.HTM") + Item("b", "b.xhtml") +
              "</manifest><spine><itemref idref=\"a\"/><itemref idref=\"b\"/></spine></package>");
  const std::string bytes = zip.Build();
  if (cutAt.empty())
    return bytes;
  size_t member = 0;
  for (size_t at = bytes.find("PK\x03\x04"); at != std::string::npos;
       at = bytes.find("PK\x03\x04", at + 4)) {
    if (bytes.compare(at + 30, cutAt.size(), cutAt) == 0) {
      member = at;
      break;
    }
  }
  return bytes.substr(0, member + keep);
}

TEST(EpubReader, DamagedArchiveWithoutItsPackageGivesItsDocumentsInArchiveOrder) {
  // Cut inside the package document: its chapters remain, in archive order
  // (not the lost spine's); what is no (X)HTML document is left out.
  EXPECT_EQ(Body(*Load(CutBook("OEBPS/content.opf", 60))), (L{u"First", u"One two", u"Second"}));
  // The same book whole follows its spine.
  EXPECT_EQ(Body(*Load(CutBook("", 0))), (L{u"Second", u"First", u"One two"}));
  // Only the container is left: an error that tells the damage, not an
  // empty book.
  try {
    Load(CutBook("OEBPS/b.xhtml", 10));
    ADD_FAILURE() << "read";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(), "The archive is damaged: no central directory");
  }
  // Without the text asked for, nothing is missed.
  EXPECT_NO_THROW(
      Load(CutBook("OEBPS/b.xhtml", 10), OutputFormat::PlainText, {ContentItem::Summary}));
}

TEST(EpubCorpus, RealBooksConvert) {
  std::filesystem::path dir = std::filesystem::path(SCRIVLET_CORPUS_DIR) / "epub";
  if (!std::filesystem::is_directory(dir))
    GTEST_SKIP() << "no corpus at " << dir;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    test::ReaderHarness<EpubReader> reader;
    EXPECT_NO_THROW(reader.LoadFromFile(entry.path().string())) << entry.path();
    EXPECT_GT(reader.Lines().Count(), 2) << entry.path();
  }
}

} // namespace
} // namespace scrivlet
