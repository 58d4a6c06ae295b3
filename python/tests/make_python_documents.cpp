// Writes the documents the Python module's tests convert, made by the same
// builders as the unit tests:
//
//   scrivlet_make_python_documents FOLDER
//
// FOLDER/letter.wri      the Write letter of samples/
// FOLDER/book.fb2        the Russian FictionBook of samples/
// FOLDER/structure.docx  a heading, a numbered list, a table, a footnote
// FOLDER/report.doc      a Word 97 document of some 20 KB of text
// FOLDER/report.docx     a Word 2007 package of some 20 KB of text
// FOLDER/large.docx      the same of some 8 MB: a conversion of a while
// FOLDER/minutes.odt     an OpenDocument text with a title in its meta.xml
// FOLDER/story.epub      an EPUB of two chapters
// FOLDER/memo.wpd        a WordPerfect document
// FOLDER/pages.pdf       a PDF of two pages, titled "Pages"
// FOLDER/locked.pdf      an encrypted PDF whose user password is "sesame"
// FOLDER/damaged.doc     a compound file whose WordDocument stream is cut
//                        short: Word's signature, no readable document
// FOLDER/notes.txt       plain text: of no format
// FOLDER/inflating.docx  a package whose document part inflates past the
//                        64 MiB a part may inflate to
#include "support/CompoundFileBuilder.h"
#include "support/DocxBuilder.h"
#include "support/EpubBuilder.h"
#include "support/OpenDocumentBuilder.h"
#include "support/PdfEncryptionBuilder.h"
#include "support/SampleDocuments.h"
#include "support/WordPerfectBuilder.h"
#include "support/ZipBuilder.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace scrivlet::test;

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  return static_cast<bool>(file);
}

std::string StructuredDocx() {
  DocxBuilder docx;
  docx.styles = DocxBuilder::Style("paragraph", "Heading1", "heading 1",
                                   "<w:pPr><w:outlineLvl w:val=\"0\"/></w:pPr>");
  docx.numbering = "<w:abstractNum w:abstractNumId=\"1\"><w:lvl w:ilvl=\"0\"><w:start "
                   "w:val=\"1\"/><w:numFmt w:val=\"decimal\"/><w:lvlText w:val=\"%1.\"/></w:lvl>"
                   "</w:abstractNum><w:num w:numId=\"1\"><w:abstractNumId w:val=\"1\"/></w:num>";
  auto cell = [](const std::string& text) {
    return "<w:tc>" + DocxBuilder::Paragraph(DocxBuilder::Run(text)) + "</w:tc>";
  };
  docx.body = DocxBuilder::StyledParagraph("Heading1", "Harvest report") +
              DocxBuilder::ListParagraph(1, 0, "Apples") +
              DocxBuilder::ListParagraph(1, 0, "Pears") + "<w:tbl><w:tr>" + cell("Fruit") +
              cell("Crates") + "</w:tr><w:tr>" + cell("Apples") + cell("12") + "</w:tr></w:tbl>" +
              DocxBuilder::Paragraph(DocxBuilder::Run("The pears came late.") +
                                     "<w:r><w:footnoteReference w:id=\"1\"/></w:r>");
  docx.footnotes = DocxBuilder::Note("w:footnote", "1", "Rain in the north.");
  return docx.Build();
}

std::string Minutes() {
  OpenDocumentBuilder odt;
  odt.body = "<text:h text:outline-level=\"1\">Minutes</text:h>"
             "<text:p>The committee met at noon.</text:p><text:p>Nothing was decided.</text:p>";
  odt.meta = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-meta "
             "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
             "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" office:version=\"1.2\">"
             "<office:meta><dc:title>Committee minutes</dc:title></office:meta>"
             "</office:document-meta>";
  return odt.Build();
}

std::string Story() {
  EpubBuilder epub;
  epub.Chapter("one.xhtml", "<h1>One</h1><p>The ship left at dawn.</p>");
  epub.Chapter("two.xhtml", "<h1>Two</h1><p>It came back at dusk.</p>");
  return epub.Build();
}

std::string Memo() {
  WordPerfectBuilder wpd;
  wpd.body = "Memo to all staff.\x0C"
             "The office closes early on Friday.\x0C";
  std::string file = wpd.Build();
  file[8] = 1;  // product: WordPerfect
  file[9] = 10; // file type: a document
  return file;
}

std::string LockedPdf() {
  EncryptionSettings settings;
  settings.UserPassword = "sesame";
  settings.OwnerPassword = "owner sesame";
  return PdfEncryptionBuilder(settings).BuildFile({"Behind the password"}, "Vault");
}

std::string DamagedDoc() {
  CompoundFileBuilder storage;
  storage.AddStream(u"WordDocument", std::string(12, '\x01'));
  return storage.Build();
}

std::string InflatingDocx() {
  ZipBuilder zip;
  zip.Add("word/document.xml", "<w:document><w:body><w:p><w:r><w:t>" +
                                   std::string((64 << 20) + 1024, 'x') +
                                   "</w:t></w:r></w:p></w:body></w:document>");
  return zip.Build();
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: scrivlet_make_python_documents FOLDER\n", stderr);
    return 2;
  }
  const std::string folder = argv[1];
  const std::vector<std::pair<const char*, std::string>> documents = {
      {"letter.wri", SampleWriteLetter()},
      {"book.fb2", SampleRussianBook()},
      {"structure.docx", StructuredDocx()},
      {"report.doc", GeneratedWordDocument(20000)},
      {"report.docx", GeneratedWordXDocument(20000)},
      {"large.docx", GeneratedWordXDocument(8 << 20)},
      {"minutes.odt", Minutes()},
      {"story.epub", Story()},
      {"memo.wpd", Memo()},
      {"pages.pdf", PdfEncryptionBuilder::BuildPlainFile({"First page", "Second page"}, "Pages")},
      {"locked.pdf", LockedPdf()},
      {"damaged.doc", DamagedDoc()},
      {"notes.txt", "Just a few words of plain text.\n"},
      {"inflating.docx", InflatingDocx()},
  };
  for (const auto& [name, bytes] : documents) {
    if (!WriteFile(folder + "/" + name, bytes)) {
      std::fprintf(stderr, "scrivlet_make_python_documents: cannot write %s/%s\n", folder.c_str(),
                   name);
      return 1;
    }
  }
  return 0;
}
