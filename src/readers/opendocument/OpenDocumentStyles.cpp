// OpenDocument automatic styles, with the small value parsers they use.
#include "core/Ascii.h"
#include "core/CodePage.h"
#include "core/Exception.h"
#include "core/Numbers.h"
#include "readers/opendocument/OpenDocumentReader.h"
#include "xml/XmlParser.h"

namespace scrivlet {
namespace {

int HexPair(std::u16string_view pair) {
  int value = 0;
  bool valid = !pair.empty();
  for (char16_t c : pair) {
    int digit = HexDigitValue(c);
    valid = valid && digit >= 0;
    value = value * 16 + std::max(digit, 0);
  }
  if (!valid)
    throw ConversionError("'%s' is not a valid integer value",
                          {"$" + WideToAnsi(std::u16string(pair), CP_UTF8)});
  return value;
}

std::u16string_view Pair(std::u16string_view text, size_t start) {
  return start < text.size() ? text.substr(start, 2) : std::u16string_view();
}

std::string Ansi(const std::u16string& text) {
  return WideToAnsi(text, CP_UTF8);
}

std::u16string ChildValue(XmlNode& item, std::string_view name) {
  XmlNode* child = item.ItemByName(name);
  return child ? child->GetValue() : std::u16string();
}

// Reads a value that only changes how the text looks: one that cannot be
// read ("big", "transparent", a colour that is no colour) leaves the
// style's default and never costs the document its text.
template <class Read> void ReadCosmetic(Read read) {
  try {
    read();
  } catch (const ConversionError&) {
  }
}

} // namespace

RgbColor ColorFromHex(std::u16string_view text) {
  int red = HexPair(Pair(text, 1)), green = HexPair(Pair(text, 3)), blue = HexPair(Pair(text, 5));
  return static_cast<RgbColor>(red | green << 8 | blue << 16);
}

std::u16string LeadingDigits(std::u16string_view text) {
  size_t n = 0;
  while (n < text.size() && text[n] >= u'0' && text[n] <= u'9')
    ++n;
  return std::u16string(text.substr(0, n));
}

void ParseClipRect(std::u16string_view text, ClipRectangle& rect) {
  if (!text.starts_with(u"rect("))
    return;
  std::u16string_view inner = text.substr(5, text.size() > 5 ? text.size() - 6 : 0);
  int64_t numbers[4] = {0, 0, 0, 0};
  int taken = 0;
  size_t i = 0;
  while (i < inner.size() && taken < 4) {
    if (inner[i] < u'0' || inner[i] > u'9') {
      ++i;
      continue;
    }
    size_t start = i;
    while (i < inner.size() && inner[i] >= u'0' && inner[i] <= u'9')
      ++i;
    if (i == inner.size())
      break; // a run at the very end is not taken
    int64_t value = 0;
    for (size_t k = start; k < i && value <= INT32_MAX; ++k)
      value = value * 10 + (inner[k] - u'0');
    numbers[taken++] = value > INT32_MAX ? 0 : value;
  }
  rect.Left = static_cast<int32_t>(numbers[0]);
  rect.Top = static_cast<int32_t>(numbers[1]);
  rect.Right = static_cast<int32_t>(numbers[0] + numbers[2]);
  rect.Bottom = static_cast<int32_t>(numbers[1] + numbers[3]);
}

int64_t ParseDuration(std::u16string_view text) {
  if (!text.starts_with(u"PT"))
    return 0;
  int64_t hours = 0, minutes = 0, seconds = 0, gathered = 0;
  for (char16_t c : text.substr(2)) {
    if (c >= u'0' && c <= u'9') {
      gathered = gathered < INT64_MAX / 100 ? gathered * 10 + (c - u'0') : gathered;
    } else if (c == u'H' || c == u'M' || c == u'S') {
      (c == u'H' ? hours : c == u'M' ? minutes : seconds) = gathered;
      gathered = 0;
    }
  }
  const int64_t limit = INT64_MAX / 8;
  return std::min(hours, limit / 3600) * 3600 + std::min(minutes, limit / 60) * 60 +
         std::min(seconds, limit);
}

void OpenDocumentReader::ReadStyles(XmlNode& automaticStyles) {
  ClipRectangle clip; // carried from style to style within one pass
  for (int i = 0; i < automaticStyles.Items.Count(); ++i) {
    XmlNode& node = *automaticStyles.Items[i];
    std::string family = Ansi(ChildValue(node, "style:family"));
    std::unique_ptr<OpenDocumentStyle> style;
    if (family == "text" || family == "paragraph")
      style = std::make_unique<TextStyle>();
    else if (family == "graphic")
      style = std::make_unique<GraphicStyle>();
    else if (family.empty() && node.Name == "text:list-style")
      style = std::make_unique<ListStyle>();
    else
      style = std::make_unique<OpenDocumentStyle>();
    if (XmlNode* name = node.ItemByName("style:name"))
      style->StyleName = Ansi(name->GetValue());
    style->StyleFamily = family;
    if (auto* text = dynamic_cast<TextStyle*>(style.get())) {
      if (XmlNode* properties = node.ItemByName("style:text-properties")) {
        for (int k = 0; k < properties->Items.Count(); ++k) {
          XmlNode& p = *properties->Items[k];
          std::u16string value = p.GetValue();
          if (p.Name == "fo:text-align")
            text->Alignment = value == u"center" ? taCenter
                              : value == u"end"  ? taRightJustify
                                                 : taLeftJustify;
          else if (p.Name == "fo:font-style" && value == u"italic")
            text->TextFont.Italic = true;
          else if (p.Name == "fo:text-underline-style" && !value.empty())
            text->TextFont.Underline = true;
          else if (p.Name == "fo:font-weight" && value == u"bold")
            text->TextFont.Bold = true;
          else if (p.Name == "fo:color")
            ReadCosmetic([&] { text->TextFont.Color = ColorFromHex(value); });
          else if (p.Name == "fo:background-color")
            ReadCosmetic([&] { text->Color = ColorFromHex(value); });
          else if (p.Name == "fo:font-size")
            ReadCosmetic([&] { text->TextFont.Size = StrToInt(Ansi(LeadingDigits(value))); });
        }
      }
    } else if (auto* graphic = dynamic_cast<GraphicStyle*>(style.get())) {
      if (XmlNode* properties = node.ItemByName("style:graphic-properties"))
        for (int k = 0; k < properties->Items.Count(); ++k)
          if (properties->Items[k]->Name == "fo:clip")
            ParseClipRect(properties->Items[k]->GetValue(), clip);
      graphic->ClipRect = clip;
    }
    FStyles.push_back(std::move(style));
  }
}

} // namespace scrivlet
