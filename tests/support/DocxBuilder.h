// Builds Word 2007+ packages for the tests: the document's body and the
// inside of each other part, wrapped in their root elements and the XML
// declaration; a part left empty is not written.
#pragma once

#include <string>

namespace scrivlet::test {

class DocxBuilder {
public:
  std::string body;          // inside w:body
  std::string styles;        // inside w:styles
  std::string numbering;     // inside w:numbering
  std::string footnotes;     // inside w:footnotes
  std::string endnotes;      // inside w:endnotes
  std::string comments;      // inside w:comments
  std::string relationships; // inside Relationships

  std::string Build() const;

  // <w:r> holding text, its run properties first.
  static std::string Run(const std::string& text, const std::string& properties = "");
  // <w:p> holding content, its paragraph properties first.
  static std::string Paragraph(const std::string& content, const std::string& properties = "");
  // A paragraph of that style holding one run of text.
  static std::string StyledParagraph(const std::string& styleId, const std::string& text);
  // A paragraph in list numId at level ilvl.
  static std::string ListParagraph(int numId, int ilvl, const std::string& text);
  // A w:style of that type ("paragraph", "character"); more: its
  // w:basedOn, w:pPr, w:rPr ...
  static std::string Style(const std::string& type, const std::string& id, const std::string& name,
                           const std::string& more = "");
  // A note of the footnotes or endnotes part holding one paragraph.
  static std::string Note(const std::string& element, const std::string& id,
                          const std::string& text, const std::string& type = "");
};

} // namespace scrivlet::test
