// Numbers written as text in documents and settings.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace scrivlet {

// A decimal whole number ("-12", "+7"), or nullopt for anything else and on
// overflow.
std::optional<int32_t> ParseInteger(std::string_view text);
// Parses a decimal whole number ("-12", "+7"); raises ConversionError with
// "'%s' is not a valid integer value" for anything else or on overflow.
int32_t StrToInt(std::string_view text);
// The same with a fallback instead of the error.
int32_t StrToIntDef(std::string_view text, int32_t fallback);

// A whole number in decimal digits as wide text ("-12").
std::u16string DecimalText(int64_t number);
// A number in roman numerals ("xiv", or "XIV" when upper), as lists and
// notes number themselves; numbers from 4000 on, and below 1, in decimal.
std::u16string RomanText(int64_t number, bool upper = false);

// A decimal number with "." as decimal point; defaultValue when the text is
// not one.
double DotStrToFloat(std::u16string_view text, double defaultValue);

} // namespace scrivlet
