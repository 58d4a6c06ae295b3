#include "crypto/Base64.h"

#include <nettle/base64.h>

namespace scrivlet {

std::optional<std::string> DecodeBase64(std::string_view text) {
  std::string compact;
  compact.reserve(text.size());
  for (char c : text)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
      compact += c;
  base64_decode_ctx context;
  base64_decode_init(&context);
  std::string bytes(BASE64_DECODE_LENGTH(compact.size()), '\0');
  size_t length = bytes.size();
  if (base64_decode_update(&context, &length, reinterpret_cast<uint8_t*>(bytes.data()),
                           compact.size(), compact.data()) == 0 ||
      base64_decode_final(&context) == 0)
    return std::nullopt;
  bytes.resize(length);
  return bytes;
}

} // namespace scrivlet
