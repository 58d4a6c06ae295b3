#include "crypto/Pbkdf2.h"

#include <nettle/pbkdf2.h>

#include <algorithm>

namespace scrivlet {

std::string Pbkdf2HmacSha1(std::string_view password, std::string_view salt, uint32_t iterations,
                           size_t length) {
  std::string key(length, '\0');
  pbkdf2_hmac_sha1(password.size(), reinterpret_cast<const uint8_t*>(password.data()),
                   std::max<uint32_t>(iterations, 1), salt.size(),
                   reinterpret_cast<const uint8_t*>(salt.data()), key.size(),
                   reinterpret_cast<uint8_t*>(key.data()));
  return key;
}

} // namespace scrivlet
