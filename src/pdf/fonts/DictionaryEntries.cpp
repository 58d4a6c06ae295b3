#include "pdf/fonts/DictionaryEntries.h"

namespace scrivlet::pdf {
namespace {

bool IsWhite(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\0';
}

bool IsDelimiterByte(char c) {
  return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' ||
         c == '}' || c == '/' || c == '%';
}

size_t SkipWhite(std::string_view text, size_t pos) {
  while (pos < text.size() && IsWhite(text[pos]))
    ++pos;
  return pos;
}

size_t SkipName(std::string_view text, size_t pos) {
  ++pos;
  while (pos < text.size() && !IsWhite(text[pos]) && !IsDelimiterByte(text[pos]))
    ++pos;
  return pos;
}

size_t SkipLiteral(std::string_view text, size_t pos) {
  int depth = 0;
  while (pos < text.size()) {
    char c = text[pos++];
    if (c == '\\')
      ++pos;
    else if (c == '(')
      ++depth;
    else if (c == ')' && --depth == 0)
      break;
  }
  return std::min(pos, text.size());
}

// Past a nested dictionary or array starting at pos, strings inside
// skipped; an unterminated one runs to the end.
size_t SkipNested(std::string_view text, size_t pos) {
  int depth = 0;
  while (pos < text.size()) {
    char c = text[pos];
    if (c == '(') {
      pos = SkipLiteral(text, pos);
      continue;
    }
    if (c == '<' && pos + 1 < text.size() && text[pos + 1] == '<') {
      ++depth;
      pos += 2;
    } else if (c == '>' && pos + 1 < text.size() && text[pos + 1] == '>') {
      pos += 2;
      if (--depth == 0)
        return pos;
    } else if (c == '<') {
      size_t close = text.find('>', pos);
      pos = close == std::string_view::npos ? text.size() : close + 1;
    } else if (c == '[') {
      ++depth;
      ++pos;
    } else if (c == ']') {
      ++pos;
      if (--depth == 0)
        return pos;
    } else {
      ++pos;
    }
  }
  return pos;
}

// Past a value starting at pos.
size_t SkipValue(std::string_view text, size_t pos) {
  if (pos >= text.size())
    return pos;
  char c = text[pos];
  if (c == '/')
    return SkipName(text, pos);
  if (c == '(')
    return SkipLiteral(text, pos);
  if (c == '[' || (c == '<' && pos + 1 < text.size() && text[pos + 1] == '<'))
    return SkipNested(text, pos);
  if (c == '<') {
    size_t close = text.find('>', pos);
    return close == std::string_view::npos ? text.size() : close + 1;
  }
  // Numbers, references and keywords: up to the next delimiter.
  while (pos < text.size() && text[pos] != '/' && text[pos] != '<' && text[pos] != '>' &&
         text[pos] != '[' && text[pos] != '(' && text[pos] != ']')
    ++pos;
  return pos;
}

std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && IsWhite(text.back()))
    text.remove_suffix(1);
  return text;
}

} // namespace

void ForEachEntry(std::string_view dictionary,
                  const std::function<bool(std::string_view, std::string_view)>& visit) {
  size_t pos = 0;
  while (true) {
    pos = SkipWhite(dictionary, pos);
    if (pos >= dictionary.size())
      return;
    if (dictionary[pos] != '/') { // damage: step over the stray value
      size_t next = SkipValue(dictionary, pos);
      pos = next > pos ? next : pos + 1;
      continue;
    }
    size_t keyEnd = SkipName(dictionary, pos);
    std::string_view key = dictionary.substr(pos + 1, keyEnd - pos - 1);
    size_t valueStart = SkipWhite(dictionary, keyEnd);
    size_t valueEnd = SkipValue(dictionary, valueStart);
    if (!visit(key, TrimRight(dictionary.substr(valueStart, valueEnd - valueStart))))
      return;
    pos = valueEnd > keyEnd ? valueEnd : keyEnd;
  }
}

std::optional<std::string_view> EntryValue(std::string_view dictionary, std::string_view key) {
  std::optional<std::string_view> found;
  ForEachEntry(dictionary, [&](std::string_view k, std::string_view value) {
    if (k != key)
      return true;
    found = value;
    return false;
  });
  return found;
}

} // namespace scrivlet::pdf
