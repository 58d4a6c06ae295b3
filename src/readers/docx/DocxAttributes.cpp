#include "readers/docx/DocxAttributes.h"

#include "xml/Entities.h"
#include "xml/RawAttribute.h"

namespace scrivlet {

std::u16string AttributeText(std::u16string_view attributes, std::u16string_view name) {
  std::u16string text(RawAttributeValue(attributes, name).value_or(u""));
  if (text.find(u'&') != std::u16string::npos)
    DecodeEntities(text);
  return text;
}

std::optional<int32_t> IntegerAttribute(std::u16string_view attributes, std::u16string_view name) {
  const auto value = RawAttributeValue(attributes, name);
  if (!value || value->empty())
    return std::nullopt;
  std::u16string_view digits = *value;
  const bool negative = digits.front() == u'-';
  if (negative || digits.front() == u'+')
    digits.remove_prefix(1);
  if (digits.empty() || digits.size() > 10)
    return std::nullopt;
  int64_t number = 0;
  for (char16_t c : digits) {
    if (c < u'0' || c > u'9')
      return std::nullopt;
    number = number * 10 + (c - u'0');
  }
  if (negative)
    number = -number;
  if (number < INT32_MIN || number > INT32_MAX)
    return std::nullopt;
  return static_cast<int32_t>(number);
}

bool IsOn(std::u16string_view attributes) {
  const auto value = RawAttributeValue(attributes, u"w:val");
  return !value || !(*value == u"0" || *value == u"false" || *value == u"off");
}

bool AttributeIsTrue(std::u16string_view attributes, std::u16string_view name) {
  const auto value = RawAttributeValue(attributes, name);
  return value && (*value == u"1" || *value == u"true" || *value == u"on");
}

} // namespace scrivlet
