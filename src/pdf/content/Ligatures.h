// Ligature characters that fonts map their ligature glyphs to (U+FB00 "ff"
// to U+FB06 "st"): a reader searches for the letters, so text gives the
// letters the ligature stands for.
#pragma once

#include <string>
#include <string_view>

namespace scrivlet::pdf {

// The letters of c when it is a ligature character, else empty.
std::u16string_view LigatureLetters(char16_t c);

// Appends text to out with every ligature character written as its letters.
void AppendWithoutLigatures(std::u16string& out, std::u16string_view text);

} // namespace scrivlet::pdf
