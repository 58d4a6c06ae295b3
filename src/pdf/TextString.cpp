#include "pdf/TextString.h"

#include "core/Utf8.h"
#include "pdf/PdfDocEncoding.h"

namespace scrivlet::pdf {

namespace {

std::u16string DecodeUtf16Be(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    char16_t unit = static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) << 8 |
                                          static_cast<uint8_t>(bytes[i + 1]));
    // A language tag (U+001B, code, U+001B) is not text.
    if (unit == 0x1B) {
      size_t close = i + 2;
      while (close + 1 < bytes.size() &&
             !(bytes[close] == 0 && static_cast<uint8_t>(bytes[close + 1]) == 0x1B))
        close += 2;
      i = close;
      continue;
    }
    text += unit;
  }
  return text;
}

} // namespace

std::u16string DecodeTextString(std::string_view bytes) {
  if (bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == 0xFE &&
      static_cast<uint8_t>(bytes[1]) == 0xFF)
    return DecodeUtf16Be(bytes.substr(2));
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
    return Utf8ToUtf16(bytes.substr(3));
  std::u16string text;
  text.reserve(bytes.size());
  for (char c : bytes)
    text += PdfDocEncodingToUnicode(static_cast<uint8_t>(c));
  return text;
}

} // namespace scrivlet::pdf
