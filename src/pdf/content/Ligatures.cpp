#include "pdf/content/Ligatures.h"

namespace scrivlet::pdf {

std::u16string_view LigatureLetters(char16_t c) {
  switch (c) {
  case u'\uFB00': return u"ff";
  case u'\uFB01': return u"fi";
  case u'\uFB02': return u"fl";
  case u'\uFB03': return u"ffi";
  case u'\uFB04': return u"ffl";
  case u'\uFB05': // long s and t
  case u'\uFB06': return u"st";
  default: return {};
  }
}

void AppendWithoutLigatures(std::u16string& out, std::u16string_view text) {
  for (char16_t c : text) {
    std::u16string_view letters = LigatureLetters(c);
    if (letters.empty())
      out += c;
    else
      out += letters;
  }
}

} // namespace scrivlet::pdf
