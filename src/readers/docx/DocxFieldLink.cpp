#include "readers/docx/DocxFieldLink.h"

namespace scrivlet {
namespace {

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0xA0;
}

// The instruction's words, one at a time: a quoted word runs to its closing
// quote, others to a blank.  Every call moves forward.
class Words {
public:
  explicit Words(std::u16string_view text) : FText(text) {}

  bool Next(std::u16string& word, bool& quoted) {
    while (FAt < FText.size() && IsBlank(FText[FAt]))
      ++FAt;
    if (FAt >= FText.size())
      return false;
    quoted = FText[FAt] == u'"';
    size_t start = quoted ? FAt + 1 : FAt;
    size_t end = start;
    while (end < FText.size() && (quoted ? FText[end] != u'"' : !IsBlank(FText[end])))
      ++end;
    word.assign(FText.substr(start, end - start));
    FAt = quoted && end < FText.size() ? end + 1 : end;
    return true;
  }

private:
  std::u16string_view FText;
  size_t FAt = 0;
};

bool IsHyperlinkWord(std::u16string_view word) {
  constexpr std::u16string_view kName = u"HYPERLINK";
  if (word.size() != kName.size())
    return false;
  for (size_t i = 0; i < word.size(); ++i) {
    char16_t c = word[i];
    if (c >= u'a' && c <= u'z')
      c = static_cast<char16_t>(c - (u'a' - u'A'));
    if (c != kName[i])
      return false;
  }
  return true;
}

} // namespace

std::u16string HyperlinkTarget(std::u16string_view instruction) {
  Words words(instruction);
  std::u16string word;
  bool quoted = false;
  if (!words.Next(word, quoted) || quoted || !IsHyperlinkWord(word))
    return {};
  std::u16string url, anchor;
  while (words.Next(word, quoted)) {
    if (!quoted && word.size() == 2 && word[0] == u'\\') {
      // \l names the anchor; \o (a tip) and \t (a frame) take a word too.
      const char16_t name = word[1];
      if (name == u'l' || name == u'o' || name == u't') {
        std::u16string argument;
        if (words.Next(argument, quoted) && name == u'l')
          anchor = std::move(argument);
      }
    } else if (url.empty()) {
      url = std::move(word);
    }
  }
  return anchor.empty() ? url : url + u"#" + anchor;
}

} // namespace scrivlet
