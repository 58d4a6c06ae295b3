#include "pdf/content/ContentTokenizer.h"
#include "core/Ascii.h"

#include <array>
#include <cstdint>

namespace scrivlet::pdf {
namespace {

enum CharClass : uint8_t { kRegular = 0, kWhite = 1, kDelimiter = 2 };

// The class of every byte, looked up once per byte of the content.
constexpr std::array<uint8_t, 256> MakeClasses() {
  std::array<uint8_t, 256> classes{};
  for (char c : {' ', '\t', '\r', '\n', '\f', '\0'})
    classes[static_cast<uint8_t>(c)] = kWhite;
  for (char c : {'(', ')', '<', '>', '[', ']', '{', '}', '/', '%'})
    classes[static_cast<uint8_t>(c)] = kDelimiter;
  return classes;
}

constexpr std::array<uint8_t, 256> kClasses = MakeClasses();

bool IsWhite(char c) {
  return kClasses[static_cast<uint8_t>(c)] == kWhite;
}
bool IsRegular(char c) {
  return kClasses[static_cast<uint8_t>(c)] == kRegular;
}

bool StartsNumber(std::string_view text) {
  size_t i = 0;
  if (i < text.size() && (text[i] == '-' || text[i] == '+'))
    ++i;
  if (i < text.size() && text[i] == '.')
    ++i;
  return i < text.size() && text[i] >= '0' && text[i] <= '9';
}

// The value of a number token; a malformed tail ("1.2.3", "4-") is ignored.
double NumberValue(std::string_view text) {
  size_t i = 0;
  bool negative = false;
  while (i < text.size() && (text[i] == '-' || text[i] == '+'))
    negative ^= text[i++] == '-';
  double value = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9')
    value = value * 10 + (text[i++] - '0');
  if (i < text.size() && text[i] == '.') {
    ++i;
    double scale = 0.1;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      value += (text[i++] - '0') * scale;
      scale /= 10;
    }
  }
  return negative ? -value : value;
}

} // namespace

void ContentTokenizer::SkipWhiteAndComments() {
  while (FPos < FContent.size()) {
    char c = FContent[FPos];
    if (IsWhite(c)) {
      ++FPos;
    } else if (c == '%') {
      while (FPos < FContent.size() && FContent[FPos] != '\n' && FContent[FPos] != '\r')
        ++FPos;
    } else {
      break;
    }
  }
}

std::string_view ContentTokenizer::ReadRegular() {
  size_t start = FPos;
  while (FPos < FContent.size() && IsRegular(FContent[FPos]))
    ++FPos;
  return FContent.substr(start, FPos - start);
}

void ContentTokenizer::ReadLiteral(std::string& bytes) {
  ++FPos; // "("
  int depth = 1;
  while (FPos < FContent.size()) {
    char c = FContent[FPos++];
    if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (--depth == 0)
        return;
    } else if (c == '\\') {
      if (FPos >= FContent.size())
        return; // a backslash with nothing to escape
      char e = FContent[FPos++];
      switch (e) {
      case 'n': c = '\n'; break;
      case 'r': c = '\r'; break;
      case 't': c = '\t'; break;
      case 'b': c = '\b'; break;
      case 'f': c = '\f'; break;
      case '\r':
        if (FPos < FContent.size() && FContent[FPos] == '\n')
          ++FPos;
        continue;
      case '\n': continue;
      default:
        if (e >= '0' && e <= '7') {
          int code = e - '0';
          for (int digits = 1; digits < 3 && FPos < FContent.size() && FContent[FPos] >= '0' &&
                               FContent[FPos] <= '7';
               ++digits)
            code = code * 8 + (FContent[FPos++] - '0');
          c = static_cast<char>(code & 0xFF);
        } else {
          c = e; // "\(", "\)", "\\" and unknown escapes give the character
        }
      }
    }
    bytes += c;
  }
}

void ContentTokenizer::ReadHex(std::string& bytes) {
  ++FPos; // "<"
  int high = -1;
  while (FPos < FContent.size() && FContent[FPos] != '>') {
    int d = HexDigitValue(FContent[FPos++]);
    if (d < 0)
      continue;
    if (high < 0) {
      high = d;
    } else {
      bytes += static_cast<char>(high << 4 | d);
      high = -1;
    }
  }
  if (high >= 0)
    bytes += static_cast<char>(high << 4);
  if (FPos < FContent.size())
    ++FPos;
}

bool ContentTokenizer::Next(ContentToken& token) {
  SkipWhiteAndComments();
  token.text = {};
  token.bytes.clear();
  token.number = 0;
  if (FPos >= FContent.size()) {
    token.kind = ContentToken::Kind::End;
    return false;
  }
  char c = FContent[FPos];
  char next = FPos + 1 < FContent.size() ? FContent[FPos + 1] : '\0';
  switch (c) {
  case '(':
    token.kind = ContentToken::Kind::String;
    ReadLiteral(token.bytes);
    return true;
  case '<':
    if (next == '<') {
      FPos += 2;
      token.kind = ContentToken::Kind::DictOpen;
    } else {
      token.kind = ContentToken::Kind::String;
      ReadHex(token.bytes);
    }
    return true;
  case '>':
    FPos += next == '>' ? 2 : 1;
    token.kind = ContentToken::Kind::DictClose;
    return true;
  case '[':
    ++FPos;
    token.kind = ContentToken::Kind::ArrayOpen;
    return true;
  case ']':
    ++FPos;
    token.kind = ContentToken::Kind::ArrayClose;
    return true;
  case '/':
    ++FPos;
    token.kind = ContentToken::Kind::Name;
    token.text = ReadRegular();
    return true;
  case ')':
  case '{':
  case '}':
    ++FPos;
    token.kind = ContentToken::Kind::Operand;
    token.text = FContent.substr(FPos - 1, 1);
    return true;
  default: break;
  }
  std::string_view word = ReadRegular();
  if (word.empty()) { // cannot happen for the bytes above; never loop on one
    word = FContent.substr(FPos++, 1);
  }
  token.text = word;
  if (StartsNumber(word)) {
    token.kind = ContentToken::Kind::Number;
    token.number = NumberValue(word);
  } else if (word == "true" || word == "false" || word == "null") {
    token.kind = ContentToken::Kind::Operand;
  } else {
    token.kind = ContentToken::Kind::Operator;
  }
  return true;
}

void ContentTokenizer::SkipInlineImageData() {
  if (FPos < FContent.size() && IsWhite(FContent[FPos]))
    ++FPos; // the one white-space byte after "ID"
  for (size_t at = FContent.find("EI", FPos); at != std::string_view::npos;
       at = FContent.find("EI", at + 1)) {
    bool before = at == FPos || IsWhite(FContent[at - 1]);
    bool after = at + 2 >= FContent.size() || IsWhite(FContent[at + 2]);
    if (before && after) {
      FPos = at + 2;
      return;
    }
  }
  FPos = FContent.size();
}

} // namespace scrivlet::pdf
