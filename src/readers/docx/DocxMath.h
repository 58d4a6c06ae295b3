// Word equations (Office Math: the "m:" elements of a paragraph) as a line
// of text built from their structure, so that a plain text reads "πr²"
// (a simple exponent or index in the characters made for it, another as
// "^(n+1)" or "_(ij)"), "(a+b)/c" for a fraction, "√(x)" for a
// root, "∑_(n=1)^N" for a sum and "cos(x)" for a function.  Each part that
// a sign follows is in parentheses unless it is one character.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace scrivlet {

class DocxMath {
public:
  // An equation starts (m:oMath); its elements and texts follow.
  void Begin();
  bool Active() const { return FActive; }
  // An element of the equation starts, with its raw attributes.
  void Start(std::u16string_view tag, const std::u16string& attributes);
  // The element started last ends.
  void Finish(std::u16string_view tag);
  void Text(std::u16string_view text) { FText += text; }
  // The equation ends: its text.
  std::u16string End();

private:
  struct Frame {
    std::u16string tag;
    size_t start = 0;     // where the element's text starts
    bool wrap = false;    // in parentheses when longer than one character
    bool opened = false;  // a sum's sign or a delimiter's opening written
    std::u16string sign;  // a sum's sign
    std::u16string close; // a delimiter's closing character
    std::u16string separator;
  };
  Frame* Parent();
  void Push(std::u16string_view tag, bool wrap);
  void OpenPart(Frame& parent, std::u16string_view tag);

  bool FActive = false;
  std::u16string FText;
  std::vector<Frame> FOpen;
};

} // namespace scrivlet
