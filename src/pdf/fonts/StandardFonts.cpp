#include "pdf/fonts/StandardFonts.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace scrivlet::pdf {
namespace {

std::string Lower(std::string_view text) {
  std::string lower;
  for (char c : text)
    if (c != ' ' && c != '-' && c != ',' && c != '_')
      lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

bool Contains(const std::string& text, std::string_view part) {
  return text.find(part) != std::string::npos;
}

// Symbol in any style ("Symbol,Italic", "SymbolMT", "Symbol-BoldItalic"):
// a Symbol font is a Symbol font whatever its style says.
bool IsSymbolInAnyStyle(std::string_view name) {
  if (!name.starts_with("symbol"))
    return false;
  name.remove_prefix(6);
  for (std::string_view style : {"mt", "bold", "italic", "oblique", "regular"})
    if (name.starts_with(style))
      name.remove_prefix(style.size());
  for (std::string_view style : {"italic", "oblique", "mt"})
    if (name.starts_with(style))
      name.remove_prefix(style.size());
  return name.empty();
}

// The family of a base font name: "courier", "helvetica", "times", "symbol",
// "zapfdingbats", or empty.
std::string_view Family(const std::string& name) {
  if (Contains(name, "courier"))
    return "Courier";
  if (Contains(name, "helvetica") || Contains(name, "arial"))
    return "Helvetica";
  if (Contains(name, "times"))
    return "Times";
  if (IsSymbolInAnyStyle(name))
    return "Symbol";
  if (Contains(name, "zapfdingbats") || Contains(name, "dingbats"))
    return "ZapfDingbats";
  return {};
}

} // namespace

const StandardFontMetrics* FindStandardFont(std::string_view baseFont) {
  if (!baseFont.empty() && baseFont[0] == '/')
    baseFont.remove_prefix(1);
  // A subset's name starts with six capitals and "+".
  if (baseFont.size() > 7 && baseFont[6] == '+')
    baseFont.remove_prefix(7);
  std::string name = Lower(baseFont);
  std::string_view family = Family(name);
  if (family.empty())
    return nullptr;
  bool bold = Contains(name, "bold") || Contains(name, "black") || Contains(name, "heavy");
  bool italic = Contains(name, "italic") || Contains(name, "oblique");
  std::string wanted(family);
  if (family == "Times") {
    wanted += bold && italic ? "-BoldItalic" : bold ? "-Bold" : italic ? "-Italic" : "-Roman";
  } else if (family == "Courier" || family == "Helvetica") {
    wanted += bold && italic ? "-BoldOblique" : bold ? "-Bold" : italic ? "-Oblique" : "";
  }
  for (size_t i = 0; i < kStandardFontCount; ++i)
    if (wanted == kStandardFonts[i].name)
      return &kStandardFonts[i];
  return nullptr;
}

unsigned StandardWidthOfCharacter(const StandardFontMetrics& font, char16_t character) {
  const CharWidth* end = font.byChar + font.byCharCount;
  const CharWidth* it =
      std::lower_bound(font.byChar, end, character,
                       [](const CharWidth& entry, char16_t c) { return entry.character < c; });
  return it != end && it->character == character ? it->width : 0;
}

unsigned StandardWidthOfCode(const StandardFontMetrics& font, unsigned char code) {
  return font.byCode[code];
}

bool IsSymbolicStandardFont(const StandardFontMetrics& font) {
  std::string_view name = font.name;
  return name == "Symbol" || name == "ZapfDingbats";
}

} // namespace scrivlet::pdf
