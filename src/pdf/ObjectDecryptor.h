// The seam between the object store and a security handler: an encrypted
// document's strings and streams are each encrypted with a key derived from
// the object that holds them, so decryption is asked for per object.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace scrivlet {
// Decrypts the strings and streams of an encrypted document, per object.
class ObjectDecryptor {
public:
  virtual ~ObjectDecryptor() = default;
  virtual std::string DecryptString(std::string_view bytes, uint32_t objectNumber,
                                    uint16_t generation) const = 0;
  virtual std::string DecryptStream(std::string_view bytes, uint32_t objectNumber,
                                    uint16_t generation) const = 0;
};
} // namespace scrivlet
