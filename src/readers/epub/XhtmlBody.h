// The body of an XHTML content document as blocks, in one walk with a
// stack of its own.
//
// Paragraphs and headings give a block of their whole text (inline
// elements in place); other blocks (div, li, td, pre, blockquote, ...)
// give one when no block lies inside them.  Lists, tables and their parts
// are given by their boundaries; a list item's own text beside its nested
// blocks is a list item block.  The lines of a blockquote are quotes, a
// "pre" is preformatted.  What EPUB 3 marks as a footnote, endnote or
// rear note (an element with an id and that epub:type) is a note of the
// document instead of text where it stands; links marked "noteref" refer
// to it.  The lists of a "nav" (the book's table of contents) are read as
// lines, not as lists of the text; its page list and what the "hidden"
// attribute hides are left out, as a reader of the book never sees them.
// Text that stands beside blocks (in the body, in a div that holds
// paragraphs) is a paragraph of its own where it stands.
#pragma once

#include "core/WorkBudget.h"
#include "document/Document.h"
#include "readers/epub/XhtmlInlines.h"

#include <functional>
#include <limits>
#include <unordered_set>
#include <vector>

namespace scrivlet {

class XmlNode;

class XhtmlBody {
public:
  static constexpr size_t kMainStory = std::numeric_limits<size_t>::max();
  // A note reference as it was written: where it stands (a note's index,
  // or kMainStory), its block and piece.
  struct ReferencePlace {
    size_t note;
    size_t block;
    size_t piece;
    std::u16string text;
    std::u16string href;
  };

  // add: keeps a block in a story, counted against the output limit;
  // budget pays for what the walk keeps of the tree.
  XhtmlBody(Document& document, std::function<void(Story&, Block)> add,
            std::vector<ReferencePlace>& references, WorkBudget& budget)
      : FDocument(document), FAdd(std::move(add)), FReferences(references), FBudget(budget) {}
  ~XhtmlBody();
  XhtmlBody(const XhtmlBody&) = delete;
  XhtmlBody& operator=(const XhtmlBody&) = delete;

  void Convert(XmlNode& body);

private:
  enum class Part : uint8_t { Note, Table, Row, Cell, List, Item, Quote, Navigation };
  struct Open {
    const XmlNode* item;
    Part part;
  };

  bool Enter(XmlNode& item, bool insideLine);
  void Leave(XmlNode& item);
  void StartParts(XmlNode& item);
  // The text beside the blocks of a block that holds blocks: a run before
  // each of its outermost nested blocks and one after them, given as
  // paragraphs where they stand.
  struct LooseText {
    const XmlNode* container;
    std::vector<std::vector<Inline>> runs;
    size_t next = 0;
    int openBlocks = 0; // nested blocks entered and not left
  };
  bool IsContainer(XmlNode& item, const XmlNode& body) const;
  void EnterNestedBlock(XmlNode& item);
  void LeaveNestedBlock(XmlNode& item);
  void AddLooseRun(std::vector<Inline> run);
  void AddBlock(Block block);
  void AddBoundary(BlockKind kind, int32_t value = 0, bool ordered = false, bool header = false);
  Story& Target();

  Document& FDocument;
  std::function<void(Story&, Block)> FAdd;
  std::vector<ReferencePlace>& FReferences;
  WorkBudget& FBudget;
  XhtmlInlines FInlines;
  std::unordered_set<const XmlNode*> FWithBlocks;
  std::unordered_set<std::u16string> FNoteTargets, FReferenceIds;
  std::vector<Open> FOpen;
  std::vector<LooseText> FLoose;
  const XmlNode* FBody = nullptr;
  std::vector<bool> FListOrdered; // the open lists, innermost last
  int FQuotes = 0;
  int FNavigation = 0; // inside "nav": a table of contents, not a list of the text
  // The note being read (kMainStory: none), its blocks until it ends.
  size_t FNote = kMainStory;
  Story FNoteStory;
};

} // namespace scrivlet
