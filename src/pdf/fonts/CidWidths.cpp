#include "pdf/fonts/CidWidths.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

namespace scrivlet::pdf {
namespace {

// Numbers and brackets of a "/W" array.
struct WidthToken {
  enum Kind { End, Number, Open, Close } kind = End;
  double value = 0;
};

class WidthLexer {
public:
  explicit WidthLexer(std::string_view text) : FText(text) {}

  WidthToken Next() {
    while (FPos < FText.size()) {
      char c = FText[FPos];
      if (c == '[') {
        ++FPos;
        return {WidthToken::Open};
      }
      if (c == ']') {
        ++FPos;
        return {WidthToken::Close};
      }
      if (IsNumberCharacter(c)) {
        size_t start = FPos;
        while (FPos < FText.size() && IsNumberCharacter(FText[FPos]))
          ++FPos;
        WidthToken token{WidthToken::Number};
        std::string_view digits = FText.substr(start, FPos - start);
        if (!digits.empty() && digits[0] == '+')
          digits.remove_prefix(1);
        std::from_chars(digits.data(), digits.data() + digits.size(), token.value);
        return token;
      }
      ++FPos; // white space, references' "R" and other stray bytes
    }
    return {};
  }

private:
  static bool IsNumberCharacter(char c) {
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
  }

  std::string_view FText;
  size_t FPos = 0;
};

bool IsValidCid(double value) {
  return std::isfinite(value) && value >= 0 && value <= 0xFFFFFFFF;
}

} // namespace

CidWidths CidWidths::Parse(std::string_view array) {
  CidWidths widths;
  WidthLexer lexer(array);
  WidthToken token = lexer.Next();
  if (token.kind == WidthToken::Open) // the array's own bracket
    token = lexer.Next();
  std::vector<double> pending; // numbers before an inner array or a range's width
  for (; token.kind != WidthToken::End && token.kind != WidthToken::Close; token = lexer.Next()) {
    if (token.kind == WidthToken::Number) {
      pending.push_back(token.value);
      if (pending.size() == 3) { // first last width
        if (IsValidCid(pending[0]) && IsValidCid(pending[1]) && pending[1] >= pending[0])
          widths.FRanges.push_back({static_cast<uint32_t>(pending[0]),
                                    static_cast<uint32_t>(pending[1]), pending[2] / 1000.0});
        pending.clear();
      }
      continue;
    }
    // An inner array: widths of consecutive CIDs from the last number.
    bool use = !pending.empty() && IsValidCid(pending.back());
    uint32_t cid = use ? static_cast<uint32_t>(pending.back()) : 0;
    pending.clear();
    for (token = lexer.Next(); token.kind == WidthToken::Number; token = lexer.Next(), ++cid)
      if (use)
        widths.FRanges.push_back({cid, cid, token.value / 1000.0});
    if (token.kind == WidthToken::End)
      break;
  }
  std::stable_sort(widths.FRanges.begin(), widths.FRanges.end(),
                   [](const Range& a, const Range& b) { return a.first < b.first; });
  return widths;
}

// Ranges may overlap; the nearest few that start at or before the CID are
// tried, as the array lists them.
std::optional<double> CidWidths::Width(uint32_t cid) const {
  auto it = std::upper_bound(FRanges.begin(), FRanges.end(), cid,
                             [](uint32_t value, const Range& r) { return value < r.first; });
  for (int tries = 0; it != FRanges.begin() && tries < 4; ++tries) {
    --it;
    if (cid <= it->last)
      return it->width;
  }
  return std::nullopt;
}

} // namespace scrivlet::pdf
