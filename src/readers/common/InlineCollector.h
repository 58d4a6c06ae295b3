// The pieces of one block of an XML text format (an XHTML paragraph, a
// FictionBook line) as its inline elements cut it: each piece with the
// marks of the elements around it and the target of its link, line breaks,
// and note references made from the links that point at notes.  The format
// says what its elements mean (Open, OpenLink, BeginNoteLink, ...); the
// collector keeps the open elements as a stack of frames, so that entering
// one copies no text.
#pragma once

#include "document/Document.h"
#include "xml/XmlParser.h"

#include <string>
#include <string_view>
#include <vector>

namespace scrivlet {

class InlineCollector {
public:
  // Starts a block: no pieces, no open element.
  void Begin();
  // The pieces gathered, in a vector of their number (the buffer is kept
  // from block to block).
  std::vector<Inline> Take();
  // The pieces gathered so far, taken out: the elements open stay open.
  std::vector<Inline> Cut();
  size_t PieceCount() const { return FPieces.size(); }
  // Whether the last piece is text that ends in a character other than a
  // blank.
  bool EndsInText() const;

  // An element opens: its marks add to those around it; a link's target
  // applies to the text inside it.
  void Open(Marks marks);
  void OpenLink(Marks marks, std::u16string target);
  // The element opened last closes.
  void Close();

  void AddLineBreak();
  void AddPiece(Inline piece) { FPieces.push_back(std::move(piece)); }
  // Text where it stands: into the note link being read, else a piece with
  // the marks and link in force.  A blank that opens a marked or linked
  // piece is plain text before it ("a <em>b</em>" keeps "a " plain).
  void Text(std::u16string_view text);

  // A link to a note: its text until EndNoteLink is its label.
  void BeginNoteLink(const XmlNode& element);
  bool InNoteLink() const { return FNoteLink != nullptr; }
  bool IsNoteLink(const XmlNode& element) const { return &element == FNoteLink; }
  struct NoteLinkText {
    std::u16string label;   // trimmed, without the brackets around it
    std::u16string written; // as the link wrote it, without the blanks before it
  };
  // Ends the note link; the blanks before its text stay in the text.  The
  // caller adds the reference piece.
  NoteLinkText EndNoteLink();

  // The block's whole text as one plain piece, where its pieces would not
  // join to it (see XmlNode::VisitWholeText): the text stays as it always
  // was, its marks and note references are lost.
  void WholeTextOnly(std::u16string text);

  // A note link's text as its label: trimmed, without the brackets ("[1]",
  // "(1)", "{1}") around it.
  static std::u16string NoteLabel(std::u16string_view text);

private:
  // An open element: its marks and its link's target (an index in
  // FTargets, 0 for none).
  struct Frame {
    Marks marks;
    size_t target;
  };
  void AddText(std::u16string_view text, Marks marks, const std::u16string& target);

  std::vector<Frame> FFrames;
  std::vector<std::u16string> FTargets;
  std::vector<Inline> FPieces;
  const XmlNode* FNoteLink = nullptr;
  std::u16string FNoteText;
};

// The value of an attribute whose name, without its namespace prefix, is
// name ("" when there is none), read from the tag's attribute text.
std::u16string AttributeValueOf(XmlNode& element, std::string_view name);

// A table cell's "colspan" as a number of columns: 1 when absent or out of
// reason.
int32_t ColumnSpanOf(XmlNode& cell);

} // namespace scrivlet
