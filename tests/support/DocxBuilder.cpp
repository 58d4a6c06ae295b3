#include "support/DocxBuilder.h"

#include "support/ZipBuilder.h"

namespace scrivlet::test {
namespace {

const std::string kDeclaration =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
const std::string kNamespaces =
    " xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\""
    " xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";

void AddPart(ZipBuilder& zip, const std::string& name, const std::string& root,
             const std::string& inside) {
  if (!inside.empty())
    zip.Add(name, kDeclaration + "<" + root + kNamespaces + ">" + inside + "</" + root + ">");
}

} // namespace

std::string DocxBuilder::Build() const {
  ZipBuilder zip;
  zip.Add("[Content_Types].xml", kDeclaration + "<Types/>");
  zip.Add("word/document.xml", kDeclaration + "<w:document" + kNamespaces + "><w:body>" + body +
                                   "</w:body></w:document>");
  AddPart(zip, "word/styles.xml", "w:styles", styles);
  AddPart(zip, "word/numbering.xml", "w:numbering", numbering);
  AddPart(zip, "word/footnotes.xml", "w:footnotes", footnotes);
  AddPart(zip, "word/endnotes.xml", "w:endnotes", endnotes);
  AddPart(zip, "word/comments.xml", "w:comments", comments);
  if (!relationships.empty())
    zip.Add("word/_rels/document.xml.rels",
            kDeclaration +
                "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                "relationships\">" +
                relationships + "</Relationships>");
  return zip.Build();
}

std::string DocxBuilder::Run(const std::string& text, const std::string& properties) {
  return "<w:r>" + (properties.empty() ? "" : "<w:rPr>" + properties + "</w:rPr>") +
         "<w:t xml:space=\"preserve\">" + text + "</w:t></w:r>";
}

std::string DocxBuilder::Paragraph(const std::string& content, const std::string& properties) {
  return "<w:p>" + (properties.empty() ? "" : "<w:pPr>" + properties + "</w:pPr>") + content +
         "</w:p>";
}

std::string DocxBuilder::StyledParagraph(const std::string& styleId, const std::string& text) {
  return Paragraph(Run(text), "<w:pStyle w:val=\"" + styleId + "\"/>");
}

std::string DocxBuilder::ListParagraph(int numId, int ilvl, const std::string& text) {
  return Paragraph(Run(text), "<w:numPr><w:ilvl w:val=\"" + std::to_string(ilvl) +
                                  "\"/><w:numId w:val=\"" + std::to_string(numId) +
                                  "\"/></w:numPr>");
}

std::string DocxBuilder::Style(const std::string& type, const std::string& id,
                               const std::string& name, const std::string& more) {
  return "<w:style w:type=\"" + type + "\" w:styleId=\"" + id + "\"><w:name w:val=\"" + name +
         "\"/>" + more + "</w:style>";
}

std::string DocxBuilder::Note(const std::string& element, const std::string& id,
                              const std::string& text, const std::string& type) {
  return "<" + element + " w:id=\"" + id + "\"" + (type.empty() ? "" : " w:type=\"" + type + "\"") +
         ">" + Paragraph(Run(text)) + "</" + element + ">";
}

} // namespace scrivlet::test
