#include "crypto/Md5.h"

namespace scrivlet {

void Md5::Init() {
  md5_init(&FContext);
}

void Md5::Update(std::string_view bytes) {
  md5_update(&FContext, bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()));
}

std::string Md5::Final() {
  std::string digest(DigestSize, '\0');
  // nettle resets the context for the next message after writing the digest.
  md5_digest(&FContext, DigestSize, reinterpret_cast<uint8_t*>(digest.data()));
  return digest;
}

std::string Md5::Digest(std::string_view bytes) {
  Md5 md5;
  md5.Update(bytes);
  return md5.Final();
}

} // namespace scrivlet
