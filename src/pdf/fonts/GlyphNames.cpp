#include "pdf/fonts/GlyphNames.h"
#include "core/Ascii.h"
#include "core/Utf8.h"

#include "pdf/fonts/GlyphListTable.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

namespace scrivlet::pdf {
namespace {

// Names TeX's fonts give glyphs that the glyph list lacks (Computer Modern's
// symbol and maths italic fonts), sorted by name.
constexpr std::pair<std::string_view, std::u16string_view> kTexNames[] = {
    {"angbracketleft", u"\x27E8"}, {"angbracketright", u"\x27E9"}, {"bardbl", u"\x2016"},
    {"latticetop", u"\x22A4"},     {"mapsto", u"\x21A6"},          {"negationslash", u"\x0338"},
    {"prime", u"\x2032"},          {"turnstileleft", u"\x22A2"},   {"turnstileright", u"\x22A3"},
};

std::optional<std::u16string_view> FindInGlyphList(std::string_view name) {
  for (const auto& [texName, text] : kTexNames)
    if (texName == name)
      return text;
  const GlyphListEntry* end = kGlyphList + kGlyphListSize;
  const GlyphListEntry* it = std::lower_bound(
      kGlyphList, end, name,
      [](const GlyphListEntry& entry, std::string_view key) { return entry.name < key; });
  if (it == end || it->name != name)
    return std::nullopt;
  return std::u16string_view(it->text);
}

// The hexadecimal value of all of digits, or nothing when one is no digit.
std::optional<uint32_t> HexValue(std::string_view digits) {
  if (digits.empty() || digits.size() > 8)
    return std::nullopt;
  uint32_t value = 0;
  for (char c : digits) {
    int d = HexDigitValue(c);
    if (d < 0)
      return std::nullopt;
    value = value << 4 | static_cast<uint32_t>(d);
  }
  return value;
}

bool IsCharacter(uint32_t cp) {
  return cp >= 0x20 && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF) && cp != 0x7F &&
         !(cp >= 0x80 && cp < 0xA0);
}

// "uni" followed by groups of four hexadecimal digits.
bool AppendUniName(std::string_view digits, std::u16string& text) {
  if (digits.empty() || digits.size() % 4 != 0)
    return false;
  std::u16string parts;
  for (size_t i = 0; i < digits.size(); i += 4) {
    auto value = HexValue(digits.substr(i, 4));
    if (!value || !IsCharacter(*value))
      return false;
    parts += static_cast<char16_t>(*value);
  }
  text += parts;
  return true;
}

bool AppendComponent(std::string_view part, std::u16string& text) {
  if (auto listed = FindInGlyphList(part)) {
    text += *listed;
    return true;
  }
  if (part.size() > 3 && part.substr(0, 3) == "uni" && AppendUniName(part.substr(3), text))
    return true;
  if (part.size() >= 5 && part.size() <= 7 && part[0] == 'u') {
    auto value = HexValue(part.substr(1));
    if (value && IsCharacter(*value)) {
      AppendCodePoint(text, *value);
      return true;
    }
  }
  if (part.size() >= 3 && part.size() <= 5 && (part[0] == 'G' || part[0] == 'g')) {
    auto value = HexValue(part.substr(1));
    if (value && IsCharacter(*value)) {
      AppendCodePoint(text, *value);
      return true;
    }
  }
  return false;
}

} // namespace

std::u16string GlyphNameToText(std::string_view name) {
  if (auto listed = FindInGlyphList(name))
    return std::u16string(*listed);
  std::string_view base = name.substr(0, name.find('.'));
  std::u16string text;
  while (!base.empty()) {
    size_t joint = base.find('_');
    std::string_view part = base.substr(0, joint);
    if (!part.empty() && !AppendComponent(part, text))
      return {};
    if (joint == std::string_view::npos)
      break;
    base.remove_prefix(joint + 1);
  }
  return text;
}

} // namespace scrivlet::pdf
