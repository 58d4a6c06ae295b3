#include "pdf/ObjectText.h"

#include <climits>

namespace scrivlet::pdf {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

char LowerChar(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

size_t SkipWhiteSpace(std::string_view text, size_t pos) {
  while (pos < text.size() && IsWhiteSpace(text[pos]))
    ++pos;
  return pos;
}

// Position after the literal string that starts at `pos` with "(":
// parentheses nest, a backslash escapes the next byte.  Unterminated: end.
size_t SkipLiteralString(std::string_view text, size_t pos) {
  int depth = 0;
  for (size_t i = pos; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\\')
      ++i;
    else if (c == '(')
      ++depth;
    else if (c == ')' && --depth == 0)
      return i + 1;
  }
  return text.size();
}

// Position after the hexadecimal string that starts at `pos` with "<".
size_t SkipHexString(std::string_view text, size_t pos) {
  size_t end = text.find('>', pos + 1);
  return end == std::string_view::npos ? text.size() : end + 1;
}

// Position of the line end after a comment that starts at `pos` with "%".
size_t SkipComment(std::string_view text, size_t pos) {
  size_t end = text.find_first_of("\r\n", pos);
  return end == std::string_view::npos ? text.size() : end;
}

bool StartsWith(std::string_view text, size_t pos, std::string_view what) {
  return text.size() - pos >= what.size() && text.substr(pos, what.size()) == what;
}

bool MatchesKeyAt(std::string_view text, size_t pos, std::string_view key) {
  if (text.size() - pos < key.size())
    return false;
  for (size_t k = 0; k < key.size(); ++k)
    if (LowerChar(text[pos + k]) != LowerChar(key[k]))
      return false;
  size_t after = pos + key.size();
  return after == text.size() || IsWhiteSpace(text[after]) || IsDelimiter(text[after]);
}

// The keyword "stream" that starts stream data: after a dictionary's ">>"
// (and white space), followed by a line end or white space.
bool IsStreamKeywordAt(std::string_view text, size_t pos) {
  if (!StartsWith(text, pos, "stream"))
    return false;
  size_t after = pos + 6;
  if (after < text.size() && !IsWhiteSpace(text[after]))
    return false;
  size_t before = pos;
  while (before > 0 && IsWhiteSpace(text[before - 1]))
    --before;
  return before >= 2 && text[before - 1] == '>' && text[before - 2] == '>';
}

// Position after the balanced array or dictionary inside that starts at
// `pos` (just after its opening mark); `close` is "]" or ">>".
size_t SkipBalanced(std::string_view text, size_t pos) {
  int depth = 1;
  size_t i = pos;
  while (i < text.size()) {
    char c = text[i];
    if (c == '(') {
      i = SkipLiteralString(text, i);
      continue;
    }
    if (c == '<') {
      if (i + 1 < text.size() && text[i + 1] == '<') {
        ++depth;
        i += 2;
      } else {
        i = SkipHexString(text, i);
      }
      continue;
    }
    if (c == '>' && i + 1 < text.size() && text[i + 1] == '>') {
      if (--depth == 0)
        return i;
      i += 2;
      continue;
    }
    if (c == '%') {
      i = SkipComment(text, i);
      continue;
    }
    if (c == '[')
      ++depth;
    else if (c == ']' && --depth == 0)
      return i;
    ++i;
  }
  return text.size();
}

std::string_view TextAfterKey(std::string_view key, std::string_view text, bool& found) {
  found = true;
  if (key.empty())
    return text;
  size_t pos = FindKey(text, key);
  if (pos == std::string_view::npos) {
    found = false;
    return {};
  }
  return text.substr(pos + key.size());
}

void AppendHexBytes(std::string& out, std::string_view hex, bool escape) {
  int high = -1;
  auto put = [&](int value) {
    char byte = static_cast<char>(value);
    if (escape && (byte == '(' || byte == ')' || byte == '\\'))
      out += '\\';
    out += byte;
  };
  for (char c : hex) {
    int digit = HexDigit(c);
    if (digit < 0)
      continue; // white space and stray bytes
    if (high < 0) {
      high = digit;
    } else {
      put(high << 4 | digit);
      high = -1;
    }
  }
  if (high >= 0)
    put(high << 4);
}

// The contents of the literal string at `pos` (without its parentheses,
// escapes still in place); `end` receives the position after it.
std::string_view LiteralContents(std::string_view text, size_t pos, size_t& end) {
  end = SkipLiteralString(text, pos);
  size_t stop = end;
  if (stop > pos + 1 && text[stop - 1] == ')')
    --stop;
  return text.substr(pos + 1, stop - pos - 1);
}

} // namespace

bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

bool IsDelimiter(char c) {
  switch (c) {
  case '(':
  case ')':
  case '<':
  case '>':
  case '[':
  case ']':
  case '{':
  case '}':
  case '/':
  case '%': return true;
  default: return false;
  }
}

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    c = LowerChar(c);
  return lower;
}

bool NameIs(std::string_view value, std::string_view name) {
  if (value.size() != name.size())
    return false;
  for (size_t i = 0; i < value.size(); ++i)
    if (LowerChar(value[i]) != LowerChar(name[i]))
      return false;
  return true;
}

std::string_view Trim(std::string_view text) {
  size_t begin = SkipWhiteSpace(text, 0);
  size_t end = text.size();
  while (end > begin && IsWhiteSpace(text[end - 1]))
    --end;
  return text.substr(begin, end - begin);
}

int64_t ToInteger(std::string_view value, int64_t fallback) {
  value = Trim(value);
  size_t pos = 0;
  bool negative = false;
  if (pos < value.size() && (value[pos] == '-' || value[pos] == '+'))
    negative = value[pos++] == '-';
  if (pos >= value.size() || !IsDigit(value[pos]))
    return fallback;
  int64_t result = 0;
  for (; pos < value.size() && IsDigit(value[pos]); ++pos) {
    if (result > (INT64_MAX - 9) / 10)
      return fallback;
    result = result * 10 + (value[pos] - '0');
  }
  return negative ? -result : result;
}

size_t FindKey(std::string_view text, std::string_view key) {
  if (key.empty())
    return std::string_view::npos;
  size_t best = std::string_view::npos;
  int bestDepth = INT_MAX;
  int depth = 0;
  size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    switch (c) {
    case '(': i = SkipLiteralString(text, i); continue;
    case '<':
      if (i + 1 < text.size() && text[i + 1] == '<') {
        ++depth;
        i += 2;
      } else {
        i = SkipHexString(text, i);
      }
      continue;
    case '>':
      if (i + 1 < text.size() && text[i + 1] == '>') {
        --depth;
        i += 2;
        continue;
      }
      break;
    case '%': i = SkipComment(text, i); continue;
    case '[': ++depth; break;
    case ']': --depth; break;
    case '/':
      if (depth < bestDepth && MatchesKeyAt(text, i, key)) {
        best = i;
        bestDepth = depth;
      }
      ++i;
      while (i < text.size() && !IsWhiteSpace(text[i]) && !IsDelimiter(text[i]))
        ++i;
      continue;
    case 's':
      if (IsStreamKeywordAt(text, i))
        return best;
      break;
    default: break;
    }
    ++i;
  }
  return best;
}

bool HasKey(std::string_view text, std::string_view key) {
  return FindKey(text, key) != std::string_view::npos;
}

std::string_view CutValue(std::string_view text) {
  size_t i = 0;
  if (!text.empty() && text[0] == '(')
    i = SkipLiteralString(text, 0);
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (IsWhiteSpace(c) || c == '/' || c == ']')
      break;
    if ((c == '<' || c == '>') && i + 1 < text.size() && text[i + 1] == c)
      break;
    if (c == '(' || c == '[')
      break;
    if (i > 0 && c == '<')
      break;
  }
  if (i == 0 && !text.empty() && text[0] == '/') {
    // A name: its "/" and the characters up to the next delimiter.
    i = 1;
    while (i < text.size() && !IsWhiteSpace(text[i]) && !IsDelimiter(text[i]))
      ++i;
  }
  return text.substr(0, i);
}

std::string_view GetKeyValue(std::string_view key, std::string_view text) {
  bool found = false;
  std::string_view rest = TextAfterKey(key, text, found);
  if (!found || key.empty())
    return rest;
  size_t pos = SkipWhiteSpace(rest, 0);
  if (pos < rest.size() && rest[pos] == '[')
    pos = SkipWhiteSpace(rest, pos + 1);
  // Leading zeros of a number ("007" gives "7"; "0" stays "0").
  while (pos + 1 < rest.size() && rest[pos] == '0' && IsDigit(rest[pos + 1]))
    ++pos;
  return CutValue(rest.substr(pos));
}

std::string_view GetKeyList(std::string_view key, std::string_view text) {
  bool found = false;
  std::string_view rest = TextAfterKey(key, text, found);
  if (!found || key.empty())
    return rest;
  size_t pos = SkipWhiteSpace(rest, 0);
  if (pos < rest.size() && rest[pos] == '[') {
    size_t end = SkipBalanced(rest, pos + 1);
    return rest.substr(pos + 1, end - pos - 1);
  }
  // Up to the next name or the end of the dictionary.
  size_t end = pos;
  while (end < rest.size()) {
    char c = rest[end];
    if (c == '/' || (c == '>' && end + 1 < rest.size() && rest[end + 1] == '>'))
      break;
    if (c == '(') {
      end = SkipLiteralString(rest, end);
      continue;
    }
    ++end;
  }
  return rest.substr(0, end);
}

std::optional<std::string_view> DictionaryAt(std::string_view text) {
  size_t pos = SkipWhiteSpace(text, 0);
  if (!StartsWith(text, pos, "<<"))
    return std::nullopt;
  size_t end = SkipBalanced(text, pos + 2);
  return text.substr(pos + 2, end - pos - 2);
}

std::string_view FirstDictionary(std::string_view objectText) {
  if (auto dictionary = DictionaryAt(objectText))
    return *dictionary;
  // After an "N G obj" header.
  size_t obj = objectText.substr(0, 32).find("obj");
  if (obj == std::string_view::npos)
    return {};
  return DictionaryAt(objectText.substr(obj + 3)).value_or(std::string_view());
}

std::string_view GetDictValue(std::string_view key, std::string_view text,
                              const ObjectResolver* resolver) {
  bool found = false;
  std::string_view rest = TextAfterKey(key, text, found);
  if (!found)
    return {};
  if (auto inlineDictionary = DictionaryAt(rest))
    return *inlineDictionary;
  // References to references are followed a few steps, no further.
  for (int step = 0; resolver && step < 8; ++step) {
    std::optional<ObjectRef> ref = ReferenceAt(rest);
    if (!ref)
      return {};
    std::string_view target = resolver->ObjectText(ref->Number);
    std::string_view dictionary = FirstDictionary(target);
    if (!dictionary.empty() || target.empty())
      return dictionary;
    // An object whose whole body is another reference.
    size_t obj = target.find("obj");
    rest = obj == std::string_view::npos ? target : target.substr(obj + 3);
  }
  return {};
}

std::optional<ObjectRef> ReferenceAt(std::string_view text) {
  size_t pos = SkipWhiteSpace(text, 0);
  size_t numberBegin = pos;
  while (pos < text.size() && IsDigit(text[pos]))
    ++pos;
  if (pos == numberBegin || pos - numberBegin > 10 || pos >= text.size() ||
      !IsWhiteSpace(text[pos]))
    return std::nullopt;
  int64_t number = ToInteger(text.substr(numberBegin, pos - numberBegin), -1);
  pos = SkipWhiteSpace(text, pos);
  size_t generationBegin = pos;
  while (pos < text.size() && IsDigit(text[pos]))
    ++pos;
  if (pos == generationBegin || pos - generationBegin > 5)
    return std::nullopt;
  int64_t generation = ToInteger(text.substr(generationBegin, pos - generationBegin), -1);
  pos = SkipWhiteSpace(text, pos);
  if (pos >= text.size() || (text[pos] != 'R' && text[pos] != 'r'))
    return std::nullopt;
  ++pos;
  if (pos < text.size() && !IsWhiteSpace(text[pos]) && !IsDelimiter(text[pos]))
    return std::nullopt;
  if (number < 0 || number > UINT32_MAX || generation < 0 || generation > 65535)
    return std::nullopt;
  return ObjectRef{static_cast<uint32_t>(number), static_cast<uint16_t>(generation)};
}

std::optional<ObjectRef> TakeReference(std::string_view& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '/')
      return std::nullopt;
    if (!IsDigit(c) || (i > 0 && (IsDigit(text[i - 1]) || text[i - 1] == '.')))
      continue;
    std::string_view candidate = text.substr(i);
    if (auto ref = ReferenceAt(candidate)) {
      // Consume through the "R".
      size_t r = candidate.find_first_of("Rr");
      text = candidate.substr(r + 1);
      return ref;
    }
  }
  return std::nullopt;
}

std::optional<ObjectRef> GetKeyReference(std::string_view key, std::string_view text) {
  bool found = false;
  std::string_view rest = TextAfterKey(key, text, found);
  if (!found)
    return std::nullopt;
  return ReferenceAt(rest);
}

std::string_view TakeName(std::string_view& text) {
  size_t slash = text.find('/');
  if (slash == std::string_view::npos) {
    text = {};
    return {};
  }
  size_t end = slash + 1;
  while (end < text.size() && !IsWhiteSpace(text[end]) && !IsDelimiter(text[end]))
    ++end;
  std::string_view name = text.substr(slash, end - slash);
  text = text.substr(end);
  return name;
}

std::optional<std::string> DecodeStringToken(std::string_view text, size_t* length) {
  size_t pos = SkipWhiteSpace(text, 0);
  if (pos >= text.size())
    return std::nullopt;
  if (text[pos] == '(') {
    size_t end = 0;
    std::string_view contents = LiteralContents(text, pos, end);
    if (length)
      *length = end;
    return ResolveEscapes(contents);
  }
  if (text[pos] == '<' && !StartsWith(text, pos, "<<")) {
    size_t end = SkipHexString(text, pos);
    size_t stop = end > pos + 1 && text[end - 1] == '>' ? end - 1 : end;
    std::string bytes;
    AppendHexBytes(bytes, text.substr(pos + 1, stop - pos - 1), false);
    if (length)
      *length = end;
    return bytes;
  }
  return std::nullopt;
}

std::string HexStringsToLiteral(std::string_view text, bool escape) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == '(') {
      size_t end = SkipLiteralString(text, i);
      out.append(text.substr(i, end - i));
      i = end;
      continue;
    }
    if (c == '<') {
      if (i + 1 < text.size() && text[i + 1] == '<') {
        out += "<<";
        i += 2;
        continue;
      }
      size_t end = SkipHexString(text, i);
      size_t stop = end > i + 1 && text[end - 1] == '>' ? end - 1 : end;
      out += '(';
      AppendHexBytes(out, text.substr(i + 1, stop - i - 1), escape);
      out += ')';
      i = end;
      continue;
    }
    out += c;
    ++i;
  }
  return out;
}

std::string ResolveEscapes(std::string_view text,
                           const std::function<std::string(uint8_t)>& mapCode) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '\\' || i + 1 >= text.size()) {
      out += c;
      continue;
    }
    char next = text[i + 1];
    if (next >= '0' && next <= '7') {
      int code = 0;
      size_t digits = 0;
      while (digits < 3 && i + 1 + digits < text.size() && text[i + 1 + digits] >= '0' &&
             text[i + 1 + digits] <= '7') {
        code = code * 8 + (text[i + 1 + digits] - '0');
        ++digits;
      }
      uint8_t byte = static_cast<uint8_t>(code & 0xFF);
      if (mapCode)
        out += mapCode(byte);
      else
        out += static_cast<char>(byte);
      i += digits;
      continue;
    }
    ++i;
    switch (next) {
    case 'n': out += '\n'; break;
    case 'r': out += '\r'; break;
    case 't': out += '\t'; break;
    case 'b': out += '\b'; break;
    case 'f': out += '\f'; break;
    case '(': out += '('; break;
    case ')': out += ')'; break;
    case '\\': out += '\\'; break;
    case '\r':
      // A line continuation: the backslash and the line end vanish.
      if (i + 1 < text.size() && text[i + 1] == '\n')
        ++i;
      break;
    case '\n': break;
    default:
      out += '\\';
      out += next;
      break;
    }
  }
  return out;
}

std::string GetStringValue(std::string_view key, std::string_view text, bool extract, bool hex) {
  bool found = false;
  std::string_view rest = TextAfterKey(key, text, found);
  if (!found)
    return {};
  size_t pos = SkipWhiteSpace(rest, 0);
  rest = rest.substr(pos);
  if (rest.empty())
    return {};
  // The raw value: a string, an array, or a plain value.
  std::string_view raw;
  if (rest[0] == '(') {
    raw = rest.substr(0, SkipLiteralString(rest, 0));
  } else if (rest[0] == '<' && !StartsWith(rest, 0, "<<")) {
    raw = rest.substr(0, SkipHexString(rest, 0));
  } else if (rest[0] == '[') {
    size_t end = SkipBalanced(rest, 1);
    raw = rest.substr(0, std::min(end + 1, rest.size()));
  } else {
    raw = CutValue(rest);
  }
  if (!extract) {
    std::string value =
        hex || raw.starts_with("<") ? HexStringsToLiteral(raw, true) : std::string(raw);
    return ResolveEscapes(value);
  }
  // The bytes of every string in the value, joined.
  std::string bytes;
  size_t i = 0;
  while (i < raw.size()) {
    char c = raw[i];
    if (c == '(' || (c == '<' && !StartsWith(raw, i, "<<"))) {
      size_t length = 0;
      if (auto decoded = DecodeStringToken(raw.substr(i), &length)) {
        bytes += *decoded;
        i += length;
        continue;
      }
    }
    ++i;
  }
  return bytes;
}

void TrimSide(std::string& text, bool left) {
  if (left) {
    size_t pos = 0;
    while (pos + 1 < text.size() && IsWhiteSpace(text[pos]))
      ++pos;
    text.erase(0, pos);
  } else {
    size_t end = text.size();
    while (end > 0 && IsWhiteSpace(text[end - 1]))
      --end;
    text.resize(end);
  }
}

namespace {

std::string NormaliseSection(std::string_view section) {
  std::string out;
  int hexGroups = 0;
  for (char c : section) {
    if (c == '\r' || c == '\n')
      continue;
    if (c == ' ' && hexGroups != 1)
      continue;
    if (c == '<') {
      if (!out.empty() && out.back() == '>')
        out += "\r\n";
      ++hexGroups;
    }
    out += c;
    if (c == '>' && hexGroups >= 2)
      hexGroups = 0;
    if (c == ']')
      out += "\r\n";
  }
  return out;
}

} // namespace

std::string ExtractSections(std::string_view text, std::string_view beginMark,
                            std::string_view endMark, bool repeat) {
  std::string result;
  size_t from = 0;
  while (from <= text.size()) {
    size_t begin = text.find(beginMark, from);
    if (begin == std::string_view::npos || beginMark.empty())
      break;
    begin += beginMark.size();
    while (begin < text.size() && (text[begin] == '\r' || text[begin] == '\n'))
      ++begin;
    size_t end = endMark.empty() ? std::string_view::npos : text.find(endMark, begin);
    std::string_view section =
        text.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin);
    if (!result.empty() && !result.ends_with("\r\n"))
      result += "\r\n";
    result += NormaliseSection(section);
    if (!repeat || end == std::string_view::npos)
      break;
    from = end + endMark.size();
  }
  return result;
}

} // namespace scrivlet::pdf
