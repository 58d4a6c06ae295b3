#include "crypto/Hash.h"

#include <nettle/nettle-meta.h>

#include <array>

namespace scrivlet {
namespace {

const nettle_hash* NettleHash(HashAlgorithm algorithm) {
  switch (algorithm) {
  case HashAlgorithm::Md5: return &nettle_md5;
  case HashAlgorithm::Sha1: return &nettle_sha1;
  case HashAlgorithm::Sha256: return &nettle_sha256;
  case HashAlgorithm::Sha384: return &nettle_sha384;
  case HashAlgorithm::Sha512: break;
  }
  return &nettle_sha512;
}

const uint8_t* Bytes(std::string_view s) {
  return reinterpret_cast<const uint8_t*>(s.data());
}

} // namespace

std::optional<HashAlgorithm> HashAlgorithmNamed(std::string_view name) {
  std::string bare;
  for (char c : name)
    if (c != '-')
      bare += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  static constexpr std::array<std::pair<std::string_view, HashAlgorithm>, 5> kNames{{
      {"MD5", HashAlgorithm::Md5},
      {"SHA1", HashAlgorithm::Sha1},
      {"SHA256", HashAlgorithm::Sha256},
      {"SHA384", HashAlgorithm::Sha384},
      {"SHA512", HashAlgorithm::Sha512},
  }};
  for (const auto& [known, algorithm] : kNames)
    if (bare == known)
      return algorithm;
  return std::nullopt;
}

Hash::Hash(HashAlgorithm algorithm) : FHash(NettleHash(algorithm)) {
  FHash->init(FContext);
}

size_t Hash::DigestSize() const {
  return FHash->digest_size;
}

size_t Hash::BlockSize() const {
  return FHash->block_size;
}

void Hash::Update(std::string_view bytes) {
  FHash->update(FContext, bytes.size(), Bytes(bytes));
}

std::string Hash::Final() {
  std::string digest(FHash->digest_size, '\0');
  // nettle starts the next message after writing the digest.
  FHash->digest(FContext, digest.size(), reinterpret_cast<uint8_t*>(digest.data()));
  return digest;
}

std::string Hash::Digest(HashAlgorithm algorithm, std::initializer_list<std::string_view> pieces) {
  Hash hash(algorithm);
  for (std::string_view piece : pieces)
    hash.Update(piece);
  return hash.Final();
}

} // namespace scrivlet
