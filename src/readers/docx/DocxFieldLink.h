// The target of a HYPERLINK field, from its instruction as a complex field
// (w:instrText) or a simple one (w:fldSimple w:instr) writes it:
// HYPERLINK "URL" \l "anchor" \o "tip" ...  The URL and the anchor make the
// target ("URL#anchor", "#anchor"); other fields have none.
#pragma once

#include <string>
#include <string_view>

namespace scrivlet {

std::u16string HyperlinkTarget(std::u16string_view instruction);

} // namespace scrivlet
