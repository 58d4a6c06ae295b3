// The message digests the document formats name for their key derivations
// and checksums, behind one type: Office's encryption descriptors choose
// among SHA-1 and SHA-2 by name, OpenDocument among SHA-1 and SHA-256.
#pragma once

#include <nettle/sha2.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

struct nettle_hash;

namespace scrivlet {

enum class HashAlgorithm : uint8_t { Md5, Sha1, Sha256, Sha384, Sha512 };

// The algorithm of a name as Office's encryption descriptors write it
// ("SHA1", "SHA256", "SHA-512", letter case ignored), or nothing.
std::optional<HashAlgorithm> HashAlgorithmNamed(std::string_view name);

class Hash {
public:
  explicit Hash(HashAlgorithm algorithm);

  size_t DigestSize() const;
  // The size of the blocks the algorithm compresses (HMAC pads to it).
  size_t BlockSize() const;

  // Hashes the bytes; any length, in any number of calls.
  void Update(std::string_view bytes);
  // The digest of everything hashed since the start or the last Final;
  // starts a new message.
  std::string Final();

  // The digest of the pieces, hashed one after the other.
  static std::string Digest(HashAlgorithm algorithm,
                            std::initializer_list<std::string_view> pieces);

  const nettle_hash& Algorithm() const { return *FHash; }

private:
  const nettle_hash* FHash;
  // The context of any of the algorithms: SHA-512's is the largest.
  alignas(sha512_ctx) unsigned char FContext[sizeof(sha512_ctx)];
};

} // namespace scrivlet
