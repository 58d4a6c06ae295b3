#include "xml/Entities.h"

#include "core/Ascii.h"
#include "core/Utf8.h"

#include <cstdint>

namespace scrivlet {
namespace {

struct Entity {
  std::u16string_view name;
  std::u16string_view replacement;
};

// The entities documents use beyond XML's five, with "&car" and "&ret" for
// the line breaks some writers encode.
constexpr Entity kEntities[] = {
    {u"amp", u"&"},         {u"lt", u"<"},        {u"gt", u">"},        {u"quot", u"\""},
    {u"apos", u"'"},        {u"nbsp", u"\u00A0"}, {u"copy", u"\u00A9"}, {u"trade", u"\u2122"},
    {u"plusmn", u"\u00B1"}, {u"deg", u"\u00B0"},  {u"para", u"\u00B6"}, {u"brvbar", u"\u00A6"},
    {u"car", u"\n"},        {u"ret", u"\r"},
};
constexpr size_t kLongestName = 6;

// The value of a digit string, or -1 when it is empty or too large to be a
// character.
int64_t DigitValue(std::u16string_view digits, bool hex) {
  if (digits.empty())
    return -1;
  int64_t value = 0;
  for (char16_t c : digits) {
    int digit = HexDigitValue(c);
    value = value * (hex ? 16 : 10) + digit;
    if (value > 0x10FFFF)
      return -1;
  }
  return value;
}

bool IsNameCharacter(char16_t c) {
  return IsAsciiDigit(c) || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// The numeric reference at text[at] ("&#..."): appends its character and
// returns where the text goes on, or 0 when there is none.
size_t DecodeNumeric(std::u16string_view text, size_t at, std::u16string& out) {
  size_t digits = at + 2;
  const bool hex = digits < text.size() && (text[digits] == u'x' || text[digits] == u'X');
  if (hex)
    ++digits;
  size_t end = digits;
  while (end < text.size() && (hex ? HexDigitValue(text[end]) >= 0 : IsAsciiDigit(text[end])))
    ++end;
  const int64_t value = DigitValue(text.substr(digits, end - digits), hex);
  if (!((value >= 0 && value <= 0xFFFE) || (value >= 0x10000 && value <= 0x10FFFF)))
    return 0;
  AppendCodePoint(out, static_cast<uint32_t>(value));
  return end < text.size() && text[end] == u';' ? end + 1 : end;
}

// The named reference at text[at] ("&name"): appends its replacement and
// returns where the text goes on, or 0 when the name is none of the table's.
size_t DecodeNamed(std::u16string_view text, size_t at, std::u16string& out) {
  size_t end = at + 1;
  while (end < text.size() && end - at <= kLongestName + 1 && IsNameCharacter(text[end]))
    ++end;
  const std::u16string_view name = text.substr(at + 1, end - at - 1);
  for (const Entity& entity : kEntities) {
    if (entity.name != name)
      continue;
    out += entity.replacement;
    return end < text.size() && text[end] == u';' ? end + 1 : end;
  }
  return 0;
}

} // namespace

void DecodeEntities(std::u16string& text) {
  size_t at = text.find(u'&');
  if (at == std::u16string::npos)
    return;
  const std::u16string_view input(text);
  std::u16string out(input.substr(0, at));
  out.reserve(text.size());
  while (at < input.size()) {
    const bool numeric = at + 1 < input.size() && input[at + 1] == u'#';
    const size_t next = numeric ? DecodeNumeric(input, at, out) : DecodeNamed(input, at, out);
    if (next == 0) {
      out += u'&'; // no reference: kept as written
      ++at;
    } else {
      at = next;
    }
    const size_t amp = input.find(u'&', at);
    const size_t stop = amp == std::u16string_view::npos ? input.size() : amp;
    out.append(input.substr(at, stop - at));
    at = stop;
  }
  text = std::move(out);
}

} // namespace scrivlet
