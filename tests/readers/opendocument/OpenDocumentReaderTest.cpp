#include "readers/opendocument/OpenDocumentReader.h"
#include "core/CodePage.h"
#include "core/Exception.h"
#include "core/Stream.h"
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
std::unique_ptr<Reader> Load(const std::string& package,
                             OutputFormat formating = OutputFormat::PlainText) {
  auto reader = std::make_unique<Reader>();
  reader->SetTextFormating(formating);
  MemoryStream stream(package);
  reader->LoadFromStream(stream);
  return reader;
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

TEST(OpenDocumentText, ImagesThroughAChildElementAndEvents) {
  std::string body = "<text:p><draw:frame><draw:image xlink:href=\"attr.png\"/></draw:frame>"
                     "</text:p><draw:image><xlink:href>Pictures/a.png</xlink:href></draw:image>";
  OpenDocumentTextReader reader;
  std::vector<SpecialChar> kinds;
  reader.OnConvertSysChar = [&](LegacyReader&, SpecialChar kind, const std::u16string&,
                                std::u16string& result) {
    kinds.push_back(kind);
    if (kind == SpecialChar::IncludePicture)
      result = u"!";
  };
  MemoryStream stream(Package(Content(body)));
  reader.LoadFromStream(stream);
  EXPECT_EQ(Body(reader), (L{u"", u"Pictures/a.png!"}));
  EXPECT_EQ(kinds, (std::vector<SpecialChar>{SpecialChar::None, SpecialChar::IncludePicture}));
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
  ASSERT_EQ(reader->Styles().size(), 4u);
  EXPECT_NE(dynamic_cast<const ListStyle*>(reader->Styles()[1].get()), nullptr);
  auto* graphic = dynamic_cast<const GraphicStyle*>(reader->Styles()[3].get());
  ASSERT_NE(graphic, nullptr);
  EXPECT_EQ(graphic->ClipRect.Right, 4);
  EXPECT_EQ(Body(*Load(Package(Content("<text:p>x</text:p>")), OutputFormat::Html))[0],
            u"<style type=\"text/css\">");
  EXPECT_EQ(Load(Package(Content("<text:p>x</text:p>", styles)))->Styles().size(), 0u);
}

TEST(OpenDocumentStyles, ValueParsers) {
  EXPECT_EQ(ColorToHtml(0x0000FF), "#ff0000");
  EXPECT_EQ(ColorFromHex(u"#00ff00"), 0x00FF00u);
  try {
    ColorFromHex(u"#zz0000");
    FAIL();
  } catch (const ConversionError& e) {
    EXPECT_EQ(e.Message(), "'$zz' is not a valid integer value");
  }
  EXPECT_THROW(ColorFromHex(u"#ff"), ConversionError);
  EXPECT_EQ(AlignmentToCss(taCenter), "center");
  EXPECT_EQ(AlignmentToCss(taRightJustify), "right");
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
  std::string badSize = "<style:style><style:family>text</style:family><style:text-properties>"
                        "<fo:font-size>large</fo:font-size></style:text-properties></style:style>";
  EXPECT_THROW(Load(Package(Content("", badSize)), OutputFormat::Html), ConversionError);
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
  EXPECT_EQ(s->AppName, "Writer");
  EXPECT_EQ(s->Title, "The Title");
  EXPECT_EQ(s->Author, "Ann");
  EXPECT_EQ(s->LastAuthor, "Bob");
  EXPECT_EQ(s->EditTime, 120);
  EXPECT_NEAR(s->Created, 39947.43090277778, 1e-9);
  EXPECT_EQ(s->Template, "Tpl t.ott");
  EXPECT_EQ(s->PageCount, 3);
  EXPECT_EQ(s->WordCount, 42);
}

TEST(OpenDocumentFiles, NotAPackageEncryptedAndDeep) {
  EXPECT_EQ(Load(std::string("not a zip"))->Lines().Count(), 2);
  test::ZipBuilder encrypted;
  encrypted.Add("content.xml", "\x01\x02 encrypted bytes", 0);
  encrypted.Add("META-INF/manifest.xml",
                "<manifest:manifest><manifest:file-entry manifest:full-path=\"content.xml\">"
                "<manifest:encryption-data/></manifest:file-entry></manifest:manifest>");
  try {
    Load(encrypted.Build());
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Could not read the password protected file");
  }
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
      std::unique_ptr<OpenDocumentReader> reader;
      if (std::string(kind) == "odt")
        reader = std::make_unique<OpenDocumentTextReader>();
      else
        reader = std::make_unique<OpenDocumentPresentationReader>();
      for (OutputFormat f : {OutputFormat::PlainText, OutputFormat::Html}) {
        reader->SetTextFormating(f);
        try {
          reader->LoadFromFile(entry.path().string());
        } catch (const Exception& e) {
          EXPECT_EQ(e.Message(), "Could not read the password protected file") << entry.path();
        }
      }
    }
  }
}

} // namespace
} // namespace scrivlet
