// How the strings or the streams of an encrypted PDF file are enciphered,
// and the per-object decryption each way needs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace scrivlet {

enum class CryptMethod {
  Identity, // stored as they are
  Rc4,      // RC4 with the object key
  Aes128,   // AES-128-CBC with the object key ("sAlT" in its digest)
  Aes256,   // AES-256-CBC with the file key itself
};

// The key of one object (versions 1 to 4): the MD5 of the file key, the
// three low bytes of the object number and the two of the generation, least
// significant first, and "sAlT" for AES; of that digest the first
// file key length + 5 bytes, at most 16.
std::string ObjectKey(std::string_view fileKey, uint32_t objectNumber, uint16_t generation,
                      CryptMethod method);

// The object's bytes decrypted with the method.  AES data starts with its
// 16-byte initialisation vector; the PKCS#7 padding is removed when it is
// well formed, a partial last block is dropped, data shorter than the vector
// gives nothing.
std::string DecryptObjectBytes(CryptMethod method, std::string_view fileKey, std::string_view bytes,
                               uint32_t objectNumber, uint16_t generation);

} // namespace scrivlet
