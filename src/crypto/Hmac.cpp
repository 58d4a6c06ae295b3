#include "crypto/Hmac.h"

#include <nettle/hmac.h>
#include <nettle/nettle-meta.h>

namespace scrivlet {

std::string Hmac(HashAlgorithm algorithm, std::string_view key, std::string_view data) {
  const nettle_hash* hash = &Hash(algorithm).Algorithm();
  // nettle's generic HMAC keeps an outer, an inner and a running context of
  // the hash, each the size of the hash's context (SHA-512's the largest).
  struct Context {
    alignas(sha512_ctx) unsigned char bytes[sizeof(sha512_ctx)];
  } outer, inner, state;
  hmac_set_key(outer.bytes, inner.bytes, state.bytes, hash, key.size(),
               reinterpret_cast<const uint8_t*>(key.data()));
  hmac_update(state.bytes, hash, data.size(), reinterpret_cast<const uint8_t*>(data.data()));
  std::string mac(hash->digest_size, '\0');
  hmac_digest(outer.bytes, inner.bytes, state.bytes, hash, mac.size(),
              reinterpret_cast<uint8_t*>(mac.data()));
  return mac;
}

} // namespace scrivlet
