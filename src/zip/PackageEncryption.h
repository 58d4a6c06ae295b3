// The encryption of OpenDocument package members.
//
// The manifest (META-INF/manifest.xml) gives each encrypted member its
// "encryption-data": the cipher and its IV, the key derivation (PBKDF2 with
// HMAC-SHA1 over a start key, the SHA-1 or SHA-256 digest of the password's
// UTF-8 bytes, with a salt of the member's own) and a checksum of the
// member's first kilobyte (or whole) after decryption, still deflated: a
// wrong password shows there.  The member is stored in the archive as it
// came out of the cipher; once decrypted it is raw deflate data.
#pragma once

#include "crypto/Hash.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace scrivlet {

enum class MemberCipher : uint8_t {
  BlowfishCfb8, // "Blowfish CFB": OpenOffice.org and early LibreOffice
  Aes256Cbc,    // "http://www.w3.org/2001/04/xmlenc#aes256-cbc"
};

struct MemberEncryption {
  MemberCipher cipher = MemberCipher::BlowfishCfb8;
  std::string iv, salt;
  uint32_t iterations = 1024;
  size_t keySize = 16;
  HashAlgorithm startKey = HashAlgorithm::Sha1;
  HashAlgorithm checksumHash = HashAlgorithm::Sha1;
  bool checksumOfFirstKilobyte = true;
  std::string checksum; // none: nothing to check
};

// The member's deflated bytes, or nothing when the checksum shows the
// password (UTF-8) to be wrong.  The caller bounds and pays for the
// iterations.  Raises Exception for a key or IV of a size the cipher
// cannot take.
std::optional<std::string> DecryptPackageMember(std::string_view stored,
                                                const MemberEncryption& encryption,
                                                std::string_view password);

} // namespace scrivlet
