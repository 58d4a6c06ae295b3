// The content of one XHTML block of an EPUB content document: its text cut
// where the inline elements begin and end, each piece with the marks of
// its elements (em/i, strong/b, u, s/strike/del, sup, sub, code), the
// target of its link, a line break for each "br", and a note reference for
// each link that EPUB 3 marks as one (epub:type="noteref").  Ruby
// annotations keep their base text only: "rt" and "rp" are left out.
#pragma once

#include "document/Document.h"
#include "readers/common/InlineCollector.h"
#include "xml/XmlParser.h"

#include <string>
#include <unordered_set>
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
  // verbatim: preformatted text, its white space as it stands and each of
  // its line ends a line break.
  std::vector<Inline> Read(XmlNode& block, bool skipBlocks, bool verbatim = false);
  // The text of a block that holds blocks, beside them: one run of pieces
  // before each outermost nested block and one after the last (runs of no
  // text among them), their note references not kept.
  std::vector<std::vector<Inline>> ReadRuns(XmlNode& container);
  const std::vector<Reference>& References() const { return FReferences; }

  // The value of an attribute whose name, without its namespace prefix, is
  // name ("" when there is none).
  static std::u16string AttributeValue(XmlNode& item, std::string_view name);
  // Whether an epub:type value (blank-separated words) holds word.
  static bool HasType(XmlNode& item, std::u16string_view word);
  // Whether an element is one of the blocks whose text a list item's own
  // text leaves out.
  static bool IsNestedBlock(const std::string& name);
  // Whether an element shows nothing to a reader of the book: scripts,
  // styles, and what the "hidden" attribute hides.
  static bool IsLeftOut(XmlNode& element);

  // targets: the ids of the elements that plain links refer to as notes (a
  // link of a note's label to an element whose id names a note), besides
  // those that EPUB 3 marks; referenceIds: the ids of the links to notes,
  // where a note's back-link leads.
  void SetNoteLinks(const std::unordered_set<std::u16string>* targets,
                    const std::unordered_set<std::u16string>* referenceIds) {
    FNoteTargets = targets;
    FReferenceIds = referenceIds;
  }
  // Whether a note's text is being read: its back-link to the reference
  // is no part of it.
  void SetInNote(bool inNote) { FInNote = inNote; }
  // Whether a link's text is a note's label ("1", "[2]", "*", "↩"): short,
  // without letters.
  static bool IsLabelText(std::u16string_view text);

  bool Enter(XmlNode& element) override;
  void Text(std::u16string_view text) override;
  void Leave(XmlNode& element) override;

private:
  bool IsBackLink(XmlNode& element, const std::u16string& href) const;
  bool IsNoteTarget(const std::u16string& href) const;

  InlineCollector FCollector;
  bool FSkipBlocks = false;
  bool FVerbatim = false;
  bool FInNote = false;
  const std::unordered_set<std::u16string>* FNoteTargets = nullptr;
  const std::unordered_set<std::u16string>* FReferenceIds = nullptr;
  std::vector<std::vector<Inline>>* FRuns = nullptr; // cut at each nested block
  std::vector<Reference> FReferences;
  std::u16string FNoteHref; // of the note link being read
};

} // namespace scrivlet
