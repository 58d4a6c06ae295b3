#include "pdf/security/Sha2PasswordAlgorithms.h"

#include "crypto/Aes.h"
#include "crypto/Sha2.h"

namespace scrivlet {

namespace {

constexpr size_t HashSize = 32;
constexpr size_t SaltSize = 8;
constexpr size_t ValueSize = HashSize + 2 * SaltSize; // 48
constexpr size_t FileKeySize = 32;
constexpr size_t MaxPasswordBytes = 127;

// The hash of revision 6: rounds of AES-128-CBC over 64 copies of password,
// hash and user data, each followed by the SHA-2 variant that the sum of
// the first 16 encrypted bytes (mod 3) selects; at least 64 rounds, then
// until the last encrypted byte is at most the round count - 32.
std::string IteratedHash(std::string_view password, std::string_view salt,
                         std::string_view userData) {
  std::string hash =
      Sha2::Sha256(std::string(password) + std::string(salt) + std::string(userData));
  std::string block, repeated;
  for (int round = 1;; ++round) {
    block.assign(password);
    block += hash;
    block += userData;
    repeated.clear();
    for (int copy = 0; copy < 64; ++copy)
      repeated += block;
    const std::string encrypted = Aes::CbcEncrypt(std::string_view(hash).substr(0, 16),
                                                  std::string_view(hash).substr(16, 16), repeated);
    unsigned sum = 0;
    for (size_t i = 0; i < 16; ++i)
      sum += static_cast<unsigned char>(encrypted[i]);
    switch (sum % 3) {
    case 0: hash = Sha2::Sha256(encrypted); break;
    case 1: hash = Sha2::Sha384(encrypted); break;
    default: hash = Sha2::Sha512(encrypted); break;
    }
    const auto last = static_cast<unsigned char>(encrypted.back());
    if (round >= 64 && last <= static_cast<unsigned>(round - 32))
      break;
  }
  hash.resize(HashSize);
  return hash;
}

std::optional<std::string> UnlockFileKey(int32_t revision, std::string_view password,
                                         std::string_view value, std::string_view encryptedKey,
                                         std::string_view userData) {
  if (value.size() < ValueSize || encryptedKey.size() < FileKeySize)
    return std::nullopt;
  const std::string_view hash = value.substr(0, HashSize);
  const std::string_view validationSalt = value.substr(HashSize, SaltSize);
  const std::string_view keySalt = value.substr(HashSize + SaltSize, SaltSize);
  if (Sha2PasswordHash(revision, password, validationSalt, userData) != hash)
    return std::nullopt;
  const std::string key = Sha2PasswordHash(revision, password, keySalt, userData);
  return Aes::CbcDecrypt(key, std::string(Aes::BlockSize, '\0'),
                         encryptedKey.substr(0, FileKeySize));
}

} // namespace

std::string_view TruncateSha2Password(std::string_view password) {
  return password.substr(0, std::min(password.size(), MaxPasswordBytes));
}

std::string Sha2PasswordHash(int32_t revision, std::string_view password, std::string_view salt,
                             std::string_view userData) {
  password = TruncateSha2Password(password);
  if (revision >= 6)
    return IteratedHash(password, salt, userData);
  return Sha2::Sha256(std::string(password) + std::string(salt) + std::string(userData));
}

std::optional<std::string> Sha2UserFileKey(int32_t revision, std::string_view password,
                                           std::string_view user, std::string_view userKey) {
  return UnlockFileKey(revision, password, user, userKey, {});
}

std::optional<std::string> Sha2OwnerFileKey(int32_t revision, std::string_view password,
                                            std::string_view owner, std::string_view ownerKey,
                                            std::string_view user) {
  if (user.size() < ValueSize)
    return std::nullopt;
  return UnlockFileKey(revision, password, owner, ownerKey, user.substr(0, ValueSize));
}

} // namespace scrivlet
