// The content of one XHTML block of an EPUB content document: its text cut
// where the inline elements begin and end, each piece with the marks of
// its elements (em/i, strong/b, u, s/strike/del, sup, sub, code), the
// target of its link, a line break for each "br", and a note reference for
// each link that EPUB 3 marks as one (epub:type="noteref").  Ruby
// annotations keep their base text only: "rt" and "rp" are left out.
#pragma once

#include "document/Document.h"
#include "xml/XmlParser.h"

#include <string>
#include <vector>

namespace scrivlet {

class XhtmlInlines final : public XmlNode::TextVisitor {
public:
  // A note reference made by the last Read: its piece, and what it was
  // written as (for a reference to no note, which stays a link).
  struct Reference {
    size_t piece;
    std::u16string text;
    std::u16string href;
  };

  // The pieces of block.  skipBlocks: the text of the blocks nested in it
  // is left out (a list item's own text beside its nested list).
  std::vector<Inline> Read(XmlNode& block, bool skipBlocks);
  const std::vector<Reference>& References() const { return FReferences; }

  // The value of an attribute whose name, without its namespace prefix, is
  // name ("" when there is none).
  static std::u16string AttributeValue(XmlNode& item, std::string_view name);
  // Whether an epub:type value (blank-separated words) holds word.
  static bool HasType(XmlNode& item, std::u16string_view word);
  // Whether an element is one of the blocks whose text a list item's own
  // text leaves out.
  static bool IsNestedBlock(const std::string& name);

  bool Enter(XmlNode& element) override;
  void Text(std::u16string_view text) override;
  void Leave(XmlNode& element) override;

private:
  // An open element: its marks and its link's target (an index in
  // FTargets, 0 for none), so that entering copies no text.
  struct Frame {
    Marks marks;
    size_t target;
  };
  void WholeTextOnly(std::u16string text);
  void AddText(std::u16string_view text, Marks marks, const std::u16string& target);

  bool FSkipBlocks = false;
  std::vector<Frame> FFrames;
  std::vector<std::u16string> FTargets;
  std::vector<Inline> FPieces;
  std::vector<Reference> FReferences;
  // The note link being read: its element, href and text.
  const XmlNode* FNoteLink = nullptr;
  std::u16string FNoteHref;
  std::u16string FNoteText;
};

} // namespace scrivlet
