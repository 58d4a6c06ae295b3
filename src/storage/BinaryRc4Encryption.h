// The RC4 encryption of Office 97-2003 binary documents.
//
// An encryption header (at the start of Word's table stream) names the
// kind and holds a salt and a verifier: version 1.1 is RC4 with an MD5 key
// derivation and a 40-bit key; versions 2.2, 3.2 and 4.2 are "CryptoAPI"
// RC4 with SHA-1 and 40 to 128 bits.  The password opens the document when
// the verifier, decrypted with the key of block 0, hashes to the decrypted
// verifier hash.  Streams are then decrypted in 512-byte blocks, each under
// the key made from the password hash and the block's number.
#pragma once

#include "crypto/Hash.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace scrivlet {

class BinaryRc4Encryption {
public:
  static constexpr size_t kBlockSize = 512;

  // The encryption the header describes.  Raises UnsupportedEncryption for
  // a version or cipher other than RC4 (naming it), and Exception("The
  // encryption header is damaged") for one cut short or out of range.
  static BinaryRc4Encryption Read(std::string_view header);

  // The bytes the header takes.
  size_t HeaderSize() const { return FHeaderSize; }
  // "RC4" or "RC4 CryptoAPI", with the key's bits.
  std::string Description() const;

  // Derives the key from the password (UTF-16) and checks it against the
  // verifier; true when the password opens the document.
  bool Unlock(std::u16string_view password);
  // Decrypts bytes that start at the stream's offset `from`, in place, with
  // the key of each 512-byte block they touch.  Unlock must have succeeded.
  void Decrypt(std::string& bytes, uint64_t from = 0) const;

private:
  std::string BlockKey(uint32_t block) const;

  bool FCryptoApi = false;
  uint32_t FKeyBits = 40;
  size_t FHeaderSize = 0;
  std::string FSalt, FEncryptedVerifier, FEncryptedVerifierHash;
  std::string FPasswordHash; // H0 for CryptoAPI, the truncated H1 for version 1.1
};

} // namespace scrivlet
