// The tokens of a content stream: numbers, names, strings (literal with
// their escapes resolved and nested parentheses balanced, or hexadecimal),
// array and dictionary brackets, and operators (every other keyword).
// "true", "false" and "null" are operands.  One forward pass over the
// content held by the caller; no token reads past its end.
#pragma once

#include <string>
#include <string_view>

namespace scrivlet::pdf {

struct ContentToken {
  enum class Kind {
    End,
    Number,
    Name,
    String,
    ArrayOpen,
    ArrayClose,
    DictOpen,
    DictClose,
    Operator,
    Operand
  };
  Kind kind = Kind::End;
  double number = 0;
  std::string_view text; // a name without "/", an operator, another operand's text
  std::string bytes;     // a string's bytes
};

class ContentTokenizer {
public:
  explicit ContentTokenizer(std::string_view content) : FContent(content) {}

  // The next token into token; false (and Kind::End) at the end.
  bool Next(ContentToken& token);

  // Skips the binary data of an inline image after its "ID" operator, up to
  // and including the "EI" that ends it.
  void SkipInlineImageData();

  size_t Position() const { return FPos; }

private:
  void SkipWhiteAndComments();
  void ReadLiteral(std::string& bytes);
  void ReadHex(std::string& bytes);
  double ReadNumber();
  std::string_view ReadRegular();

  std::string_view FContent;
  size_t FPos = 0;
};

} // namespace scrivlet::pdf
