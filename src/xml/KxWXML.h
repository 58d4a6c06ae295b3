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

#include "core/Stream.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scrivlet {

class TKxXMLEngine;
class TKxXMLItem;

enum TKxXMLKind : uint8_t { xkElement = 0, xkAttribute = 1, xkComment = 2, xkCData = 3 };

// An ordered list of items that owns them.
class TKxXMLItems {
public:
  explicit TKxXMLItems(TKxXMLItem* owner) : FOwner(owner) {}
  ~TKxXMLItems() { Clear(); }
  TKxXMLItems(const TKxXMLItems&) = delete;
  TKxXMLItems& operator=(const TKxXMLItems&) = delete;

  int Count() const { return static_cast<int>(FItems.size()); }
  TKxXMLItem* operator[](int index) const { return FItems[static_cast<size_t>(index)].get(); }
  TKxXMLItem* Item(int index) const { return (*this)[index]; }

  // A new item under the owner, one level below it.
  TKxXMLItem* AddItem();
  // Frees the item and its subtree and takes it out of the list.
  void Remove(TKxXMLItem* item);
  // Frees every item, last to first, without recursion.
  void Clear();

private:
  friend class TKxXMLItem;
  TKxXMLItem* FOwner;
  std::vector<std::unique_ptr<TKxXMLItem>> FItems;
};

class TKxXMLItem {
public:
  explicit TKxXMLItem(TKxXMLItem* parent = nullptr);

  TKxXMLKind Kind = xkElement;
  std::string Name;          // as written, with its namespace prefix
  std::string AttributeText; // the start tag's raw attributes until parsed
  int Level = 0;
  TKxXMLItems Items;
  TKxXMLItem* Parent = nullptr;

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

  // The value without its surrounding quotes.
  std::u16string GetRawValue() const;
  // GetRawValue with character entities decoded.
  std::u16string GetValue() const;
  // The element's whole text in document order: its own text, the texts of
  // its descendants and the tails between them, entities decoded, runs of
  // white space made one blank, the ends trimmed.
  std::u16string WholeText() const;

  // Splits AttributeText into attribute items and empties it.
  void ParseAttributes();
  // The first item of this subtree (this item first, depth first, document
  // order) whose name is name, letter case counting.
  TKxXMLItem* ItemByName(std::string_view name);

private:
  friend class TKxXMLEngine;
  std::u16string FValue;
  bool FHasValue = false;
  const TKxXMLEngine* FEngine = nullptr; // decodes attribute values
  // This element's stretch of the engine's document-order text.
  const std::u16string* FDocumentText = nullptr;
  size_t FTextBegin = 0, FTextEnd = 0;
  bool FTextOpen = false;
};

using TKxIXMLOnTagEvent = std::function<void(
    TKxXMLEngine& sender, TKxXMLItem* parentNode, const std::u16string& tagName,
    const std::u16string& tagValue, const std::u16string& tagAttributes, bool& accept)>;
// The handler may free the node (TKxXMLEngine::FreeItem), which leaves it
// null.
using TKxIXMLOnAfterTagEvent =
    std::function<void(TKxXMLEngine& sender, TKxXMLItem*& node, bool& cancel)>;

class TKxXMLEngine {
public:
  TKxXMLEngine();
  TKxXMLEngine(const TKxXMLEngine&) = delete;
  TKxXMLEngine& operator=(const TKxXMLEngine&) = delete;

  TKxXMLItem& RootItem() { return FRoot; }
  bool AttributesAutoProcess = false;
  TKxIXMLOnTagEvent OnTag;
  TKxIXMLOnAfterTagEvent OnAfterTag;

  // The encoding the XML declaration names ("" when none).
  const std::string& Encoding() const { return FEncoding; }
  // Whether the last load found a UTF-16 byte-order mark.
  bool UnicodeSource() const { return FUnicodeSource; }

  // Empties the root's children and parses the stream from its position to
  // endPosition (0: to the end, with a UTF-16 byte-order mark recognised).
  void LoadFromStream(TStream* stream, int64_t endPosition = 0);
  // LoadFromStream on a whole document held in memory (a package member).
  void LoadFromBytes(std::string bytes);
  // Parses a byte text.
  void ParseText(std::string_view text);

  // The first item of startItem's subtree (the root's when null), depth
  // first in document order, whose name is name ignoring letter case.
  TKxXMLItem* FindItem(TKxXMLItem* startItem, std::string_view name);

  // Frees an item (from an OnAfterTag handler) and nulls the pointer.
  void FreeItem(TKxXMLItem*& item);

  // Puts text into the whole-text view at the current place (from an OnTag
  // handler: before the element being opened).  It is kept as it is: not
  // decoded, its blanks and line ends not collapsed.
  void AppendLiteralText(std::u16string_view text);

  // Bytes of the document as text: UTF-8 when the document is UTF-16 or
  // declared (or, undeclared, well-formed) UTF-8, the declared code page,
  // else the system code page.
  std::u16string ConvertText(std::string_view bytes) const;

private:
  class Parser;

  TKxXMLItem FRoot;
  std::string FEncoding;
  bool FUnicodeSource = false;
  bool FTextIsUtf8 = false;
  std::u16string FDocumentText;
};

// Visits root's subtree in document order without recursion, so that any
// depth of nesting is safe.  enter(item, state) runs before an item's
// children and returns the state they get; leave(item) runs after them.
template <class State, class Enter, class Leave>
void WalkItems(TKxXMLItem& root, State rootState, Enter enter, Leave leave) {
  struct Frame {
    TKxXMLItem* item;
    int nextChild;
    State state;
  };
  std::vector<Frame> stack;
  stack.push_back({&root, 0, enter(root, rootState)});
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.nextChild < top.item->Items.Count()) {
      TKxXMLItem& child = *top.item->Items[top.nextChild++];
      State childState = enter(child, top.state);
      stack.push_back({&child, 0, childState});
      continue;
    }
    TKxXMLItem& done = *top.item;
    stack.pop_back();
    leave(done);
  }
}

} // namespace scrivlet
