#include "readers/opendocument/StructureStyles.h"

#include "readers/opendocument/ElementAttribute.h"
#include "xml/XmlParser.h"

#include <algorithm>

namespace scrivlet {
namespace {

// A style inherits through at most this many parents (a loop among them
// ends here too).
constexpr int kMaxInheritance = 32;

struct MarkSetting {
  Marks mark;
  bool on;
};

// "bold", "normal" or a weight from 100 to 900: bold from 600.
bool IsBoldWeight(const std::u16string& weight) {
  if (weight == u"bold" || weight == u"bolder")
    return true;
  int value = 0;
  for (char16_t c : weight) {
    if (c < u'0' || c > u'9')
      break;
    value = value * 10 + (c - u'0');
    if (value >= 600)
      return true;
  }
  return false;
}

// "super", "sub" or a percentage (positive raises, negative lowers), maybe
// followed by the font's relative size; "0%" is the line itself.
void PositionMarks(const std::u16string& position, Marks& set, Marks& known) {
  known |= kSuperscript | kSubscript;
  if (position.starts_with(u"super"))
    set |= kSuperscript;
  else if (position.starts_with(u"sub") || position.starts_with(u"-"))
    set |= kSubscript;
  else if (!position.empty() && position[0] >= u'1' && position[0] <= u'9')
    set |= kSuperscript;
}

void SetMark(Marks mark, bool on, Marks& set, Marks& known) {
  known |= mark;
  if (on)
    set |= mark;
}

} // namespace

void StructureStyles::Read(const XmlNode& styles) {
  for (int i = 0; i < styles.Items.Count(); ++i) {
    const XmlNode& style = *styles.Items[i];
    if (style.Name == "style:style")
      ReadTextStyle(style);
    else if (style.Name == "text:list-style")
      ReadListStyle(style);
  }
}

void StructureStyles::ReadTextStyle(const XmlNode& style) {
  if (ElementAttribute(style, "style:family") != u"text")
    return;
  std::u16string name = ElementAttribute(style, "style:name");
  if (name.empty() || FText.contains(name))
    return;
  TextStyle& text = FText[name];
  text.parent = ElementAttribute(style, "style:parent-style-name");
  for (int i = 0; i < style.Items.Count(); ++i) {
    const XmlNode& properties = *style.Items[i];
    if (properties.Name != "style:text-properties")
      continue;
    if (std::u16string weight = ElementAttribute(properties, "fo:font-weight"); !weight.empty())
      SetMark(kBold, IsBoldWeight(weight), text.set, text.known);
    if (std::u16string slant = ElementAttribute(properties, "fo:font-style"); !slant.empty())
      SetMark(kItalic, slant == u"italic" || slant == u"oblique", text.set, text.known);
    if (std::u16string line = ElementAttribute(properties, "style:text-underline-style");
        !line.empty())
      SetMark(kUnderline, line != u"none", text.set, text.known);
    if (std::u16string line = ElementAttribute(properties, "style:text-line-through-style");
        !line.empty())
      SetMark(kStrike, line != u"none", text.set, text.known);
    if (std::u16string position = ElementAttribute(properties, "style:text-position");
        !position.empty())
      PositionMarks(position, text.set, text.known);
  }
}

void StructureStyles::ReadListStyle(const XmlNode& style) {
  std::u16string name = ElementAttribute(style, "style:name");
  if (name.empty() || FLists.contains(name))
    return;
  ListStyle& list = FLists[name];
  for (int i = 0; i < style.Items.Count(); ++i) {
    const XmlNode& level = *style.Items[i];
    int number = NumberAttribute(level, "text:level", 0);
    if (number < 1 || number > kMaxLevels)
      continue;
    ListLevelStyle& entry = list.levels[number - 1];
    // An empty number format numbers nothing; a level without one counts
    // in digits.
    entry.ordered = level.Name == "text:list-level-style-number" &&
                    (level.AttributeText.find("style:num-format") == std::string::npos ||
                     !ElementAttribute(level, "style:num-format").empty());
    entry.start = NumberAttribute(level, "text:start-value", 1);
  }
}

void StructureStyles::LoadMore() {
  if (!FMore)
    return;
  auto load = std::move(FMore);
  FMore = nullptr;
  load(*this);
}

const StructureStyles::TextStyle* StructureStyles::FindText(const std::u16string& name) {
  auto found = FText.find(name);
  if (found == FText.end() && FMore) {
    LoadMore();
    found = FText.find(name);
  }
  return found == FText.end() ? nullptr : &found->second;
}

const StructureStyles::ListStyle* StructureStyles::FindList(const std::u16string& name) {
  auto found = FLists.find(name);
  if (found == FLists.end() && FMore) {
    LoadMore();
    found = FLists.find(name);
  }
  return found == FLists.end() ? nullptr : &found->second;
}

Marks StructureStyles::MarksOf(const std::u16string& name, Marks outer) {
  Marks set = 0, known = 0;
  const TextStyle* style = name.empty() ? nullptr : FindText(name);
  for (int depth = 0; style != nullptr && depth < kMaxInheritance; ++depth) {
    set |= style->set & ~known;
    known |= style->known;
    style = style->parent.empty() ? nullptr : FindText(style->parent);
  }
  return static_cast<Marks>((outer & ~known) | set);
}

ListLevelStyle StructureStyles::ListLevel(const std::u16string& name, int level) {
  const ListStyle* style = name.empty() ? nullptr : FindList(name);
  if (style == nullptr)
    return {};
  return style->levels[std::clamp(level, 1, kMaxLevels) - 1];
}

} // namespace scrivlet
