#include "pdf/fonts/Type1Encoding.h"

#include <cctype>

namespace scrivlet::pdf {
namespace {

bool IsWhite(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

class Words {
public:
  explicit Words(std::string_view text) : FText(text) {}

  std::string_view Next() {
    while (FPos < FText.size() && IsWhite(FText[FPos]))
      ++FPos;
    size_t start = FPos;
    if (FPos < FText.size() && FText[FPos] == '/')
      ++FPos;
    while (FPos < FText.size() && !IsWhite(FText[FPos]) && FText[FPos] != '/')
      ++FPos;
    return FText.substr(start, FPos - start);
  }
  bool AtEnd() const { return FPos >= FText.size(); }

private:
  std::string_view FText;
  size_t FPos = 0;
};

bool ReadCode(std::string_view word, int& code) {
  if (word.empty() || word.size() > 3)
    return false;
  code = 0;
  for (char c : word) {
    if (!std::isdigit(static_cast<unsigned char>(c)))
      return false;
    code = code * 10 + (c - '0');
  }
  return code < 256;
}

} // namespace

std::optional<Type1Encoding> ReadType1Encoding(std::string_view program) {
  // The encoding is in the clear-text part, before the encrypted one.
  size_t clearEnd = program.find("eexec");
  std::string_view clear = program.substr(0, clearEnd);
  size_t at = clear.find("/Encoding");
  if (at == std::string_view::npos)
    return std::nullopt;
  Words words(clear.substr(at + 9));
  Type1Encoding encoding;
  std::string_view word = words.Next();
  if (word == "StandardEncoding") {
    encoding.standard = true;
    return encoding;
  }
  bool any = false;
  // "dup 65 /A put" entries until "readonly def" or "def".
  for (; !words.AtEnd() && word != "def" && word != "readonly"; word = words.Next()) {
    if (word != "dup")
      continue;
    int code = 0;
    if (!ReadCode(words.Next(), code))
      continue;
    std::string_view name = words.Next();
    if (name.size() > 1 && name[0] == '/') {
      encoding.names[code] = std::string(name.substr(1));
      any = true;
    }
  }
  if (!any)
    return std::nullopt;
  return encoding;
}

} // namespace scrivlet::pdf
