// Word 2007+ documents saved with a password: a compound file whose
// "EncryptionInfo" stream describes the encryption and whose
// "EncryptedPackage" stream holds the ZIP package, encrypted, after its
// size (eight bytes).
//
// Standard encryption (versions 3.2 and 4.2) keeps its parameters in
// binary: AES in ECB mode with a key derived from the password by 50,000
// rounds of SHA-1.  Agile encryption (4.4) describes them in XML (read by
// the reader, which has the XML parser): the hash, the spin count, the key
// sizes; the package's key is itself encrypted with the password's, and
// the package is AES-CBC in 4,096-byte segments, each with an IV of its own,
// authenticated by an HMAC.
#pragma once

#include "crypto/Hash.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace scrivlet {

// The binary parameters of standard encryption.
struct StandardEncryption {
  uint32_t keyBits = 128;
  std::string salt, encryptedVerifier, encryptedVerifierHash;
};

// The hash and cipher sizes agile encryption names for a key.
struct AgileKeyData {
  HashAlgorithm hash = HashAlgorithm::Sha1;
  uint32_t blockSize = 16, keyBits = 128, hashSize = 20, saltSize = 16;
  std::string salt;
};

// The key encrypted under the password.
struct AgilePasswordKey : AgileKeyData {
  uint32_t spinCount = 100000;
  std::string encryptedVerifierHashInput, encryptedVerifierHashValue, encryptedKeyValue;
};

struct AgileEncryption {
  AgileKeyData keyData; // the package's key
  std::string encryptedHmacKey, encryptedHmacValue;
  AgilePasswordKey passwordKey;
};

// What the "EncryptionInfo" stream holds.
struct EncryptionInfo {
  enum class Kind { Standard, Agile };
  Kind kind = Kind::Standard;
  StandardEncryption standard; // for Kind::Standard
  std::string agileDescriptor; // for Kind::Agile: the XML
};

// The standard rounds of SHA-1 (the key derivation's cost).
constexpr uint32_t kStandardEncryptionRounds = 50000;

// Reads the stream; raises UnsupportedEncryption for other versions and
// ciphers (naming them) and Exception("The encryption header is damaged").
EncryptionInfo ReadEncryptionInfo(std::string_view stream);

// The package, or nothing when the password does not open it.  Raises
// Exception("The encrypted package is damaged") for a package shorter than
// its size or, under agile encryption, one whose HMAC does not match.
std::optional<std::string> DecryptStandardPackage(const StandardEncryption& encryption,
                                                  std::u16string_view password,
                                                  std::string_view package);
std::optional<std::string> DecryptAgilePackage(const AgileEncryption& encryption,
                                               std::u16string_view password,
                                               std::string_view package);

} // namespace scrivlet
