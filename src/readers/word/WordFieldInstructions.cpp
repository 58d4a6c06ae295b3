#include "readers/word/WordFieldInstructions.h"

#include "core/Ascii.h"
#include "core/CodePage.h"

#include <cstdint>
#include <optional>

namespace scrivlet {
namespace {

constexpr int kSymbolCodePage = 1252, kShiftJisCodePage = 932;
constexpr uint32_t kLastCodePoint = 0x10FFFF;

// The instruction's first word, upper-cased, and where the rest starts.
std::u16string FirstWord(std::u16string_view instruction, size_t& rest) {
  size_t at = 0;
  while (at < instruction.size() && instruction[at] == u' ')
    ++at;
  size_t end = at;
  while (end < instruction.size() && instruction[end] != u' ' && instruction[end] != u'\\')
    ++end;
  rest = end;
  return AsciiUpperCase(std::u16string(instruction.substr(at, end - at)));
}

// A decimal number, or a hexadecimal one after "0x".
std::optional<uint32_t> SymbolNumber(std::u16string_view text) {
  unsigned base = 10;
  if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty() || text.size() > 8)
    return std::nullopt;
  uint32_t number = 0;
  for (char16_t c : text) {
    unsigned digit;
    if (IsAsciiDigit(c))
      digit = c - u'0';
    else if (base == 16 && AsciiLower(c) >= u'a' && AsciiLower(c) <= u'f')
      digit = AsciiLower(c) - u'a' + 10;
    else
      return std::nullopt;
    number = number * base + digit;
  }
  return number;
}

std::u16string CodePointText(uint32_t c) {
  if (c == 0 || c > kLastCodePoint || (c >= 0xD800 && c <= 0xDFFF))
    return {};
  if (c < 0x10000)
    return std::u16string(1, static_cast<char16_t>(c));
  c -= 0x10000;
  return {static_cast<char16_t>(0xD800 + (c >> 10)), static_cast<char16_t>(0xDC00 + (c & 0x3FF))};
}

// SYMBOL n: the character n names, a Unicode code point with \u, a
// Shift-JIS one with \j, else a Windows byte.
std::u16string SymbolText(std::u16string_view instruction) {
  std::vector<std::u16string> arguments = FieldArguments(instruction);
  if (arguments.size() < 2)
    return {};
  std::optional<uint32_t> number = SymbolNumber(arguments[1]);
  if (!number)
    return {};
  char16_t set = u'a';
  for (size_t i = 2; i < arguments.size(); ++i)
    if (arguments[i].size() == 2 && arguments[i][0] == u'\\')
      set = AsciiLower(arguments[i][1]) == u'u' || AsciiLower(arguments[i][1]) == u'j'
                ? AsciiLower(arguments[i][1])
                : set;
  if (set == u'u' || *number > 0xFFFF)
    return CodePointText(*number);
  std::string bytes;
  if (*number > 0xFF)
    bytes += static_cast<char>(*number >> 8);
  bytes += static_cast<char>(*number & 0xFF);
  if (bytes == std::string(1, '\0'))
    return {};
  return AnsiToWide(bytes, set == u'j' ? kShiftJisCodePage : kSymbolCodePage);
}

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t';
}

bool IsLetter(char16_t c) {
  return AsciiLower(c) >= u'a' && AsciiLower(c) <= u'z';
}

// An open (...) of an equation: its arguments so far, and whether it is an
// overstrike (shows its last argument) or a raised or lowered text (shows
// nothing).
struct EquationGroup {
  bool overstrike = false;
  std::vector<std::u16string> arguments{1};
};

// Skips a \* format switch's word or quoted text from at; returns where it
// ends.
size_t SkipFormatSwitch(std::u16string_view text, size_t at) {
  while (at < text.size() && IsBlank(text[at]))
    ++at;
  if (at < text.size() && text[at] == u'"') {
    size_t end = text.find(u'"', at + 1);
    return end == std::u16string_view::npos ? text.size() : end + 1;
  }
  while (at < text.size() && !IsBlank(text[at]) && text[at] != u'\\')
    ++at;
  return at;
}

// After a construct's name: its options (\ad, \up 10, ...) up to the
// opening parenthesis; returns the parenthesis's place, or npos.
size_t SkipOptions(std::u16string_view text, size_t at) {
  while (at < text.size()) {
    char16_t c = text[at];
    if (c == u'(')
      return at;
    if (c == u'\\' && at + 1 < text.size() && IsLetter(text[at + 1])) {
      at += 2;
      while (at < text.size() && IsLetter(text[at]))
        ++at;
    } else if (IsBlank(c) || IsAsciiDigit(c) || c == u'-' || c == u'.') {
      ++at;
    } else {
      return std::u16string_view::npos;
    }
  }
  return std::u16string_view::npos;
}

std::u16string_view TrimBlanks(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

} // namespace

std::vector<std::u16string> FieldArguments(std::u16string_view instruction) {
  std::vector<std::u16string> arguments;
  size_t at = 0;
  while (at < instruction.size()) {
    if (instruction[at] == u' ') {
      ++at;
      continue;
    }
    std::u16string& argument = arguments.emplace_back();
    if (instruction[at] == u'"') {
      size_t end = instruction.find(u'"', at + 1);
      if (end == std::u16string_view::npos)
        end = instruction.size();
      argument = instruction.substr(at + 1, end - at - 1);
      at = end + 1;
      continue;
    }
    size_t end = instruction.find(u' ', at);
    if (end == std::u16string_view::npos)
      end = instruction.size();
    argument = instruction.substr(at, end - at);
    at = end;
  }
  return arguments;
}

std::u16string HyperlinkFieldTarget(std::u16string_view instruction) {
  std::vector<std::u16string> arguments = FieldArguments(instruction);
  if (arguments.empty() || AsciiUpperCase(arguments[0]) != u"HYPERLINK")
    return {};
  std::u16string address, place;
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::u16string& argument = arguments[i];
    if (argument.size() == 2 && argument[0] == u'\\') {
      char16_t name = static_cast<char16_t>(argument[1] | 0x20);
      // \l, \o and \t take an argument; \m and \n none.
      if ((name == u'l' || name == u'o' || name == u't') && i + 1 < arguments.size()) {
        if (name == u'l')
          place = arguments[i + 1];
        ++i;
      }
    } else if (address.empty()) {
      address = argument;
    }
  }
  return place.empty() ? address : address + u"#" + place;
}

std::u16string ShownWithoutResult(std::u16string_view instruction) {
  size_t rest = 0;
  std::u16string name = FirstWord(instruction, rest);
  if (name == u"EQ")
    return EquationBaseText(instruction.substr(rest));
  if (name == u"SYMBOL")
    return SymbolText(instruction);
  return {};
}

// One pass with the open parentheses on a stack of their own.
std::u16string EquationBaseText(std::u16string_view expression) {
  std::vector<EquationGroup> groups(1);
  size_t at = 0;
  while (at < expression.size()) {
    char16_t c = expression[at];
    std::u16string& argument = groups.back().arguments.back();
    if (c == u'\\') {
      if (at + 1 >= expression.size())
        return {};
      char16_t next = expression[at + 1];
      if (next == u'*') {
        at = SkipFormatSwitch(expression, at + 2);
        continue;
      }
      if (!IsLetter(next)) { // an escaped character: \, \( \) \\ ...
        argument += next;
        at += 2;
        continue;
      }
      char16_t name = AsciiLower(next);
      if ((name != u'o' && name != u's') ||
          (at + 2 < expression.size() && IsLetter(expression[at + 2])))
        return {}; // fractions, roots, brackets, lists ...: not told
      size_t open = SkipOptions(expression, at + 2);
      if (open == std::u16string_view::npos)
        return {};
      groups.emplace_back().overstrike = name == u'o';
      at = open + 1;
      continue;
    }
    if (c == u'(')
      return {};
    if (c == u')') {
      if (groups.size() == 1)
        return {};
      EquationGroup group = std::move(groups.back());
      groups.pop_back();
      if (group.overstrike)
        groups.back().arguments.back() += group.arguments.back();
    } else if ((c == u',' || c == u';') && groups.size() > 1) {
      groups.back().arguments.emplace_back();
    } else {
      argument += c;
    }
    ++at;
  }
  if (groups.size() != 1)
    return {};
  return std::u16string(TrimBlanks(groups.front().arguments.front()));
}

} // namespace scrivlet
