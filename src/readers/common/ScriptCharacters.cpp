#include "readers/common/ScriptCharacters.h"

namespace scrivlet {
namespace {

constexpr std::u16string_view kPlain = u"0123456789+-\u2212=()";
constexpr std::u16string_view kSuperscripts =
    u"\u2070\u00b9\u00b2\u00b3\u2074\u2075\u2076\u2077\u2078\u2079\u207a\u207b\u207b\u207c\u207d"
    u"\u207e";
constexpr std::u16string_view kSubscripts =
    u"\u2080\u2081\u2082\u2083\u2084\u2085\u2086\u2087\u2088\u2089\u208a\u208b\u208b\u208c\u208d"
    u"\u208e";

} // namespace

std::optional<std::u16string> AsScriptCharacters(std::u16string_view text, bool superscript) {
  if (text.empty())
    return std::nullopt;
  std::u16string out;
  for (char16_t c : text) {
    if (superscript && (c == u'n' || c == u'i')) {
      out += c == u'n' ? u'\u207f' : u'\u2071';
      continue;
    }
    const size_t at = kPlain.find(c);
    if (at == std::u16string_view::npos)
      return std::nullopt;
    out += (superscript ? kSuperscripts : kSubscripts)[at];
  }
  return out;
}

} // namespace scrivlet
