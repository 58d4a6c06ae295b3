#include "core/TextHelpers.h"

#include "core/CodePage.h"
#include "core/Stream.h"

#include <charconv>
#include <optional>

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

bool IsDigit(char16_t c, bool hex) {
  return (c >= u'0' && c <= u'9') ||
         (hex && ((c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F')));
}

// The value of a digit string, or -1 when it is empty or too large to be a
// character.
int64_t DigitValue(std::u16string_view digits, bool hex) {
  if (digits.empty())
    return -1;
  int64_t value = 0;
  for (char16_t c : digits) {
    int digit = c <= u'9' ? c - u'0' : (c | 0x20) - u'a' + 10;
    value = value * (hex ? 16 : 10) + digit;
    if (value > 0x10FFFF)
      return -1;
  }
  return value;
}

void AppendCodePoint(std::u16string& out, uint32_t c) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 | c >> 10);
    out += static_cast<char16_t>(0xDC00 | (c & 0x3FF));
  }
}

// A whole number of optional sign and decimal digits.
std::optional<int> FieldValue(std::u16string_view field) {
  std::string ascii;
  for (char16_t c : field) {
    if (c > 0x7F)
      return std::nullopt;
    ascii += static_cast<char>(c);
  }
  std::string_view digits = ascii;
  if (!digits.empty() && digits.front() == '+')
    digits.remove_prefix(1);
  int value = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
    return std::nullopt;
  return value;
}

std::u16string_view Field(std::u16string_view text, size_t start, size_t length) {
  return start < text.size() ? text.substr(start, length) : std::u16string_view();
}

char16_t FoldCase(char16_t c) {
  if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
    return static_cast<char16_t>(c + 0x20);
  if (c >= 0x410 && c <= 0x42F)
    return static_cast<char16_t>(c + 0x20);
  if (c >= 0x400 && c <= 0x40F)
    return static_cast<char16_t>(c + 0x50);
  return c;
}

} // namespace

int64_t Utf8ToWide(char16_t* dest, size_t maxDestChars, const char* source, size_t sourceBytes) {
  if (source == nullptr)
    return 0;
  std::string_view bytes(source, sourceBytes);
  if (dest == nullptr)
    return static_cast<int64_t>(Utf8ToUtf16(bytes).size()) + 1;
  if (maxDestChars == 0)
    return 0;
  size_t written = DecodeUtf8(bytes, dest, maxDestChars - 1);
  dest[written] = u'\0';
  return static_cast<int64_t>(written) + 1;
}

std::u16string DecodeUtf8Text(std::string_view bytes) {
  return Utf8ToUtf16(bytes);
}

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
    while (end < text.size() && IsDigit(text[end], hex))
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

OleDate XmlDateToDateTime(std::u16string_view text) {
  if (text.empty())
    return 0;
  auto year = FieldValue(Field(text, 0, 4)), month = FieldValue(Field(text, 5, 2)),
       day = FieldValue(Field(text, 8, 2)), hour = FieldValue(Field(text, 11, 2)),
       minute = FieldValue(Field(text, 14, 2)), second = FieldValue(Field(text, 17, 2));
  if (!year || !month || !day || !hour || !minute || !second)
    return 0;
  OleDate value = 0;
  if (!TryEncodeDateTime({*year, *month, *day, *hour, *minute, *second, 0}, value))
    return 0;
  return value;
}

double DotStrToFloat(std::u16string_view text, double defaultValue) {
  std::string ascii;
  for (char16_t c : text) {
    if (c > 0x7F)
      return defaultValue;
    ascii += static_cast<char>(c);
  }
  size_t i = 0;
  while (i < ascii.size() && ascii[i] == ' ')
    ++i;
  std::string_view number = std::string_view(ascii).substr(i);
  if (!number.empty() && number.front() == '+') {
    number.remove_prefix(1);
    if (!number.empty() && number.front() == '-')
      return defaultValue;
  }
  // Only sign, digits, ".", digits and exponent: from_chars would also take
  // "inf", "nan" and hexadecimal forms.
  if (number.empty() || number.find_first_of("nNiIxXpP") != std::string_view::npos)
    return defaultValue;
  double value = 0;
  auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value,
                                      std::chars_format::general);
  if (error != std::errc() || end != number.data() + number.size())
    return defaultValue;
  return value;
}

bool IsZipFile(const std::u16string& fileName) {
  FileStream file(WideToAnsi(fileName));
  char head[8];
  size_t n = file.Read(head, sizeof head);
  return n >= 4 && head[0] == 'P' && head[1] == 'K' && head[2] == '\x03' && head[3] == '\x04';
}

bool SameNameText(bool caseSensitive, std::u16string_view a, std::u16string_view b) {
  if (caseSensitive || a.size() != b.size())
    return a == b;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldCase(a[i]) != FoldCase(b[i]))
      return false;
  return true;
}

} // namespace scrivlet
