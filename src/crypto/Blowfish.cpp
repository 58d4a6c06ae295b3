#include "crypto/Blowfish.h"

#include "core/Exception.h"

#include <nettle/blowfish.h>
#include <nettle/cfb.h>

#include <algorithm>

namespace scrivlet::Blowfish {
namespace {

const uint8_t* Bytes(std::string_view s) {
  return reinterpret_cast<const uint8_t*>(s.data());
}

blowfish_ctx KeySchedule(std::string_view key, std::string_view iv) {
  if (key.size() < BLOWFISH_MIN_KEY_SIZE || key.size() > BLOWFISH_MAX_KEY_SIZE)
    throw Exception("Blowfish key of %d bytes", {static_cast<int64_t>(key.size())});
  if (iv.size() != BlockSize)
    throw Exception("Blowfish initialisation vector of %d bytes",
                    {static_cast<int64_t>(iv.size())});
  blowfish_ctx context;
  if (blowfish_set_key(&context, key.size(), Bytes(key)) == 0)
    throw Exception("The Blowfish key is weak");
  return context;
}

template <typename Mode>
std::string Crypt(std::string_view key, std::string_view iv, std::string_view data, Mode mode) {
  const blowfish_ctx context = KeySchedule(key, iv);
  uint8_t chain[BlockSize];
  std::copy(iv.begin(), iv.end(), chain);
  std::string out(data.size(), '\0');
  // CFB only ever runs the cipher forwards.
  mode(&context, reinterpret_cast<nettle_cipher_func*>(blowfish_encrypt), BlockSize, chain,
       out.size(), reinterpret_cast<uint8_t*>(out.data()), Bytes(data));
  return out;
}

} // namespace

std::string Cfb8Decrypt(std::string_view key, std::string_view iv, std::string_view data) {
  return Crypt(key, iv, data, cfb8_decrypt);
}

std::string Cfb8Encrypt(std::string_view key, std::string_view iv, std::string_view data) {
  return Crypt(key, iv, data, cfb8_encrypt);
}

} // namespace scrivlet::Blowfish
