#include "xml/RawAttribute.h"

namespace scrivlet {

namespace {

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// A small cursor over the attribute text; every step moves forward, so a
// scan ends after at most one pass.
class AttributeScan {
public:
  explicit AttributeScan(std::u16string_view text) : FText(text) {}

  bool AtEnd() const { return FAt >= FText.size(); }
  char16_t Peek() const { return FText[FAt]; }

  void SkipBlanks() {
    while (!AtEnd() && IsBlank(Peek()))
      ++FAt;
  }

  // A name runs to a blank, "=" or a quote; at least one character is
  // taken, so that stray characters cannot stop the scan.
  std::u16string_view Name() {
    size_t start = FAt++;
    while (!AtEnd() && !IsBlank(Peek()) && Peek() != u'=' && Peek() != u'"' && Peek() != u'\'')
      ++FAt;
    return FText.substr(start, FAt - start);
  }

  // After a name: "=" and a value, or nothing (a name without a value).
  std::optional<std::u16string_view> Value() {
    size_t afterName = FAt;
    SkipBlanks();
    if (AtEnd() || Peek() != u'=') {
      FAt = afterName;
      return std::nullopt;
    }
    ++FAt;
    SkipBlanks();
    if (AtEnd())
      return std::u16string_view();
    char16_t quote = Peek();
    if (quote == u'"' || quote == u'\'') {
      size_t start = ++FAt;
      size_t end = FText.find(quote, start);
      FAt = end == std::u16string_view::npos ? FText.size() : end + 1;
      return FText.substr(start, (end == std::u16string_view::npos ? FText.size() : end) - start);
    }
    size_t start = FAt;
    while (!AtEnd() && !IsBlank(Peek()))
      ++FAt;
    return FText.substr(start, FAt - start);
  }

private:
  std::u16string_view FText;
  size_t FAt = 0;
};

} // namespace

std::optional<std::u16string_view> RawAttributeValue(std::u16string_view attributes,
                                                     std::u16string_view name) {
  AttributeScan scan(attributes);
  for (scan.SkipBlanks(); !scan.AtEnd(); scan.SkipBlanks()) {
    std::u16string_view found = scan.Name();
    std::optional<std::u16string_view> value = scan.Value();
    if (found == name && value)
      return value;
  }
  return std::nullopt;
}

} // namespace scrivlet
