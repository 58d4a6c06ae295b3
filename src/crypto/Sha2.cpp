#include "crypto/Sha2.h"

#include <nettle/sha2.h>

namespace scrivlet::Sha2 {

namespace {

template <typename Context, size_t Size>
std::string Digest(std::string_view bytes, void (*init)(Context*),
                   void (*update)(Context*, size_t, const uint8_t*),
                   void (*digest)(Context*, size_t, uint8_t*)) {
  Context context;
  init(&context);
  update(&context, bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()));
  std::string out(Size, '\0');
  digest(&context, Size, reinterpret_cast<uint8_t*>(out.data()));
  return out;
}

} // namespace

std::string Sha256(std::string_view bytes) {
  return Digest<sha256_ctx, SHA256_DIGEST_SIZE>(bytes, sha256_init, sha256_update, sha256_digest);
}

std::string Sha384(std::string_view bytes) {
  return Digest<sha384_ctx, SHA384_DIGEST_SIZE>(bytes, sha384_init, sha384_update, sha384_digest);
}

std::string Sha512(std::string_view bytes) {
  return Digest<sha512_ctx, SHA512_DIGEST_SIZE>(bytes, sha512_init, sha512_update, sha512_digest);
}

} // namespace scrivlet::Sha2
