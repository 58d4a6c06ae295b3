#include "readers/opendocument/ElementAttribute.h"

#include "core/Utf8.h"
#include "xml/Entities.h"
#include "xml/RawAttribute.h"
#include "xml/XmlParser.h"

#include <algorithm>

namespace scrivlet {

std::u16string ElementAttribute(const XmlNode& element, std::string_view name) {
  const std::string& raw = element.AttributeText;
  if (raw.size() <= name.size() || raw.find(name) == std::string::npos)
    return {};
  // Byte for byte, so that the value's place in the widened text is its
  // place among the bytes: only the value is decoded as UTF-8.
  std::u16string wide(raw.begin(), raw.end());
  for (char16_t& c : wide)
    c &= 0xFF;
  std::u16string wideName(name.begin(), name.end());
  std::optional<std::u16string_view> value = RawAttributeValue(wide, wideName);
  if (!value || value->empty())
    return {};
  std::u16string text = DecodeUtf8Text(std::string_view(raw).substr(
      static_cast<size_t>(value->data() - wide.data()), value->size()));
  DecodeEntities(text);
  return text;
}

int32_t NumberAttribute(const XmlNode& element, std::string_view name, int32_t fallback) {
  std::u16string text = ElementAttribute(element, name);
  size_t i = 0;
  while (i < text.size() && text[i] == u' ')
    ++i;
  if (i == text.size() || text[i] < u'0' || text[i] > u'9')
    return fallback;
  int32_t number = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
    number = std::min(number * 10 + (text[i] - u'0'), 1000000);
  return number;
}

} // namespace scrivlet
