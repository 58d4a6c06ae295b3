// Text whose XML stores an escaped character reference ("&amp;lt;b&amp;gt;"
// for the text "&lt;b&gt;") reads as that text in every XML-based format:
// each reference is decoded once, never again by a reader.
#include "core/Stream.h"
#include "readers/docx/DocxReader.h"
#include "readers/epub/EpubReader.h"
#include "readers/fictionbook/FictionBookReader.h"
#include "readers/opendocument/OpenDocumentReader.h"
#include "support/ReaderHarness.h"
#include "support/ZipBuilder.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

// As the document's XML stores the text "AT&amp;T &lt;b&gt; &#65;".
constexpr const char* kStored = "AT&amp;amp;T &amp;lt;b&amp;gt; &amp;#65;";
constexpr const char16_t* kText = u"AT&amp;T &lt;b&gt; &#65;";

template <class Reader> std::u16string TextOf(const std::string& bytes) {
  test::ReaderHarness<Reader> reader;
  MemoryStream stream(bytes);
  reader.LoadFromStream(stream);
  return reader.Lines().GetTextW();
}

TEST(CharacterReferences, AreDecodedOnceInEveryXmlFormat) {
  test::ZipBuilder docx;
  docx.Add("word/document.xml", std::string("<w:document><w:body><w:p><w:r><w:t>") + kStored +
                                    "</w:t></w:r></w:p></w:body></w:document>");
  EXPECT_NE(TextOf<DocxReader>(docx.Build()).find(kText), std::u16string::npos);

  test::ZipBuilder odt;
  odt.Add("mimetype", "application/vnd.oasis.opendocument.text", 0);
  odt.Add("content.xml",
          std::string("<office:document-content><office:body><office:text><text:p>") + kStored +
              "</text:p></office:text></office:body></office:document-content>");
  EXPECT_NE(TextOf<OpenDocumentTextReader>(odt.Build()).find(kText), std::u16string::npos);

  const std::string book = std::string("<?xml version=\"1.0\"?><FictionBook><body><section><p>") +
                           kStored + "</p></section></body></FictionBook>";
  EXPECT_NE(TextOf<FictionBookReader>(book).find(kText), std::u16string::npos);

  test::ZipBuilder epub;
  epub.Add("mimetype", "application/epub+zip", 0);
  epub.Add("META-INF/container.xml",
           "<?xml version=\"1.0\"?><container><rootfiles><rootfile full-path=\"content.opf\"/>"
           "</rootfiles></container>");
  epub.Add("content.opf", "<?xml version=\"1.0\"?><package><metadata/><manifest>"
                          "<item id=\"c\" href=\"c.xhtml\" media-type=\"application/xhtml+xml\"/>"
                          "</manifest><spine><itemref idref=\"c\"/></spine></package>");
  epub.Add("c.xhtml", std::string("<?xml version=\"1.0\"?><html><head><title>t</title></head>"
                                  "<body><p>") +
                          kStored + "</p></body></html>");
  EXPECT_NE(TextOf<EpubReader>(epub.Build()).find(kText), std::u16string::npos);
}

} // namespace
} // namespace scrivlet
