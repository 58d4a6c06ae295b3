#include "crypto/Aes.h"

#include "core/Exception.h"

#include <nettle/aes.h>
#include <nettle/cbc.h>

namespace scrivlet::Aes {

namespace {

const uint8_t* Bytes(std::string_view s) {
  return reinterpret_cast<const uint8_t*>(s.data());
}

void CheckSizes(std::string_view key, std::string_view iv) {
  if (key.size() != 16 && key.size() != 32)
    throw Exception("AES key of %d bytes", {static_cast<int64_t>(key.size())});
  if (iv.size() != BlockSize)
    throw Exception("AES initialisation vector of %d bytes", {static_cast<int64_t>(iv.size())});
}

size_t WholeBlocks(std::string_view data) {
  return data.size() / BlockSize * BlockSize;
}

} // namespace

std::string CbcEncrypt(std::string_view key, std::string_view iv, std::string_view data) {
  CheckSizes(key, iv);
  std::string out(WholeBlocks(data), '\0');
  uint8_t chain[BlockSize];
  std::copy(iv.begin(), iv.end(), chain);
  auto* dst = reinterpret_cast<uint8_t*>(out.data());
  if (key.size() == 16) {
    aes128_ctx context;
    aes128_set_encrypt_key(&context, Bytes(key));
    // The whole-chain functions keep the state in registers between blocks.
    cbc_aes128_encrypt(&context, chain, out.size(), dst, Bytes(data));
  } else {
    aes256_ctx context;
    aes256_set_encrypt_key(&context, Bytes(key));
    cbc_aes256_encrypt(&context, chain, out.size(), dst, Bytes(data));
  }
  return out;
}

std::string CbcDecrypt(std::string_view key, std::string_view iv, std::string_view data) {
  CheckSizes(key, iv);
  std::string out(WholeBlocks(data), '\0');
  uint8_t chain[BlockSize];
  std::copy(iv.begin(), iv.end(), chain);
  auto* dst = reinterpret_cast<uint8_t*>(out.data());
  if (key.size() == 16) {
    aes128_ctx context;
    aes128_set_decrypt_key(&context, Bytes(key));
    cbc_decrypt(&context, reinterpret_cast<nettle_cipher_func*>(aes128_decrypt), BlockSize, chain,
                out.size(), dst, Bytes(data));
  } else {
    aes256_ctx context;
    aes256_set_decrypt_key(&context, Bytes(key));
    cbc_decrypt(&context, reinterpret_cast<nettle_cipher_func*>(aes256_decrypt), BlockSize, chain,
                out.size(), dst, Bytes(data));
  }
  return out;
}

} // namespace scrivlet::Aes
