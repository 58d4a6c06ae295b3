#include "crypto/Aes.h"

#include "core/Exception.h"

#include <nettle/aes.h>
#include <nettle/cbc.h>
#include <nettle/nettle-meta.h>

#include <algorithm>

namespace scrivlet::Aes {

namespace {

const uint8_t* Bytes(std::string_view s) {
  return reinterpret_cast<const uint8_t*>(s.data());
}

size_t WholeBlocks(std::string_view data) {
  return data.size() / BlockSize * BlockSize;
}

// An expanded key of any of the three sizes, for one direction.
class Key {
public:
  enum class Direction { Encrypt, Decrypt };

  Key(std::string_view key, Direction direction) : FCipher(CipherFor(key.size())) {
    if (direction == Direction::Encrypt)
      FCipher->set_encrypt_key(FContext, Bytes(key));
    else
      FCipher->set_decrypt_key(FContext, Bytes(key));
  }

  const void* Context() const { return FContext; }
  nettle_cipher_func* Encrypt() const { return FCipher->encrypt; }
  nettle_cipher_func* Decrypt() const { return FCipher->decrypt; }

private:
  static const nettle_cipher* CipherFor(size_t keySize) {
    switch (keySize) {
    case 16: return &nettle_aes128;
    case 24: return &nettle_aes192;
    case 32: return &nettle_aes256;
    default: throw Exception("AES key of %d bytes", {static_cast<int64_t>(keySize)});
    }
  }

  const nettle_cipher* FCipher;
  alignas(aes256_ctx) unsigned char FContext[sizeof(aes256_ctx)];
};

void CheckIv(std::string_view iv) {
  if (iv.size() != BlockSize)
    throw Exception("AES initialisation vector of %d bytes", {static_cast<int64_t>(iv.size())});
}

uint8_t* Out(std::string& out) {
  return reinterpret_cast<uint8_t*>(out.data());
}

} // namespace

std::string CbcEncrypt(std::string_view key, std::string_view iv, std::string_view data) {
  const Key schedule(key, Key::Direction::Encrypt);
  CheckIv(iv);
  std::string out(WholeBlocks(data), '\0');
  uint8_t chain[BlockSize];
  std::copy(iv.begin(), iv.end(), chain);
  cbc_encrypt(schedule.Context(), schedule.Encrypt(), BlockSize, chain, out.size(), Out(out),
              Bytes(data));
  return out;
}

std::string CbcDecrypt(std::string_view key, std::string_view iv, std::string_view data) {
  const Key schedule(key, Key::Direction::Decrypt);
  CheckIv(iv);
  std::string out(WholeBlocks(data), '\0');
  uint8_t chain[BlockSize];
  std::copy(iv.begin(), iv.end(), chain);
  cbc_decrypt(schedule.Context(), schedule.Decrypt(), BlockSize, chain, out.size(), Out(out),
              Bytes(data));
  return out;
}

std::string EcbEncrypt(std::string_view key, std::string_view data) {
  const Key schedule(key, Key::Direction::Encrypt);
  std::string out(WholeBlocks(data), '\0');
  // The block functions take any number of whole blocks: that is ECB.
  schedule.Encrypt()(schedule.Context(), out.size(), Out(out), Bytes(data));
  return out;
}

std::string EcbDecrypt(std::string_view key, std::string_view data) {
  const Key schedule(key, Key::Direction::Decrypt);
  std::string out(WholeBlocks(data), '\0');
  schedule.Decrypt()(schedule.Context(), out.size(), Out(out), Bytes(data));
  return out;
}

} // namespace scrivlet::Aes
