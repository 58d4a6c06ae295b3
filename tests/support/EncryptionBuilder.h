// Builds password-protected documents for the tests, encrypting with the
// crypto layer's primitives but deriving every key here, step by step as
// the formats describe it, so that the readers' derivations are checked
// against a second writing of them.
#pragma once

#include "crypto/Hash.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace scrivlet::test {

class WordBuilder;
struct OpenDocumentBuilder;

// A Word 97-2003 document (one without formatting: its table stream holds
// the piece table only) whose main and table streams are encrypted with
// RC4: CryptoAPI with a key of keyBits when given, else version 1.1.
std::string EncryptedWordDocument(const WordBuilder& word, std::u16string_view password,
                                  std::optional<uint32_t> cryptoApiKeyBits);

// The same document (Word 97, or Word 95 for nFib 104) under XOR
// obfuscation: the obfuscation array is the reader's own (its tables are
// fixed data, not a derivation), LibreOffice checked that it opens these.
std::string XorObfuscatedWordDocument(const WordBuilder& word, std::u16string_view password);

// A Word 2007+ package in a compound file under standard encryption (AES in
// ECB mode with a key of keyBits).
// With wordPlaceholder, a "WordDocument" stream beside it, as Office writes.
std::string StandardEncryptedPackage(const std::string& package, std::u16string_view password,
                                     uint32_t keyBits = 128, bool wordPlaceholder = false);

struct AgileOptions {
  HashAlgorithm hash = HashAlgorithm::Sha512;
  uint32_t spinCount = 1000;
  uint32_t keyBits = 256;
  bool spoilHmac = false; // an HMAC value that does not match
  // The spin count the descriptor announces, when not the one used.
  std::optional<uint32_t> announcedSpinCount;
};

// The same under agile encryption.
std::string AgileEncryptedPackage(const std::string& package, std::u16string_view password,
                                  const AgileOptions& options = {});

enum class OdfCipher { Blowfish, Aes };

// An OpenDocument package whose content.xml (and meta.xml, when given) are
// encrypted as the manifest describes, with a SHA-1 start key for Blowfish
// and SHA-256 for AES.  A wrong checksum makes one the password never
// matches.
std::string EncryptedOpenDocument(const OpenDocumentBuilder& document, std::string_view password,
                                  OdfCipher cipher, uint32_t iterations = 1024,
                                  bool spoilChecksum = false);

} // namespace scrivlet::test
