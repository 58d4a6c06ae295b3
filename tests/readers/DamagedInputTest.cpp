// Damaged documents: bytes flipped and files cut short at random places.
// Every reader must answer with an exception of its own kind, never crash,
// hang or let another kind of error escape.
#include "core/Exception.h"
#include "core/Stream.h"
#include "readers/docx/DocxReader.h"
#include "readers/epub/EpubReader.h"
#include "readers/fictionbook/FictionBookReader.h"
#include "readers/opendocument/OpenDocumentReader.h"
#include "readers/word/DocReader.h"
#include "readers/wordperfect/WordPerfectReader.h"
#include "readers/write/WriteReader.h"
#include "support/ReaderHarness.h"
#include "support/SampleDocuments.h"
#include "support/WordBuilder.h"
#include "support/WordPerfectBuilder.h"
#include "support/ZipBuilder.h"

#include <gtest/gtest.h>
#include <random>

namespace scrivlet {
namespace {

template <class Reader>
void ConvertDamagedCopies(const std::string& original, int copies, uint32_t seed) {
  std::mt19937 random(seed);
  for (int i = 0; i < copies; ++i) {
    std::string damaged = original;
    if (i % 4 == 3) {
      damaged.resize(random() % damaged.size());
    } else {
      int flips = 1 + static_cast<int>(random() % 8);
      for (int f = 0; f < flips; ++f)
        damaged[random() % damaged.size()] ^= static_cast<char>(1 << (random() % 8));
    }
    for (OutputFormat formating : {OutputFormat::PlainText, OutputFormat::Html}) {
      Reader reader;
      reader.SetTextFormating(formating);
      MemoryStream stream(damaged);
      try {
        reader.LoadFromStream(stream);
      } catch (const Exception&) {
        // a message for the page: fine
      }
    }
  }
}

TEST(DamagedInput, WriteDocuments) {
  ConvertDamagedCopies<test::ReaderHarness<WriteReader>>(test::SampleWriteLetter(), 3000, 1);
}

TEST(DamagedInput, WordDocuments) {
  test::WordBuilder b;
  b.pieces = {{u"Main text \x13 PAGE \x14"
               u"1\x15\r",
               true},
              {u"\u0416 cell\x07\x07\r", false},
              {u"Footnote\r", true}};
  b.ccpFtn = 9;
  b.summaryInformation =
      test::PropertySet({test::PropertyValue::String(2, "Title"), test::PropertyValue::Int(14, 2)});
  ConvertDamagedCopies<test::ReaderHarness<DocReader>>(b.Build(), 3000, 2);
  b.nFib = 104;
  ConvertDamagedCopies<test::ReaderHarness<DocReader>>(b.Build(), 1000, 3);
  b.nFib = 45;
  b.wIdent = 0xA59B;
  ConvertDamagedCopies<test::ReaderHarness<DocReader>>(b.MainStream(), 1000, 4);
}

TEST(DamagedInput, WordXmlPackages) {
  ConvertDamagedCopies<test::ReaderHarness<DocxReader>>(test::GeneratedWordXDocument(3000), 2000,
                                                        5);
}

TEST(DamagedInput, FictionBooks) {
  std::string book = "<?xml version=\"1.0\" encoding=\"utf-8\"?><FictionBook><description>"
                     "<title-info><author><first-name>A</first-name></author><book-title>T"
                     "</book-title></title-info></description><body><section><p>One <emphasis>two"
                     "</emphasis></p><empty-line/><![CDATA[x]]><!-- c --><p>&amp;&#x41;</p>"
                     "</section></body></FictionBook>";
  ConvertDamagedCopies<test::ReaderHarness<FictionBookReader>>(book, 3000, 6);
}

// Stored members, so that damage reaches the XML rather than the deflate
// data.
TEST(DamagedInput, OpenDocumentAndEpubPackages) {
  test::ZipBuilder odt;
  odt.Add("content.xml",
          "<?xml version=\"1.0\"?><office:document-content><office:automatic-styles>"
          "<style:style><style:family>text</style:family><style:text-properties><fo:color>#112233"
          "</fo:color></style:text-properties></style:style></office:automatic-styles><office:body>"
          "<office:text><text:h>Head<text:s text:c=\"2\"/>ing</text:h><table:table>"
          "<table:table-row><table:table-cell><text:p>a<text:tab/>b</text:p></table:table-cell>"
          "</table:table-row></table:table></office:text></office:body></office:document-content>",
          0);
  odt.Add("meta.xml",
          "<office:meta><meta:editing-duration>PT1H2M3S</meta:editing-duration>"
          "</office:meta>",
          0);
  ConvertDamagedCopies<test::ReaderHarness<OpenDocumentTextReader>>(odt.Build(), 2000, 7);
  test::ZipBuilder epub;
  epub.Add("META-INF/container.xml",
           "<container><rootfiles><rootfile full-path=\"o/c.opf\"/></rootfiles></container>", 0);
  epub.Add("o/c.opf",
           "<package><metadata><dc:title>T</dc:title><meta name=\"cover\" "
           "content=\"i\"/></metadata><manifest><item id=\"a\" href=\"a%20b.xhtml\" "
           "media-type=\"application/xhtml+xml\"/></manifest><spine><itemref "
           "idref=\"a\"/></spine></package>",
           0);
  epub.Add("o/a b.xhtml",
           "<html><body><h1>T</h1><div>poem <em>line</em></div><p>x</p>"
           "<ul><li>item</li></ul></body></html>",
           0);
  ConvertDamagedCopies<test::ReaderHarness<EpubReader>>(epub.Build(), 2000, 8);
}

TEST(DamagedInput, WordPerfectDocuments) {
  test::WordPerfectBuilder b;
  b.body = "Text " + b.Attribute(12, true) + "bold" + b.Attribute(12, false) + "\xCC" +
           b.FontChange(1, 12) + b.Alignment(2) + b.Extended(28, 4) + b.Suppress(true) + "x" +
           b.Suppress(false) + b.Group(0xE0, 0x41, "", false);
  ConvertDamagedCopies<test::ReaderHarness<WordPerfectReader>>(b.Build(), 3000, 9);
}

} // namespace
} // namespace scrivlet
