#include "readers/epub/MathMlText.h"

#include "readers/common/ScriptCharacters.h"
#include "xml/XmlParser.h"

#include <string_view>
#include <vector>

namespace scrivlet {
namespace {

// Nesting deeper than this is written as its plain text: the depth of the
// walk never grows with the file.
constexpr int kMaxDepth = 32;

std::string_view LocalName(const XmlNode& item) {
  std::string_view name = item.Name;
  size_t colon = name.find(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

std::vector<XmlNode*> Children(XmlNode& item) {
  std::vector<XmlNode*> children;
  for (int i = 0; i < item.Items.Count(); ++i)
    if (item.Items[i]->Kind == XmlNodeKind::Element)
      children.push_back(item.Items[i]);
  return children;
}

// A part written after a sign: in parentheses unless it is one character.
std::u16string Operand(const std::u16string& text) {
  return text.size() <= 1 ? text : u"(" + text + u")";
}

// An exponent or index: in the characters made for it where they exist
// (r², a₀), else after its sign.
std::u16string Script(const std::u16string& text, bool superscript) {
  if (auto characters = AsScriptCharacters(text, superscript))
    return *characters;
  return (superscript ? u"^" : u"_") + Operand(text);
}

class LinearText {
public:
  std::u16string Of(XmlNode& item, int depth) {
    if (depth > kMaxDepth)
      return item.WholeText();
    const std::string_view name = LocalName(item);
    std::vector<XmlNode*> parts = Children(item);
    auto part = [&](size_t i) { return i < parts.size() ? Of(*parts[i], depth + 1) : u""; };
    if (name == "annotation" || name == "annotation-xml" || name == "none" || name == "mprescripts")
      return u"";
    if (name == "mi" || name == "mn" || name == "mo" || name == "mtext" || name == "ms")
      return item.WholeText();
    if (name == "mspace")
      return u" ";
    if (name == "semantics")
      return part(0);
    if (name == "msup")
      return part(0) + Script(part(1), true);
    if (name == "msub")
      return part(0) + Script(part(1), false);
    if (name == "msubsup")
      return part(0) + Script(part(1), false) + Script(part(2), true);
    if (name == "mover")
      return part(0) + u"^" + Operand(part(1));
    if (name == "munder")
      return part(0) + u"_" + Operand(part(1));
    if (name == "munderover")
      return part(0) + u"_" + Operand(part(1)) + u"^" + Operand(part(2));
    if (name == "mfrac")
      return Operand(part(0)) + u"/" + Operand(part(1));
    if (name == "msqrt")
      return u"√" + Operand(Row(parts, depth));
    if (name == "mroot")
      return u"√[" + part(1) + u"]" + Operand(part(0));
    if (name == "mfenced")
      return Fenced(item, parts, depth);
    if (name == "mtable")
      return Joined(parts, depth, u"; ");
    if (name == "mtr" || name == "mlabeledtr")
      return Joined(parts, depth, u", ");
    return Row(parts, depth); // math, mrow, mstyle, mpadded, mphantom, mtd, ...
  }

private:
  std::u16string Row(const std::vector<XmlNode*>& parts, int depth) {
    if (parts.empty())
      return {};
    return Joined(parts, depth, u"");
  }

  std::u16string Joined(const std::vector<XmlNode*>& parts, int depth, std::u16string_view glue) {
    std::u16string text;
    for (size_t i = 0; i < parts.size(); ++i) {
      if (i > 0)
        text += glue;
      text += Of(*parts[i], depth + 1);
    }
    return text;
  }

  std::u16string Fenced(XmlNode& item, const std::vector<XmlNode*>& parts, int depth) {
    std::u16string open = item.AttributeValue("open").value_or(u"(");
    std::u16string close = item.AttributeValue("close").value_or(u")");
    std::u16string separator = item.AttributeValue("separators").value_or(u",");
    return open + Joined(parts, depth, separator.substr(0, 1)) + close;
  }
};

} // namespace

std::u16string MathMlLinearText(XmlNode& math) {
  return LinearText().Of(math, 0);
}

} // namespace scrivlet
