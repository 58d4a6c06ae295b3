#include "support/SampleDocuments.h"

#include "support/WordBuilder.h"
#include "support/WriteBuilder.h"
#include "support/ZipBuilder.h"

namespace scrivlet::test {

std::string SampleWriteLetter() {
  WriteBuilder b;
  WriteCharProps bold, italic, heading;
  bold.bold = true;
  italic.italic = true;
  heading.bold = true;
  heading.halfPoints = 32;
  heading.font = 1;
  auto add = [&](const std::string& text, WriteBuilder::Props props = std::nullopt) {
    b.text += text;
    b.AddRun(b.text.size(), std::move(props));
  };
  add("A letter from Scrivlet\r\n", heading.Bytes());
  b.AddParagraph(b.text.size());
  add("Dear reader,\r\n");
  b.AddParagraph(b.text.size());
  add("this page was written by Windows Write and converted by ");
  add("scrivlet.cgi", bold.Bytes());
  add(": every paragraph of the document is one line here, and text such as "
      "a<b & \"quotes\" shows as written.\r\n");
  b.AddParagraph(b.text.size());
  add("With kind regards,\r\n", italic.Bytes());
  b.AddParagraph(b.text.size());
  add("The Scrivlet team\r\n");
  b.AddParagraph(b.text.size());
  b.AddFont(0x20, "Times New Roman");
  b.AddFont(0x10, "Arial");
  return b.Build();
}

std::string SampleRussianBook() {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
         "<FictionBook xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\">\n"
         "<description><title-info><genre>prose</genre>"
         "<author><first-name>Команда</first-name><last-name>Scrivlet</last-name></author>"
         "<book-title>Письмо из Скривлета</book-title><lang>ru</lang></title-info>"
         "</description>\n"
         "<body><section>\n"
         "<p>Здравствуй, читатель!</p>\n"
         "<p>Эта страница написана в формате FictionBook и преобразована программой "
         "scrivlet.cgi: каждый абзац документа здесь одна строка.</p>\n"
         "<p>С уважением, команда Scrivlet</p>\n"
         "</section></body>\n"
         "</FictionBook>\n";
}

std::string GeneratedWriteDocument(size_t bytes) {
  WriteBuilder b;
  b.entriesPerPage = 16;
  WriteCharProps bold;
  bold.bold = true;
  bold.font = 1;
  b.AddFont(0x20, "Times New Roman");
  b.AddFont(0x10, "Arial");
  static const std::string words = "The quick brown fox jumps over the lazy dog, ";
  for (size_t paragraph = 0; b.text.size() < bytes; ++paragraph) {
    for (int sentence = 0; sentence < 4; ++sentence) {
      b.text += words;
      b.AddRun(b.text.size());
      b.text += "and bold words";
      b.AddRun(b.text.size(), bold.Bytes());
    }
    b.text += ".\r\n";
    b.AddRun(b.text.size());
    b.AddParagraph(b.text.size());
  }
  return b.Build();
}

std::string GeneratedWordDocument(size_t bytes) {
  WordBuilder b;
  const std::u16string latin = u"The quick brown fox jumps over the lazy dog; page \x13 PAGE \x14"
                               u"7\x15 of the report.\r";
  const std::u16string wide = u"\u0416\u0438\u0437\u043d\u044c cell\x07"
                              u"cell\x07\x07"
                              u"\u4e2d\u6587 text \x13 HYPERLINK \"http://example.com/\" \x14"
                              u"link\x15 \U0001F600\r";
  size_t size = 0;
  while (size < bytes) {
    std::u16string eight, sixteen;
    for (int i = 0; i < 16; ++i)
      eight += latin;
    for (int i = 0; i < 8; ++i)
      sixteen += wide;
    size += eight.size() + sixteen.size() * 2;
    b.pieces.push_back({std::move(eight), true});
    b.pieces.push_back({std::move(sixteen), false});
  }
  return b.Build();
}

std::string GeneratedWordXDocument(size_t bytes) {
  const std::string paragraph =
      "<w:p><w:pPr><w:pStyle w:val=\"Normal\"/></w:pPr><w:r><w:rPr><w:b/></w:rPr>"
      "<w:t xml:space=\"preserve\">The quick brown fox </w:t></w:r><w:r><w:t>jumps over the "
      "lazy dog &amp; caf\xc3\xa9</w:t><w:tab/><w:t>\xd0\x96\xd0\xb8\xd0\xb7\xd0\xbd\xd1\x8c</w:t>"
      "<w:br/></w:r><w:proofErr w:type=\"spellStart\"/></w:p>\n";
  const std::string table = "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>cell</w:t></w:r></w:p></w:tc>"
                            "<w:tc><w:p><w:r><w:t>cell</w:t></w:r></w:p></w:tc></w:tr></w:tbl>\n";
  std::string body;
  body.reserve(bytes + 1024);
  for (size_t i = 0; body.size() < bytes; ++i)
    body += i % 10 == 9 ? table : paragraph;
  ZipBuilder zip;
  zip.Add("word/document.xml",
          "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<w:document><w:body>" +
              body + "</w:body></w:document>");
  zip.Add("docProps/core.xml", "<?xml version=\"1.0\"?><cp:coreProperties><dc:title>Generated"
                               "</dc:title></cp:coreProperties>");
  return zip.Build();
}

} // namespace scrivlet::test
