#include "core/Numbers.h"

#include "core/Exception.h"

#include <charconv>
#include <string>

namespace scrivlet {

std::optional<int32_t> ParseInteger(std::string_view text) {
  std::string_view digits = text;
  if (!digits.empty() && digits.front() == '+') {
    digits.remove_prefix(1);
    if (!digits.empty() && digits.front() == '-')
      return std::nullopt;
  }
  int32_t value = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
    return std::nullopt;
  return value;
}

int32_t StrToInt(std::string_view text) {
  if (std::optional<int32_t> value = ParseInteger(text))
    return *value;
  throw ConversionError("'%s' is not a valid integer value", {text});
}

// No exception on the way: a document's numbers are often empty or not
// numbers at all, and the first exception thrown in a static program costs
// the unwinder's set-up, many times the whole conversion of a small file.
int32_t StrToIntDef(std::string_view text, int32_t fallback) {
  return ParseInteger(text).value_or(fallback);
}

double DotStrToFloat(std::u16string_view text, double defaultValue) {
  std::string ascii;
  for (char16_t c : text) {
    if (c > 0x7F)
      return defaultValue;
    ascii += static_cast<char>(c);
  }
  size_t i = 0;
  while (i < ascii.size() && ascii[i] == ' ')
    ++i;
  std::string_view number = std::string_view(ascii).substr(i);
  if (!number.empty() && number.front() == '+') {
    number.remove_prefix(1);
    if (!number.empty() && number.front() == '-')
      return defaultValue;
  }
  // Only sign, digits, ".", digits and exponent: from_chars would also take
  // "inf", "nan" and hexadecimal forms.
  if (number.empty() || number.find_first_of("nNiIxXpP") != std::string_view::npos)
    return defaultValue;
  double value = 0;
  auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value,
                                      std::chars_format::general);
  if (error != std::errc() || end != number.data() + number.size())
    return defaultValue;
  return value;
}

std::u16string DecimalText(int64_t number) {
  std::u16string text;
  for (char c : std::to_string(number))
    text += static_cast<char16_t>(c);
  return text;
}

std::u16string RomanText(int64_t number, bool upper) {
  if (number <= 0 || number >= 4000)
    return DecimalText(number);
  static constexpr struct {
    int64_t value;
    std::u16string_view lower;
  } kNumerals[] = {{1000, u"m"}, {900, u"cm"}, {500, u"d"}, {400, u"cd"}, {100, u"c"},
                   {90, u"xc"},  {50, u"l"},   {40, u"xl"}, {10, u"x"},   {9, u"ix"},
                   {5, u"v"},    {4, u"iv"},   {1, u"i"}};
  std::u16string text;
  for (const auto& numeral : kNumerals)
    for (; number >= numeral.value; number -= numeral.value)
      text += numeral.lower;
  if (upper)
    for (char16_t& c : text)
      c = static_cast<char16_t>(c - (u'a' - u'A'));
  return text;
}

} // namespace scrivlet
