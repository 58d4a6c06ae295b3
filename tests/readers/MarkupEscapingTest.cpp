// Document text that looks like mark-up stays text: every reader escapes the
// document's own characters in HTML ("&", "<", ">", the double quote) and in
// RTF ("\", "{", "}"), while the mark-up it adds itself stays as it is.
#include "readers/docx/DocxReader.h"
#include "readers/epub/EpubReader.h"
#include "readers/fictionbook/FictionBookReader.h"
#include "readers/opendocument/OpenDocumentReader.h"
#include "readers/word/DocReader.h"
#include "readers/wordperfect/WordPerfectReader.h"
#include "readers/write/WriteReader.h"
#include "support/ReaderHarness.h"

#include "core/CodePage.h"
#include "core/Stream.h"
#include "support/WordBuilder.h"
#include "support/WordPerfectBuilder.h"
#include "support/WriteBuilder.h"
#include "support/ZipBuilder.h"

#include <functional>
#include <gtest/gtest.h>

namespace scrivlet {
namespace {

// The hostile text, as ASCII, in each document.
constexpr char kText[] = "a<script>b&c\"d{e}f\\g";
constexpr char16_t kHtml[] = u"a&lt;script&gt;b&amp;c&quot;d{e}f\\g";
constexpr char16_t kRtf[] = u"a<script>b&c\"d\\{e\\}f\\\\g";

// The text the reader produces for bytes in a format.
std::u16string Converted(test::ReaderHarnessBase& reader, const std::string& bytes,
                         OutputFormat format) {
  reader.SetTextFormating(format);
  MemoryStream stream(bytes);
  reader.LoadFromStream(stream);
  return reader.Lines().GetTextW();
}

struct ReaderCase {
  const char* name;
  std::function<std::unique_ptr<test::ReaderHarnessBase>()> create;
  std::string bytes;
};

std::string WordDocument() {
  test::WordBuilder b;
  b.pieces = {{std::u16string(kText, kText + sizeof kText - 1) + u"\r", false}};
  return b.Build();
}

std::string DocxDocument() {
  test::ZipBuilder zip;
  zip.Add("[Content_Types].xml", "<?xml version=\"1.0\"?><Types/>");
  zip.Add("word/document.xml",
          "<?xml version=\"1.0\"?><w:document><w:body><w:p><w:r><w:t>"
          "a&lt;script&gt;b&amp;c\"d{e}f\\g</w:t></w:r></w:p></w:body></w:document>");
  return zip.Build();
}

std::string XmlText() {
  return "a&lt;script&gt;b&amp;c&quot;d{e}f\\g";
}

std::string FictionBook() {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?><FictionBook><description/><body><section>"
         "<p>" +
         XmlText() + "</p></section></body></FictionBook>";
}

std::string OpenDocument() {
  test::ZipBuilder zip;
  zip.Add("mimetype", "application/vnd.oasis.opendocument.text", 0);
  zip.Add("content.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content>"
                         "<office:body><office:text><text:p>" +
                             XmlText() +
                             "</text:p></office:text></office:body></office:document-content>");
  return zip.Build();
}

std::string Epub() {
  test::ZipBuilder zip;
  zip.Add("mimetype", "application/epub+zip", 0);
  zip.Add("META-INF/container.xml",
          "<?xml version=\"1.0\"?><container><rootfiles><rootfile full-path=\"c.opf\"/>"
          "</rootfiles></container>");
  zip.Add("c.opf", "<?xml version=\"1.0\"?><package><metadata/><manifest>"
                   "<item id=\"a\" href=\"a.xhtml\" media-type=\"application/xhtml+xml\"/>"
                   "</manifest><spine><itemref idref=\"a\"/></spine></package>");
  zip.Add("a.xhtml", "<?xml version=\"1.0\"?><html><body><p>" + XmlText() + "</p></body></html>");
  return zip.Build();
}

std::string WriteDocument() {
  test::WriteBuilder b;
  b.text = std::string(kText) + "\r\n";
  b.AddRun(b.text.size());
  b.AddParagraph(b.text.size());
  b.AddFont(0x10, "Ar\"ial<");
  return b.Build();
}

std::string WordPerfectDocument() {
  test::WordPerfectBuilder b;
  b.body = kText;
  return b.Build();
}

std::vector<ReaderCase> Cases() {
  return {
      {"doc", [] { return std::make_unique<test::ReaderHarness<DocReader>>(); }, WordDocument()},
      {"docx", [] { return std::make_unique<test::ReaderHarness<DocxReader>>(); }, DocxDocument()},
      {"fb2", [] { return std::make_unique<test::ReaderHarness<FictionBookReader>>(); },
       FictionBook()},
      {"odt", [] { return std::make_unique<test::ReaderHarness<OpenDocumentTextReader>>(); },
       OpenDocument()},
      {"epub", [] { return std::make_unique<test::ReaderHarness<EpubReader>>(); }, Epub()},
      {"wri", [] { return std::make_unique<test::ReaderHarness<WriteReader>>(); }, WriteDocument()},
      {"wpd", [] { return std::make_unique<test::ReaderHarness<WordPerfectReader>>(); },
       WordPerfectDocument()},
  };
}

TEST(MarkupEscaping, DocumentTextStaysTextInEveryFormat) {
  for (const ReaderCase& c : Cases()) {
    auto plain = c.create();
    EXPECT_NE(Converted(*plain, c.bytes, OutputFormat::PlainText)
                  .find(std::u16string(kText, kText + sizeof kText - 1)),
              std::u16string::npos)
        << c.name;
    auto html = c.create();
    std::u16string page = Converted(*html, c.bytes, OutputFormat::Html);
    EXPECT_NE(page.find(kHtml), std::u16string::npos) << c.name << ": " << WideToUtf8(page);
    EXPECT_EQ(page.find(u"<script>"), std::u16string::npos) << c.name;
    auto rtf = c.create();
    std::u16string text = Converted(*rtf, c.bytes, OutputFormat::Rtf);
    EXPECT_NE(text.find(kRtf), std::u16string::npos) << c.name << ": " << WideToUtf8(text);
  }
}

TEST(MarkupEscaping, FontNamesStayInsideTheirAttribute) {
  test::ReaderHarness<WriteReader> reader;
  std::u16string page = Converted(reader, WriteDocument(), OutputFormat::Html);
  EXPECT_NE(page.find(u"face=\"Ar&quot;ial&lt;\""), std::u16string::npos) << WideToUtf8(page);
}

} // namespace
} // namespace scrivlet
