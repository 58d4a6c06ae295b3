// The lenient XML engine of the package readers.
//
// One forward pass over the document's bytes builds a tree of items under
// RootItem.  OnTag is raised before an element is added (refusing it skips
// its whole subtree) and OnAfterTag after an element is closed (it may stop
// the parse).  The engine never reports a syntax error: end tags close
// whatever is open, unclosed elements stay open, and text that belongs
// nowhere is dropped.
//
// Besides each element's own Value (its text and the tails after its
// children, each trimmed, joined without blanks), the engine keeps all text
// in document order, so an element can also give its whole text with inline
// children and blanks in place (WholeText).
#pragma once

#include "core/Limits.h"
#include "core/Stream.h"
#include "core/WorkBudget.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scrivlet {

class XmlParser;
class XmlNode;

enum class XmlNodeKind : uint8_t { Element = 0, Attribute = 1, Comment = 2, CData = 3 };

// An ordered list of items that owns them.
class XmlNodeList {
public:
  explicit XmlNodeList(XmlNode* owner) : FOwner(owner) {}
  ~XmlNodeList() { Clear(); }
  XmlNodeList(const XmlNodeList&) = delete;
  XmlNodeList& operator=(const XmlNodeList&) = delete;

  int Count() const { return static_cast<int>(FItems.size()); }
  XmlNode* operator[](int index) const { return FItems[static_cast<size_t>(index)].get(); }
  XmlNode* Item(int index) const { return (*this)[index]; }

  // A new item under the owner, one level below it.
  XmlNode* AddItem();
  // Frees the item and its subtree and takes it out of the list.
  void Remove(XmlNode* item);
  // Frees every item, last to first, without recursion.
  void Clear();

private:
  friend class XmlNode;
  XmlNode* FOwner;
  std::vector<std::unique_ptr<XmlNode>> FItems;
};

class XmlNode {
public:
  explicit XmlNode(XmlNode* parent = nullptr);

  XmlNodeKind Kind = XmlNodeKind::Element;
  std::string Name;          // as written, with its namespace prefix
  std::string AttributeText; // the start tag's raw attributes until parsed
  int Level = 0;
  XmlNodeList Items;
  XmlNode* Parent = nullptr;

  // The value: element text, attribute value (with its quotes), comment or
  // CDATA content.  An unset value reads as empty.
  const std::u16string& Value() const { return FValue; }
  bool HasValue() const { return FHasValue; }
  void SetValue(std::u16string value) {
    FValue = std::move(value);
    FHasValue = true;
  }
  // Appends without a separator; nothing for an empty text.
  void AppendValue(std::u16string_view text);
  void AppendValue(std::u16string&& text);
  // Unsets the value and frees its storage (a walk that is done with the
  // item).
  void ReleaseValue();

  // The value without its surrounding quotes.
  std::u16string GetRawValue() const;
  // GetRawValue with character entities decoded.
  std::u16string GetValue() const;
  // The element's whole text in document order: its own text, the texts of
  // its descendants and the tails between them, entities decoded, runs of
  // white space made one blank, the ends trimmed (literal pieces stand as
  // they are).
  std::u16string WholeText() const;

  // What VisitWholeText tells: the text between two tags, and each
  // descendant element where it begins and ends.  Enter returns whether
  // to read the element's text: when not, its stretch is passed over, and
  // its Leave does not come.
  class TextVisitor {
  public:
    virtual ~TextVisitor() = default;
    virtual bool Enter(XmlNode& element) = 0;
    virtual void Text(std::u16string_view text) = 0;
    virtual void Leave(XmlNode& element) = 0;

  private:
    friend class XmlNode;
    // The walk's buffers, kept with the visitor so that a reader visiting
    // paragraph after paragraph allocates them once.
    struct Frame {
      XmlNode* item;
      int nextChild;
      size_t end;
    };
    std::vector<Frame> FStack;
    std::u16string FPiece, FJoined, FDecoded;
  };
  // The element's whole text cut at the tags of its descendants, in
  // document order and without recursion; a reader takes the marks of
  // inline elements from Enter and Leave.  Returns whether the pieces given
  // to visitor.Text, joined, are WholeText(): always when every element is
  // entered, but where an entity's ";" meets a tag (the whole text decoded
  // at once then differs).  verbatim: the white space stays as it stands
  // (preformatted text), line ends made LF.
  bool VisitWholeText(TextVisitor& visitor, bool verbatim = false);

  // Splits AttributeText into attribute items and empties it.
  void ParseAttributes();
  // The value (GetValue) of the first attribute whose name without its
  // namespace prefix is localName; nothing when there is none.  Reads
  // AttributeText as ParseAttributes would, without making items of it.
  std::optional<std::u16string> AttributeValue(std::string_view localName) const;
  // The first item of this subtree (this item first, depth first, document
  // order) whose name is name, letter case counting.
  XmlNode* ItemByName(std::string_view name);

private:
  friend class XmlParser;
  std::u16string FValue;
  bool FHasValue = false;
  const XmlParser* FEngine = nullptr; // decodes attribute values
  // This element's stretch of the engine's document-order text.
  const std::u16string* FDocumentText = nullptr;
  size_t FTextBegin = 0, FTextEnd = 0;
  size_t TextStretchEnd() const;
  bool FTextOpen = false;
};

using XmlTagEvent = std::function<void(
    XmlParser& sender, XmlNode* parentNode, const std::u16string& tagName,
    const std::u16string& tagValue, const std::u16string& tagAttributes, bool& accept)>;
// The handler may free the node (XmlParser::FreeItem), which leaves it
// null.
using XmlAfterTagEvent = std::function<void(XmlParser& sender, XmlNode*& node, bool& cancel)>;

class XmlParser {
public:
  XmlParser();
  ~XmlParser();
  XmlParser(const XmlParser&) = delete;
  XmlParser& operator=(const XmlParser&) = delete;

  XmlNode& RootItem() { return FRoot; }
  bool AttributesAutoProcess = false;
  XmlTagEvent OnTag;
  XmlAfterTagEvent OnAfterTag;
  // The elements a document may have; past them a load raises
  // LimitExceeded.
  void SetLimits(const Limits& limits) { FLimits = limits; }
  // The budget that pays for the tree's elements, as records kept while
  // the tree stands (nullptr: none); it must outlive the engine.
  void SetBudget(WorkBudget* budget) { FBudget = budget; }
  // What one element's item is counted as.
  static constexpr uint64_t kElementBytes = 256;
  // The code page of a document whose text is neither declared nor UTF-8
  // (8-bit text of the host's era; Windows-1252 unless set).
  void SetTextCodePage(int codePage) { FTextCodePage = codePage; }

  // The encoding the XML declaration names ("" when none).
  const std::string& Encoding() const { return FEncoding; }
  // Whether the last load found a UTF-16 byte-order mark.
  bool UnicodeSource() const { return FUnicodeSource; }

  // Empties the root's children and parses the stream from its position to
  // endPosition (0: to the end, with a UTF-16 byte-order mark recognised).
  void LoadFromStream(Stream* stream, int64_t endPosition = 0);
  // LoadFromStream on a whole document held in memory (a package member).
  void LoadFromBytes(std::string bytes);
  // Parses a byte text.
  void ParseText(std::string_view text);

  // The first item of startItem's subtree (the root's when null), depth
  // first in document order, whose name is name ignoring letter case.
  XmlNode* FindItem(XmlNode* startItem, std::string_view name);

  // Frees an item (from an OnAfterTag handler) and nulls the pointer.
  void FreeItem(XmlNode*& item);

  // Puts text into the whole-text view at the current place (from an OnTag
  // handler: before the element being opened).  It is kept as it is: not
  // decoded, its blanks and line ends not collapsed.
  void AppendLiteralText(std::u16string_view text);

  // Bytes of the document as text: UTF-8 when the document is UTF-16 or
  // declared (or, undeclared, well-formed) UTF-8, the declared code page,
  // else the text code page.
  std::u16string ConvertText(std::string_view bytes) const;

private:
  class Parser;

  void ClearTree();
  void ParseLoaded(std::string text);

  XmlNode FRoot;
  std::string FEncoding;
  bool FUnicodeSource = false;
  bool FTextIsUtf8 = false;
  std::u16string FDocumentText;
  Limits FLimits;
  WorkBudget* FBudget = nullptr;
  uint64_t FCharged = 0; // what the budget paid for the tree
  int FTextCodePage = 1252;
};

// Visits root's subtree in document order without recursion, so that any
// depth of nesting is safe.  enter(item, state) runs before an item's
// children and returns the state they get; leave(item) runs after them.
template <class State, class Enter, class Leave>
void WalkItems(XmlNode& root, State rootState, Enter enter, Leave leave) {
  struct Frame {
    XmlNode* item;
    int nextChild;
    State state;
  };
  std::vector<Frame> stack;
  stack.push_back({&root, 0, enter(root, rootState)});
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.nextChild < top.item->Items.Count()) {
      XmlNode& child = *top.item->Items[top.nextChild++];
      State childState = enter(child, top.state);
      stack.push_back({&child, 0, childState});
      continue;
    }
    XmlNode& done = *top.item;
    stack.pop_back();
    leave(done);
  }
}

} // namespace scrivlet
