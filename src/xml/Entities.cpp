#include "xml/Entities.h"

#include "core/Ascii.h"
#include "core/Utf8.h"

#include <cstdint>

namespace scrivlet {
namespace {

struct Entity {
  std::u16string_view text;
  std::u16string_view replacement;
};

// The order matters: a replacement may form a later entity ("&amp;lt;"
// gives "&lt;", which the "&lt" pass then turns into "<").
constexpr Entity kEntities[] = {
    {u"&brvbar", u"|"},    {u"&deg", u"\u00B0"}, {u"&#176", u"\u00B0"}, {u"&plusmn", u"+"},
    {u"&para", u"\u00B6"}, {u"&amp", u"&"},      {u"&lt", u"<"},        {u"&gt", u">"},
    {u"&copy", u"c"},      {u"&quot", u"\""},    {u"&apos", u"'"},      {u"&trade", u"T"},
    {u"&nbsp", u""},       {u"&car", u"\n"},     {u"&ret", u"\r"},
};

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

} // namespace

// The text is rebuilt in one pass.  Every character goes to the output;
// when the output then ends with the entity, that occurrence is the first
// one of the whole text (nothing before it matched), so it is cut off, a
// ";" right after it skipped, and the replacement fed back in front of the
// rest of the input, where it may form the entity again with the output's
// tail.  Away from a replacement whole stretches up to the next occurrence
// are copied at once.
void ReplaceEntity(std::u16string_view entity, std::u16string_view replacement,
                   std::u16string& text) {
  const size_t first = entity.empty() ? std::u16string::npos : text.find(entity);
  if (first == std::u16string::npos)
    return;
  const size_t length = entity.size();
  // A replacement at least as long as the entity could form it again for
  // ever; such a replacement is made once per occurrence.
  const bool feedBack = replacement.size() < length;
  std::u16string out(text, 0, first);
  out.reserve(text.size());
  std::u16string pending; // replacement characters not yet moved to out
  size_t pendingAt = 0;
  size_t input = first;
  // Characters of the original text at the end of out since the last
  // replacement: once they could hold the start of any occurrence, the rest
  // of the text is searched directly.
  size_t originalTail = length;
  while (true) {
    char16_t c;
    if (pendingAt < pending.size()) {
      c = pending[pendingAt++];
      originalTail = 0;
    } else {
      if (originalTail + 1 >= length) {
        size_t next = text.find(entity, input + 1 >= length ? input + 1 - length : 0);
        // Copy up to the occurrence's last character, which the check below
        // then sees.
        size_t stop = next == std::u16string::npos ? text.size() : next + length - 1;
        out.append(text, input, stop - input);
        input = stop;
      }
      if (input >= text.size())
        break;
      c = text[input++];
      ++originalTail;
    }
    out += c;
    if (out.size() < length || c != entity.back() ||
        std::u16string_view(out).substr(out.size() - length) != entity)
      continue;
    out.resize(out.size() - length);
    if (pendingAt < pending.size()) {
      if (pending[pendingAt] == u';')
        ++pendingAt;
    } else if (input < text.size() && text[input] == u';') {
      ++input;
    }
    if (feedBack) {
      pending = std::u16string(replacement) + pending.substr(pendingAt);
      pendingAt = 0;
    } else {
      out += replacement;
    }
    originalTail = 0;
  }
  text = std::move(out);
}

void DecodeNumericEntities(std::u16string& text) {
  size_t at = text.find(u"&#");
  if (at == std::u16string::npos)
    return;
  std::u16string out(text, 0, at);
  out.reserve(text.size());
  size_t input = at;
  while (at != std::u16string::npos) {
    out.append(text, input, at - input);
    size_t digits = at + 2;
    bool hex = digits < text.size() && (text[digits] == u'x' || text[digits] == u'X');
    if (hex)
      ++digits;
    size_t end = digits;
    while (end < text.size() && (hex ? HexDigitValue(text[end]) >= 0 : IsAsciiDigit(text[end])))
      ++end;
    int64_t value = DigitValue(std::u16string_view(text).substr(digits, end - digits), hex);
    bool valid = (value >= 0 && value <= 0xFFFE) || (value >= 0x10000 && value <= 0x10FFFF);
    if (valid) {
      AppendCodePoint(out, static_cast<uint32_t>(value));
      // The reference takes its ";", and one more ";" right after it goes
      // with it.
      if (end < text.size() && text[end] == u';') {
        ++end;
        if (end < text.size() && text[end] == u';')
          ++end;
      }
      input = end;
    } else {
      out += u"&#"; // no reference: kept, and the scan goes on after it
      input = at + 2;
    }
    at = text.find(u"&#", input);
  }
  out.append(text, input);
  text = std::move(out);
}

void DecodeEntities(std::u16string& text) {
  if (text.find(u'&') == std::u16string::npos)
    return;
  for (const Entity& entity : kEntities)
    ReplaceEntity(entity.text, entity.replacement, text);
  DecodeNumericEntities(text);
}

} // namespace scrivlet
