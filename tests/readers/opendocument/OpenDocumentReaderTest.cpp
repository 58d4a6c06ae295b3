#include "readers/opendocument/OpenDocumentReader.h"
#include "core/CodePage.h"
#include "core/Exception.h"
#include "core/Stream.h"
#include "support/ReaderHarness.h"
#include "support/ZipBuilder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using L = std::vector<std::u16string>;

std::string Content(const std::string& body, const std::string& styles = "",
                    const std::string& kind = "text") {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content>"
         "<office:automatic-styles>" +
         styles + "</office:automatic-styles><office:body><office:" + kind + ">" + body +
         "</office:" + kind + "></office:body></office:document-content>";
}

std::string Package(const std::string& content, const std::string& meta = "") {
  test::ZipBuilder zip;
  zip.Add("mimetype", "application/vnd.oasis.opendocument.text", 0);
  zip.Add("content.xml", content);
  if (!meta.empty())
    zip.Add("meta.xml", meta);
  return zip.Build();
}

template <class Reader = OpenDocumentTextReader>
std::unique_ptr<test::ReaderHarness<Reader>>
Load(const std::string& package, OutputFormat formating = OutputFormat::PlainText) {
  auto reader = std::make_unique<test::ReaderHarness<Reader>>();
  reader->SetTextFormating(formating);
  MemoryStream stream(package);
  reader->LoadFromStream(stream);
  return reader;
}

// The document a reader makes of a package.
Document Read(const std::string& package, ContentItems items = {ContentItem::Text}) {
  OpenDocumentTextReader reader;
  ReaderOptions options;
  options.items = items;
  Document document;
  reader.Read(package, "test.odt", options, document);
  return document;
}

std::vector<BlockKind> Kinds(const Story& story) {
  std::vector<BlockKind> kinds;
  for (const Block& block : story.blocks)
    kinds.push_back(block.kind);
  return kinds;
}

// The lines between prologue and epilogue.
template <class Reader> L Body(const Reader& reader) {
  L lines;
  for (int i = 1; i + 1 < reader.Lines().Count(); ++i)
    lines.push_back(reader.Lines().Get(i));
  return lines;
}

TEST(OpenDocumentText, ParagraphsHeadingsSpansAndLinks) {
  std::string body = "<text:h text:outline-level=\"1\">Title <text:span>here</text:span></text:h>"
                     "<text:p>Hello <text:span text:style-name=\"T1\">big</text:span> world "
                     "<text:a xlink:href=\"x\">link</text:a>.</text:p>";
  EXPECT_EQ(Body(*Load(Package(Content(body)))), (L{u"Title here", u"Hello big world link."}));
  EXPECT_EQ(Body(*Load(Package(Content(body)), OutputFormat::Rtf)),
            (L{u"Title here\\par ", u"Hello big world link.\\par "}));
}

TEST(OpenDocumentText, LineBreaksSpacesAndTabs) {
  std::string body = "<text:p>Hello<text:line-break/>world</text:p>"
                     "<text:p>a<text:s/>b<text:s text:c=\"3\"/>c<text:tab/>d</text:p>"
                     "<text:p><text:span>in<text:s/>span</text:span></text:p>";
  EXPECT_EQ(Body(*Load(Package(Content(body)))), (L{u"Hello\r\nworld", u"a b   c\td", u"in span"}));
  L html = Body(*Load(Package(Content(body)), OutputFormat::Html));
  EXPECT_EQ(html[2], u"<p>Hello<br/>world</p>"); // after the two style lines
  EXPECT_EQ(Body(*Load(Package(Content(body)), OutputFormat::Rtf))[0],
            u"Hello\r\n\\par world\\par ");
  // Either quote, and blanks around "=", as XML allows.
  EXPECT_EQ(Body(*Load(Package(Content("<text:p>a<text:s text:c='2'/>b<text:s text:c = \"3\"/>c"
                                       "</text:p>")))),
            L{u"a  b   c"});
}

TEST(OpenDocumentText, TablesAndListsInPlainAndHtml) {
  std::string body =
      "<table:table table:name=\"T\"><table:table-row><table:table-cell><text:p>one"
      "</text:p></table:table-cell><table:table-cell><text:p>two</text:p>"
      "</table:table-cell></table:table-row></table:table>"
      "<text:list><text:list-item><text:p>item</text:p></text:list-item></text:list>";
  EXPECT_EQ(Body(*Load(Package(Content(body)))), (L{u"one", u"", u"two", u"", u"", u"item"}));
  L html = Body(*Load(Package(Content(body)), OutputFormat::Html));
  EXPECT_EQ(L(html.begin() + 2, html.end()),
            (L{u"<table border=\"1\">", u"  <tr>", u"    <td>", u"<p>one</p>", u"    </td>",
               u"    <td>", u"<p>two</p>", u"    </td>", u"  </tr>", u"</table>", u"<ul>",
               u"  <li>", u"<p>item</p>", u"  </li>", u"</ul>"}));
}

TEST(OpenDocumentText, ImagesThroughAChildElement) {
  // The source stands as it is, in HTML too.
  std::string body = "<text:p><draw:frame><draw:image xlink:href=\"attr.png\"/></draw:frame>"
                     "</text:p><draw:image><xlink:href>Pictures/a&amp;b.png</xlink:href>"
                     "</draw:image>";
  EXPECT_EQ(Body(*Load(Package(Content(body)))), (L{u"", u"Pictures/a&b.png"}));
  EXPECT_EQ(Body(*Load(Package(Content(body)), OutputFormat::Rtf)),
            (L{u"\\par ", u"Pictures/a&b.png\\par "}));
  L html = Body(*Load(Package(Content(body)), OutputFormat::Html));
  EXPECT_EQ(L(html.begin() + 2, html.end()), (L{u"<p></p>", u"<img src=\"Pictures/a&b.png\"<br>"}));
}

TEST(OpenDocumentPresentation, PageEnds) {
  std::string body = "<draw:page><draw:frame><draw:text-box><text:p>Slide one</text:p>"
                     "</draw:text-box></draw:frame></draw:page><draw:page><draw:frame>"
                     "<draw:text-box><text:p>Slide two</text:p></draw:text-box></draw:frame>"
                     "</draw:page>";
  auto reader = Load<OpenDocumentPresentationReader>(Package(Content(body, "", "presentation")));
  EXPECT_EQ(Body(*reader), (L{u"Slide one", u"", u"Slide two", u""}));
  EXPECT_EQ(Body(*Load(Package(Content(body, "", "presentation")))), L{}); // no office:text
}

TEST(OpenDocumentModel, ParagraphsKeepTheirStyleLevelAndLineBreaks) {
  Document document = Read(Package(Content(
      "<text:h text:outline-level=\"3\">Head</text:h><text:h>One</text:h>"
      "<text:p><text:style-name>P&amp;1</text:style-name>a<text:line-break/> b&lt;<text:tab/>"
      "<text:line-break/></text:p><text:p/>")));
  const std::vector<Block>& blocks = document.Main().blocks;
  ASSERT_EQ(Kinds(document.Main()),
            (std::vector<BlockKind>{BlockKind::Heading, BlockKind::Heading, BlockKind::Paragraph,
                                    BlockKind::Paragraph, BlockKind::DocumentEnd}));
  EXPECT_EQ(blocks[0].level, 3);
  EXPECT_EQ(blocks[1].level, 1);
  // Text stays text: the style's own element is part of it, nothing is escaped.
  const Block& p = blocks[2];
  EXPECT_EQ(p.style, u"P&1");
  ASSERT_EQ(p.content.size(), 4u);
  EXPECT_EQ(p.content[0].text, u"P&1a");
  EXPECT_EQ(p.content[1].kind, InlineKind::LineBreak);
  EXPECT_EQ(p.content[2].text, u" b<\t");
  EXPECT_EQ(p.content[3].kind, InlineKind::LineBreak);
  EXPECT_TRUE(blocks[3].content.empty());
  EXPECT_EQ(document.markup, MarkupConvention::OpenDocument);
  EXPECT_TRUE(document.hasSummary);
}

TEST(OpenDocumentModel, TablesListsPicturesAndSlidesAsBoundaries) {
  std::string body =
      "<table:table><text:style-name>T1</text:style-name><table:table-row><table:table-cell>"
      "<text:p>c</text:p></table:table-cell><table:covered-table-cell><text:p>hidden</text:p>"
      "</table:covered-table-cell></table:table-row></table:table><text:list><text:list-item>"
      "<draw:image><xlink:href>a.png</xlink:href></draw:image></text:list-item></text:list>"
      "<draw:page/>";
  Document document = Read(Package(Content(body)));
  using K = BlockKind;
  EXPECT_EQ(
      Kinds(document.Main()),
      (std::vector<K>{K::TableStart, K::RowStart, K::CellStart, K::Paragraph, K::CellEnd,
                      K::Paragraph, K::RowEnd, K::TableEnd, K::ListStart, K::ListItemStart,
                      K::Picture, K::ListItemEnd, K::ListEnd, K::SlideBreak, K::DocumentEnd}));
  EXPECT_EQ(document.Main().blocks[0].style, u"T1");
  const Block& picture = document.Main().blocks[10];
  ASSERT_EQ(picture.content.size(), 1u);
  EXPECT_EQ(picture.content[0].kind, InlineKind::Picture);
  EXPECT_EQ(picture.content[0].target, u"a.png");
}

TEST(OpenDocumentModel, StyleSheetHoldsTheStylesAsData) {
  std::string styles =
      "<text:list-style/><style:style><style:family>paragraph</style:family><style:name>P2"
      "</style:name><style:text-properties><fo:font-weight>bold</fo:font-weight><fo:font-size>"
      "14pt</fo:font-size><fo:color>#ff0000</fo:color><fo:text-align>center</fo:text-align>"
      "</style:text-properties></style:style>";
  Document document = Read(Package(Content("", styles)));
  const Story* sheet = document.Find(StoryKind::StyleSheet);
  ASSERT_NE(sheet, nullptr);
  ASSERT_EQ(sheet->blocks.size(), 2u);
  EXPECT_EQ(sheet->blocks[0].kind, BlockKind::StyleRule);
  ASSERT_EQ(sheet->blocks[0].content.size(), 1u); // the family alone
  const Block& rule = sheet->blocks[1];
  EXPECT_EQ(rule.style, u"P2");
  ASSERT_EQ(rule.content.size(), 5u);
  EXPECT_EQ(rule.content[0].kind, InlineKind::StyleFamily);
  EXPECT_EQ(rule.content[0].text, u"paragraph");
  EXPECT_EQ(rule.content[1].kind, InlineKind::TextFont);
  EXPECT_EQ(rule.content[1].value, 14);
  EXPECT_EQ(rule.content[1].marks, kBold);
  EXPECT_EQ(rule.content[2].kind, InlineKind::TextColor);
  EXPECT_EQ(rule.content[2].value, 0x0000FF);
  EXPECT_EQ(rule.content[3].kind, InlineKind::Background);
  EXPECT_EQ(rule.content[3].value, 0xFFFFFF);
  EXPECT_EQ(rule.content[4].kind, InlineKind::Alignment);
  EXPECT_EQ(rule.content[4].value, taCenter);
  // Without the text neither the content nor its styles are read.
  Document summaryOnly =
      Read(Package(Content("<text:p>x</text:p>", styles)), ContentItems{ContentItem::Summary});
  EXPECT_EQ(summaryOnly.Find(StoryKind::StyleSheet), nullptr);
  EXPECT_EQ(Kinds(summaryOnly.Main()), std::vector<BlockKind>{BlockKind::DocumentEnd});
}

TEST(OpenDocumentText, LengthLimitJoinsTheEntries) {
  auto reader = std::make_unique<test::ReaderHarness<OpenDocumentTextReader>>();
  reader->SetMaxTextLength(14);
  MemoryStream stream(Package(Content("<text:p>Hello</text:p><text:p>World</text:p>")));
  reader->LoadFromStream(stream);
  ASSERT_EQ(reader->Lines().Count(), 1);
  EXPECT_EQ(reader->Lines().Get(0), u"\r\nHello\r\nWorld");
}

TEST(OpenDocumentStyles, CssForChildElementAndAttributeStyles) {
  std::string styles =
      "<style:style style:name=\"P1\" style:family=\"paragraph\"/>"
      "<text:list-style style:name=\"L1\"/>"
      "<style:style><style:family>paragraph</style:family><style:name>P2</style:name>"
      "<style:text-properties><fo:font-weight>bold</fo:font-weight><fo:font-size>12pt"
      "</fo:font-size><fo:color>#ff0000</fo:color><fo:text-align>center</fo:text-align>"
      "</style:text-properties></style:style>"
      "<style:style><style:family>graphic</style:family><style:graphic-properties>"
      "<fo:clip>rect(1cm 2cm 3cm 4cm)</fo:clip></style:graphic-properties></style:style>";
  auto reader = Load(Package(Content("<text:p>x</text:p>", styles)), OutputFormat::Html);
  L html = Body(*reader);
  EXPECT_EQ(L(html.begin(), html.begin() + 6),
            (L{u"<style type=\"text/css\">", u". { font-family: ;}", u". { font-family: ;}",
               u".P2 { font-family: paragraph;\r\nfont-size: 12pt;color: #ff0000;\r\nbackground: "
               u"#ffffff;\r\ntext-align: center;\r\nfont-weight: bold;}",
               u". { font-family: graphic;}", u"</style>"}));
  ASSERT_EQ(reader->Inner().Styles().size(), 4u);
  EXPECT_NE(dynamic_cast<const ListStyle*>(reader->Inner().Styles()[1].get()), nullptr);
  auto* graphic = dynamic_cast<const GraphicStyle*>(reader->Inner().Styles()[3].get());
  ASSERT_NE(graphic, nullptr);
  EXPECT_EQ(graphic->ClipRect.Right, 4);
  EXPECT_EQ(Body(*Load(Package(Content("<text:p>x</text:p>")), OutputFormat::Html))[0],
            u"<style type=\"text/css\">");
  // The style sheet is HTML's alone; without automatic styles there is none.
  EXPECT_EQ(Body(*Load(Package(Content("<text:p>x</text:p>", styles)))), L{u"x"});
  EXPECT_EQ(Body(*Load(Package(Content("<text:p>x</text:p>", styles)), OutputFormat::Rtf)),
            L{u"x\\par "});
  std::string noStyles =
      "<?xml version=\"1.0\"?><office:document-content><office:body><office:text>"
      "<text:p>x</text:p></office:text></office:body></office:document-content>";
  EXPECT_EQ(Body(*Load(Package(noStyles), OutputFormat::Html)), L{u"<p>x</p>"});
}

TEST(OpenDocumentStyles, CssOfEveryTextProperty) {
  std::string styles =
      "<style:style><style:family>text</style:family><style:name>T\xc3\xa9</style:name>"
      "<style:text-properties><fo:font-style>italic</fo:font-style><fo:text-underline-style>"
      "solid</fo:text-underline-style><fo:color>#123456</fo:color><fo:background-color>#A0b0C0"
      "</fo:background-color><fo:text-align>end</fo:text-align></style:text-properties>"
      "</style:style><style:style><style:family>text</style:family></style:style>";
  L html = Body(*Load(Package(Content("<text:p>x</text:p>", styles)), OutputFormat::Html));
  EXPECT_EQ(L(html.begin() + 1, html.begin() + 3),
            (L{u".T\u00e9 { font-family: text;\r\nfont-size: 8pt;color: #123456;\r\nbackground: "
               u"#a0b0c0;\r\ntext-align: right;\r\nfont-style: italic;\r\ntext-decoration: "
               u"underline;}",
               u". { font-family: text;\r\nfont-size: 8pt;color: #000000;\r\nbackground: "
               u"#ffffff;\r\ntext-align: left;}"}));
}

TEST(OpenDocumentStyles, ValueParsers) {
  EXPECT_EQ(ColorFromHex(u"#00ff00"), 0x00FF00u);
  EXPECT_EQ(ColorFromHex(u"#123456"), 0x563412u); // red in the low byte
  try {
    ColorFromHex(u"#zz0000");
    FAIL();
  } catch (const ConversionError& e) {
    EXPECT_EQ(e.Message(), "'$zz' is not a valid integer value");
  }
  EXPECT_THROW(ColorFromHex(u"#ff"), ConversionError);
  EXPECT_EQ(LeadingDigits(u"10.5pt"), u"10");
  EXPECT_EQ(LeadingDigits(u"pt"), u"");
  ClipRectangle rect;
  ParseClipRect(u"rect(1cm 2cm 3cm 4cm)", rect);
  EXPECT_EQ(rect.Left, 1);
  EXPECT_EQ(rect.Top, 2);
  EXPECT_EQ(rect.Right, 4);
  EXPECT_EQ(rect.Bottom, 6);
  ParseClipRect(u"auto", rect);
  EXPECT_EQ(rect.Right, 4);
  ParseClipRect(u"rect(5 6 7 8)", rect); // the run at the very end is not taken
  EXPECT_EQ(rect.Bottom, 6);
  EXPECT_EQ(ParseDuration(u"PT1H30M15S"), 5415);
  EXPECT_EQ(ParseDuration(u"PT0.5S"), 5);
  EXPECT_EQ(ParseDuration(u"P1D"), 0);
  // A style value that cannot be read is left out: the text stays, in
  // every output.
  std::string badValues =
      "<style:style><style:family>text</style:family><style:text-properties>"
      "<fo:font-size>large</fo:font-size><fo:color>transparent</fo:color>"
      "<fo:background-color>#zz</fo:background-color></style:text-properties></style:style>";
  for (OutputFormat format : {OutputFormat::PlainText, OutputFormat::Html}) {
    auto reader = Load(Package(Content("<text:p>kept</text:p>", badValues)), format);
    bool found = false;
    for (int i = 0; i < reader->Lines().Count(); ++i)
      found = found || reader->Lines().Get(i).find(u"kept") != std::u16string::npos;
    EXPECT_TRUE(found) << static_cast<int>(format);
  }
}

TEST(OpenDocumentMeta, Properties) {
  std::string meta = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-meta><office:meta>"
                     "<meta:generator>Writer</meta:generator><dc:title>The Title</dc:title>"
                     "<meta:initial-creator>Ann</meta:initial-creator><dc:creator>Bob</dc:creator>"
                     "<meta:editing-duration>PT2H</meta:editing-duration>"
                     "<meta:creation-date>2009-05-14T10:20:30</meta:creation-date>"
                     "<meta:template xlink:title=\"Tpl\" xlink:href=\"t.ott\"/>"
                     "<meta:document-statistic meta:page-count=\"3\" meta:word-count=\"42\"/>"
                     "</office:meta></office:document-meta>";
  auto reader = Load(Package(Content("<text:p>x</text:p>"), meta));
  const auto* s = reader->SummaryInformation();
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->AppName, u"Writer");
  EXPECT_EQ(s->Title, u"The Title");
  EXPECT_EQ(s->Author, u"Ann");
  EXPECT_EQ(s->LastAuthor, u"Bob");
  EXPECT_EQ(s->EditTime, 120);
  EXPECT_NEAR(s->Created, 39947.43090277778, 1e-9);
  EXPECT_EQ(s->Template, u"Tpl t.ott");
  EXPECT_EQ(s->PageCount, 3);
  EXPECT_EQ(s->WordCount, 42);
}

TEST(OpenDocumentFiles, NotAPackageEncryptedAndDeep) {
  // Bytes without any ZIP structure are an error, not an empty document.
  EXPECT_THROW(Load(std::string("not a zip")), Exception);
  test::ZipBuilder encrypted;
  encrypted.Add("content.xml", "\x01\x02 encrypted bytes", 0);
  encrypted.Add("META-INF/manifest.xml",
                "<manifest:manifest><manifest:file-entry manifest:full-path=\"content.xml\">"
                "<manifest:encryption-data/></manifest:file-entry></manifest:manifest>");
  try {
    Load(encrypted.Build());
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "The encryption data of content.xml are damaged");
  }
  // What was written before the failure stays: the prologue, no epilogue.
  test::ReaderHarness<OpenDocumentTextReader> html;
  html.SetTextFormating(OutputFormat::Html);
  MemoryStream stream(encrypted.Build());
  EXPECT_THROW(html.LoadFromStream(stream), Exception);
  ASSERT_EQ(html.Lines().Count(), 1);
  EXPECT_TRUE(html.Lines().Get(0).starts_with(u"<html>"));
  ASSERT_NE(html.SummaryInformation(), nullptr);
  std::string deep;
  for (int i = 0; i < 100000; ++i)
    deep += "<text:list><text:list-item>";
  EXPECT_NO_THROW(Load(Package(Content(deep + "<text:p>x</text:p>")), OutputFormat::Html));
}

TEST(OpenDocumentCorpus, RealDocumentsConvert) {
  for (const char* kind : {"odt", "odp"}) {
    std::filesystem::path dir = std::filesystem::path(SCRIVLET_CORPUS_DIR) / kind;
    if (!std::filesystem::is_directory(dir))
      GTEST_SKIP() << "no corpus at " << dir;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      std::unique_ptr<test::ReaderHarnessBase> reader;
      if (std::string(kind) == "odt")
        reader = std::make_unique<test::ReaderHarness<OpenDocumentTextReader>>();
      else
        reader = std::make_unique<test::ReaderHarness<OpenDocumentPresentationReader>>();
      for (OutputFormat f : {OutputFormat::PlainText, OutputFormat::Html}) {
        reader->SetTextFormating(f);
        try {
          reader->LoadFromFile(entry.path().string());
        } catch (const Exception& e) {
          EXPECT_TRUE(
              e.Message().ends_with(" is protected by a password (give it with --password)"))
              << entry.path() << ": " << e.Message();
        }
      }
    }
  }
}

} // namespace
} // namespace scrivlet
