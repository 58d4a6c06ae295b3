#include "zip/PackageEncryption.h"

#include "crypto/Aes.h"
#include "crypto/Blowfish.h"
#include "crypto/Pbkdf2.h"

#include <algorithm>

namespace scrivlet {
namespace {

constexpr size_t kChecksumSpan = 1024;

// AES-CBC members end with the padding of XML Encryption: the last byte
// counts the bytes it adds.
std::string WithoutPadding(std::string plain) {
  if (plain.empty())
    return plain;
  const auto pad = static_cast<uint8_t>(plain.back());
  if (pad >= 1 && pad <= Aes::BlockSize && pad <= plain.size())
    plain.resize(plain.size() - pad);
  return plain;
}

bool ChecksumMatches(std::string_view plain, const MemberEncryption& encryption) {
  if (encryption.checksum.empty())
    return true;
  std::string_view span = encryption.checksumOfFirstKilobyte
                              ? plain.substr(0, std::min(plain.size(), kChecksumSpan))
                              : plain;
  return Hash::Digest(encryption.checksumHash, {span}) == encryption.checksum;
}

} // namespace

std::optional<std::string> DecryptPackageMember(std::string_view stored,
                                                const MemberEncryption& encryption,
                                                std::string_view password) {
  const std::string startKey = Hash::Digest(encryption.startKey, {password});
  const std::string key =
      Pbkdf2HmacSha1(startKey, encryption.salt, encryption.iterations, encryption.keySize);
  std::string plain;
  if (encryption.cipher == MemberCipher::BlowfishCfb8)
    plain = Blowfish::Cfb8Decrypt(key, encryption.iv, stored);
  else
    plain = WithoutPadding(Aes::CbcDecrypt(key, encryption.iv, stored));
  if (!ChecksumMatches(plain, encryption))
    return std::nullopt;
  return plain;
}

} // namespace scrivlet
