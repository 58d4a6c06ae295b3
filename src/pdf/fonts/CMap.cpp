#include "pdf/fonts/CMap.h"
#include "core/Ascii.h"

#include "pdf/fonts/GlyphNames.h"

#include <algorithm>

namespace scrivlet::pdf {
namespace {

bool IsWhite(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\0';
}

bool IsDelimiter(char c) {
  return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' ||
         c == '}' || c == '/' || c == '%';
}

struct Token {
  enum Kind { End, Hex, Name, Number, Keyword, ArrayOpen, ArrayClose, Other } kind = End;
  std::string text; // bytes of a hexadecimal string, name without "/", keyword
  uint32_t number = 0;
};

// The few PostScript tokens a CMap uses.
class CMapLexer {
public:
  explicit CMapLexer(std::string_view text) : FText(text) {}

  Token Next() {
    SkipWhiteAndComments();
    Token token;
    if (FPos >= FText.size())
      return token;
    char c = FText[FPos];
    if (c == '<' && FPos + 1 < FText.size() && FText[FPos + 1] == '<') {
      FPos += 2;
      token.kind = Token::Other;
    } else if (c == '>' && FPos + 1 < FText.size() && FText[FPos + 1] == '>') {
      FPos += 2;
      token.kind = Token::Other;
    } else if (c == '<') {
      ReadHex(token);
    } else if (c == '[') {
      ++FPos;
      token.kind = Token::ArrayOpen;
    } else if (c == ']') {
      ++FPos;
      token.kind = Token::ArrayClose;
    } else if (c == '(') {
      SkipLiteral();
      token.kind = Token::Other;
    } else if (c == '/') {
      ++FPos;
      token.kind = Token::Name;
      token.text = ReadRegular();
    } else if (IsDelimiter(c)) {
      ++FPos;
      token.kind = Token::Other;
    } else {
      token.text = ReadRegular();
      token.kind = Token::Keyword;
      if (!token.text.empty() && std::all_of(token.text.begin(), token.text.end(),
                                             [](char d) { return d >= '0' && d <= '9'; })) {
        token.kind = Token::Number;
        token.number = static_cast<uint32_t>(
            std::min<unsigned long long>(std::stoull(token.text.substr(0, 10)), 0xFFFFFFFFull));
      }
    }
    return token;
  }

private:
  void SkipWhiteAndComments() {
    while (FPos < FText.size()) {
      if (IsWhite(FText[FPos])) {
        ++FPos;
      } else if (FText[FPos] == '%') {
        while (FPos < FText.size() && FText[FPos] != '\n' && FText[FPos] != '\r')
          ++FPos;
      } else {
        break;
      }
    }
  }

  std::string ReadRegular() {
    size_t start = FPos;
    while (FPos < FText.size() && !IsWhite(FText[FPos]) && !IsDelimiter(FText[FPos]))
      ++FPos;
    if (FPos == start) // a lone delimiter such as "}" or ")"
      ++FPos;
    return std::string(FText.substr(start, FPos - start));
  }

  void ReadHex(Token& token) {
    ++FPos;
    token.kind = Token::Hex;
    int high = -1;
    while (FPos < FText.size() && FText[FPos] != '>') {
      int d = HexDigitValue(FText[FPos++]);
      if (d < 0)
        continue;
      if (high < 0) {
        high = d;
      } else {
        token.text += static_cast<char>(high << 4 | d);
        high = -1;
      }
    }
    if (high >= 0)
      token.text += static_cast<char>(high << 4);
    if (FPos < FText.size())
      ++FPos;
  }

  void SkipLiteral() {
    int depth = 0;
    while (FPos < FText.size()) {
      char c = FText[FPos++];
      if (c == '\\')
        ++FPos;
      else if (c == '(')
        ++depth;
      else if (c == ')' && --depth == 0)
        break;
    }
  }

  std::string_view FText;
  size_t FPos = 0;
};

uint32_t BytesValue(std::string_view bytes) {
  uint32_t value = 0;
  for (size_t i = 0; i < bytes.size() && i < 4; ++i)
    value = value << 8 | static_cast<unsigned char>(bytes[i]);
  return value;
}

std::u16string Utf16BeText(std::string_view bytes) {
  std::u16string text;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) << 8 |
                                  static_cast<unsigned char>(bytes[i + 1]));
  if (bytes.size() == 1) // a one-byte destination is a Latin-1 character
    text += static_cast<char16_t>(static_cast<unsigned char>(bytes[0]));
  return text;
}

// The text of code number k of a range starting at start: the last unit
// counts up (a surrogate pair's low unit included).
std::u16string OffsetText(const std::u16string& start, uint32_t k) {
  std::u16string text = start;
  if (!text.empty())
    text.back() = static_cast<char16_t>(text.back() + k);
  return text;
}

} // namespace

// Reads the sections of a CMap into its tables.
class CMapParser {
public:
  CMapParser(std::string_view text, CMap& map) : FLexer(text), FMap(map) {}

  void Run() {
    std::vector<Token> operands;
    for (Token token = FLexer.Next(); token.kind != Token::End; token = FLexer.Next()) {
      if (token.kind != Token::Keyword) {
        if (operands.size() > 8)
          operands.erase(operands.begin());
        operands.push_back(std::move(token));
        continue;
      }
      const std::string& word = token.text;
      if (word == "begincodespacerange")
        ReadCodeSpace();
      else if (word == "beginbfchar")
        ReadBfChar();
      else if (word == "beginbfrange")
        ReadBfRange();
      else if (word == "begincidchar")
        ReadCidChar();
      else if (word == "begincidrange")
        ReadCidRange();
      else if (word == "usecmap" && !operands.empty() && operands.back().kind == Token::Name)
        FMap.FUseCMap = operands.back().text;
      operands.clear();
    }
  }

private:
  // Reads the entries of a section up to its end keyword: groups of count
  // tokens (arrays read whole into one token list); returns false at the end.
  bool NextEntry(size_t count, std::vector<Token>& entry, std::vector<Token>* array = nullptr) {
    entry.clear();
    while (entry.size() < count) {
      Token token = FLexer.Next();
      if (token.kind == Token::End || token.kind == Token::Keyword)
        return false;
      if (token.kind == Token::ArrayOpen) {
        ReadArray(array, RangeSize(entry));
        token.kind = Token::ArrayOpen;
      }
      entry.push_back(std::move(token));
    }
    return true;
  }

  // The codes of the range that the entry's first two tokens give (0 when
  // they give none): an array after them has no use for more elements.
  static uint64_t RangeSize(const std::vector<Token>& entry) {
    if (entry.size() != 2 || entry[0].kind != Token::Hex || entry[1].kind != Token::Hex ||
        entry[0].text.empty() || entry[0].text.size() > 4 ||
        entry[0].text.size() != entry[1].text.size())
      return 0;
    const uint32_t low = BytesValue(entry[0].text), high = BytesValue(entry[1].text);
    return high < low ? 0 : uint64_t{high} - low + 1;
  }

  // Reads an array to its end, keeping at most maxKept of its elements: an
  // array token costs tens of bytes, and a small compressed stream can hold
  // millions of them.
  void ReadArray(std::vector<Token>* array, uint64_t maxKept) {
    if (array)
      array->clear();
    for (Token token = FLexer.Next(); token.kind != Token::End && token.kind != Token::ArrayClose &&
                                      token.kind != Token::Keyword;
         token = FLexer.Next()) {
      if (array && array->size() < maxKept)
        array->push_back(std::move(token));
    }
    if (array)
      FMap.FLargestArray = std::max(FMap.FLargestArray, array->size());
  }

  void ReadCodeSpace() {
    std::vector<Token> entry;
    while (NextEntry(2, entry)) {
      const std::string& low = entry[0].text;
      const std::string& high = entry[1].text;
      if (entry[0].kind != Token::Hex || entry[1].kind != Token::Hex || low.empty() ||
          low.size() > 4 || low.size() != high.size())
        continue;
      CMap::CodeSpaceRange range{};
      range.length = static_cast<uint8_t>(low.size());
      for (size_t i = 0; i < low.size(); ++i) {
        range.low[i] = static_cast<uint8_t>(low[i]);
        range.high[i] = static_cast<uint8_t>(high[i]);
      }
      FMap.FCodeSpace.push_back(range);
    }
  }

  void ReadBfChar() {
    std::vector<Token> entry;
    while (NextEntry(2, entry)) {
      if (entry[0].kind != Token::Hex || entry[0].text.empty() || entry[0].text.size() > 4)
        continue;
      CharCode code{BytesValue(entry[0].text), static_cast<uint8_t>(entry[0].text.size())};
      std::u16string text;
      if (entry[1].kind == Token::Hex)
        text = Utf16BeText(entry[1].text);
      else if (entry[1].kind == Token::Name)
        text = GlyphNameToText(entry[1].text);
      else
        continue;
      FMap.FTextChars.emplace(CMap::Key(code), std::move(text));
    }
  }

  void ReadBfRange() {
    std::vector<Token> entry, array;
    while (NextEntry(3, entry, &array)) {
      if (entry[0].kind != Token::Hex || entry[1].kind != Token::Hex || entry[0].text.empty() ||
          entry[0].text.size() > 4 || entry[0].text.size() != entry[1].text.size())
        continue;
      CMap::TextRange range;
      range.low = BytesValue(entry[0].text);
      range.high = BytesValue(entry[1].text);
      range.length = static_cast<uint8_t>(entry[0].text.size());
      if (range.high < range.low)
        continue;
      if (entry[2].kind == Token::Hex) {
        range.start = Utf16BeText(entry[2].text);
      } else if (entry[2].kind == Token::ArrayOpen) {
        for (const Token& element : array) {
          if (range.list.size() > range.high - range.low)
            break;
          range.list.push_back(element.kind == Token::Hex    ? Utf16BeText(element.text)
                               : element.kind == Token::Name ? GlyphNameToText(element.text)
                                                             : std::u16string());
        }
      } else {
        continue;
      }
      FMap.FTextRanges.push_back(std::move(range));
    }
  }

  void ReadCidChar() {
    std::vector<Token> entry;
    while (NextEntry(2, entry)) {
      if (entry[0].kind != Token::Hex || entry[0].text.empty() || entry[0].text.size() > 4 ||
          entry[1].kind != Token::Number)
        continue;
      CharCode code{BytesValue(entry[0].text), static_cast<uint8_t>(entry[0].text.size())};
      FMap.FCidChars.emplace(CMap::Key(code), entry[1].number);
    }
  }

  void ReadCidRange() {
    std::vector<Token> entry;
    while (NextEntry(3, entry)) {
      if (entry[0].kind != Token::Hex || entry[1].kind != Token::Hex || entry[0].text.empty() ||
          entry[0].text.size() > 4 || entry[0].text.size() != entry[1].text.size() ||
          entry[2].kind != Token::Number)
        continue;
      CMap::CidRange range{BytesValue(entry[0].text), BytesValue(entry[1].text),
                           static_cast<uint8_t>(entry[0].text.size()), entry[2].number};
      if (range.high >= range.low)
        FMap.FCidRanges.push_back(range);
    }
  }

  CMapLexer FLexer;
  CMap& FMap;
};

CMap CMap::Parse(std::string_view text) {
  CMap map;
  CMapParser(text, map).Run();
  map.SortRanges();
  return map;
}

void CMap::SortRanges() {
  std::stable_sort(FTextRanges.begin(), FTextRanges.end(),
                   [](const TextRange& a, const TextRange& b) { return a.low < b.low; });
  std::stable_sort(FCidRanges.begin(), FCidRanges.end(),
                   [](const CidRange& a, const CidRange& b) { return a.low < b.low; });
}

CharCode CMap::ReadCode(std::string_view bytes, size_t pos, uint8_t fallbackLength) const {
  size_t left = bytes.size() - pos;
  auto take = [&](size_t length) {
    length = std::max<size_t>(1, std::min(length, left));
    return CharCode{BytesValue(bytes.substr(pos, length)), static_cast<uint8_t>(length)};
  };
  if (FCodeSpace.empty())
    return take(fallbackLength);
  for (size_t length = 1; length <= 4 && length <= left; ++length) {
    for (const CodeSpaceRange& range : FCodeSpace) {
      if (range.length != length)
        continue;
      bool inside = true;
      for (size_t i = 0; i < length && inside; ++i) {
        auto b = static_cast<uint8_t>(bytes[pos + i]);
        inside = b >= range.low[i] && b <= range.high[i];
      }
      if (inside)
        return take(length);
    }
  }
  size_t shortest = 4;
  auto first = static_cast<uint8_t>(bytes[pos]);
  bool found = false;
  for (const CodeSpaceRange& range : FCodeSpace) {
    if (first >= range.low[0] && first <= range.high[0] && range.length <= shortest) {
      shortest = range.length;
      found = true;
    }
  }
  return take(found ? shortest : 1);
}

std::optional<std::u16string> CMap::Text(CharCode code) const {
  if (auto it = FTextChars.find(Key(code)); it != FTextChars.end())
    return it->second;
  // The last range starting at or before the code, and a few before it for
  // ranges that overlap.
  auto it = std::upper_bound(FTextRanges.begin(), FTextRanges.end(), code.value,
                             [](uint32_t value, const TextRange& r) { return value < r.low; });
  for (int tries = 0; it != FTextRanges.begin() && tries < 8; ++tries) {
    --it;
    if (it->length != code.length || code.value > it->high)
      continue;
    uint32_t k = code.value - it->low;
    if (it->list.empty())
      return OffsetText(it->start, k);
    if (k < it->list.size())
      return it->list[k];
    return std::nullopt;
  }
  return std::nullopt;
}

std::optional<uint32_t> CMap::Cid(CharCode code) const {
  if (auto it = FCidChars.find(Key(code)); it != FCidChars.end())
    return it->second;
  auto it = std::upper_bound(FCidRanges.begin(), FCidRanges.end(), code.value,
                             [](uint32_t value, const CidRange& r) { return value < r.low; });
  for (int tries = 0; it != FCidRanges.begin() && tries < 8; ++tries) {
    --it;
    if (it->length == code.length && code.value <= it->high)
      return it->cid + (code.value - it->low);
  }
  return std::nullopt;
}

} // namespace scrivlet::pdf
