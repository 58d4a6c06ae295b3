// What the document's styles say about its structure: the marks a style of
// text gives its runs (bold, italic, underline, strike-through, super- and
// subscript), following the styles it inherits from, and whether a list
// style numbers a level or gives it bullets, from which number.
//
// The automatic styles of content.xml are read first; the common styles of
// styles.xml (where the named text and list styles live) only when a name
// is asked for that the automatic ones do not hold.
#pragma once

#include "document/Document.h"

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace scrivlet {

class XmlNode;

// How a list style numbers one level.
struct ListLevelStyle {
  bool ordered = false;
  int32_t start = 1; // the first number of a numbered level
};

class StructureStyles {
public:
  // Reads the text and list styles among the children of a styles element
  // (office:automatic-styles, office:styles); a name read before stays.
  void Read(const XmlNode& styles);
  // Called once, on the first name not found: reads more styles.
  void SetMoreStyles(std::function<void(StructureStyles&)> load) { FMore = std::move(load); }

  // The marks of a run of the text style named so inside a run with outer
  // marks: what the style (or the nearest style it inherits from) says
  // wins, the rest stays as outside.
  Marks MarksOf(const std::u16string& name, Marks outer);
  // How the list style named so numbers a level (1 the outermost); a
  // level it does not describe has bullets.
  ListLevelStyle ListLevel(const std::u16string& name, int level);

private:
  struct TextStyle {
    Marks set = 0;   // marks the style switches on
    Marks known = 0; // marks the style says anything about
    std::u16string parent;
  };
  static constexpr int kMaxLevels = 10;
  struct ListStyle {
    ListLevelStyle levels[kMaxLevels];
  };

  void ReadTextStyle(const XmlNode& style);
  void ReadListStyle(const XmlNode& style);
  const TextStyle* FindText(const std::u16string& name);
  const ListStyle* FindList(const std::u16string& name);
  void LoadMore();

  std::unordered_map<std::u16string, TextStyle> FText;
  std::unordered_map<std::u16string, ListStyle> FLists;
  std::function<void(StructureStyles&)> FMore;
};

} // namespace scrivlet
