// UTF-16 little-endian text as VBA projects store their Unicode names.
#pragma once

#include "core/ByteReader.h"

#include <string>
#include <string_view>

namespace scrivlet {

// The text of the bytes; an odd last byte is dropped.
inline std::u16string DecodeUtf16Le(std::string_view bytes) {
  std::u16string text(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i)
    text[i] = ByteReader::Get16(bytes, 2 * i);
  return text;
}

} // namespace scrivlet
