// Writes the documents the web end-to-end test serves besides the samples,
// made by the same builders as the unit tests:
//
//   scrivlet_make_web_documents FOLDER
//
// FOLDER/locked.pdf    an encrypted PDF, titled "Vault", whose user password
//                      is "web sesame" (its text: "Behind the password")
// FOLDER/untitled.pdf  a PDF whose Info gives no title
// FOLDER/structure.docx a document with a heading, a numbered list, a table
//                      with a header row and a merged cell, a footnote and a
//                      Hebrew paragraph
// FOLDER/slow.docx     200,000 paragraphs: a conversion that takes well over
//                      the 50 ms time limit of the test's FastCGI checks
#include "support/DocxBuilder.h"
#include "support/PdfEncryptionBuilder.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace {

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  return static_cast<bool>(file);
}

std::string StructuredDocx() {
  using scrivlet::test::DocxBuilder;
  DocxBuilder docx;
  docx.styles = DocxBuilder::Style("paragraph", "Heading1", "heading 1",
                                   "<w:pPr><w:outlineLvl w:val=\"0\"/></w:pPr>");
  docx.numbering = "<w:abstractNum w:abstractNumId=\"1\"><w:lvl w:ilvl=\"0\"><w:start "
                   "w:val=\"1\"/><w:numFmt w:val=\"decimal\"/><w:lvlText w:val=\"%1.\"/></w:lvl>"
                   "</w:abstractNum><w:num w:numId=\"1\"><w:abstractNumId w:val=\"1\"/></w:num>";
  auto cell = [](const std::string& text, const std::string& properties = "") {
    return "<w:tc>" + properties + DocxBuilder::Paragraph(DocxBuilder::Run(text)) + "</w:tc>";
  };
  docx.body =
      DocxBuilder::StyledParagraph("Heading1", "Harvest report") +
      DocxBuilder::ListParagraph(1, 0, "Apples") + DocxBuilder::ListParagraph(1, 0, "Pears") +
      "<w:tbl><w:tr><w:trPr><w:tblHeader/></w:trPr>" + cell("Fruit") + cell("Crates") +
      "</w:tr><w:tr>" + cell("Apples") + cell("12") + "</w:tr><w:tr>" +
      cell("Total: 12 crates", "<w:tcPr><w:gridSpan w:val=\"2\"/></w:tcPr>") + "</w:tr></w:tbl>" +
      DocxBuilder::Paragraph(DocxBuilder::Run("The pears came late.") +
                             "<w:r><w:footnoteReference w:id=\"1\"/></w:r>") +
      DocxBuilder::Paragraph(
          DocxBuilder::Run("\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xD7\xA2\xD7\x95\xD7\x9C\xD7\x9D."));
  docx.footnotes = DocxBuilder::Note("w:footnote", "1", "Rain in the north.");
  return docx.Build();
}

std::string SlowDocx() {
  using scrivlet::test::DocxBuilder;
  DocxBuilder docx;
  for (int i = 0; i < 200000; ++i)
    docx.body += DocxBuilder::Paragraph(DocxBuilder::Run("Line " + std::to_string(i)));
  return docx.Build();
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: scrivlet_make_web_documents FOLDER\n", stderr);
    return 2;
  }
  using scrivlet::test::PdfEncryptionBuilder;
  const std::string folder = argv[1];
  scrivlet::test::EncryptionSettings settings;
  settings.UserPassword = "web sesame";
  settings.OwnerPassword = "web owner";
  bool written =
      WriteFile(folder + "/locked.pdf",
                PdfEncryptionBuilder(settings).BuildFile({"Behind the password"}, "Vault")) &&
      WriteFile(folder + "/untitled.pdf",
                PdfEncryptionBuilder::BuildPlainFile({"A page without a title"}, "")) &&
      WriteFile(folder + "/structure.docx", StructuredDocx()) &&
      WriteFile(folder + "/slow.docx", SlowDocx());
  if (!written)
    std::fprintf(stderr, "scrivlet_make_web_documents: cannot write into %s\n", folder.c_str());
  return written ? 0 : 1;
}
