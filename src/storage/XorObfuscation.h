// The XOR obfuscation of Word 95 and Word 97-2003 documents ("fObfuscated"):
// no cipher, a 16-byte array made from the password, XORed over the
// streams.  The FIB keeps a 16-bit verifier of the password and the 16-bit
// key the array starts from, which tell a wrong password.  A byte that is
// zero, or that equals its key byte, is left as it stands (so that no
// plain byte turns into zero), which decoding mirrors.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace scrivlet {

class XorObfuscation {
public:
  // The array for the password (UTF-16: each character's low byte, or its
  // high byte when the low one is zero; at most 15 of them).
  explicit XorObfuscation(std::u16string_view password);

  // Whether the password gives the verifier and key the document keeps.
  bool Matches(uint16_t verifier, uint16_t key) const {
    return verifier == FVerifier && key == FKey;
  }
  uint16_t Verifier() const { return FVerifier; }
  uint16_t Key() const { return FKey; }

  // Decodes (or encodes: the same) bytes that start at the stream's offset
  // `from`, in place.
  void Apply(std::string& bytes, uint64_t from) const;

private:
  std::string FPassword; // the password's bytes, at most 15
  uint16_t FVerifier = 0, FKey = 0;
  std::array<uint8_t, 16> FArray{};
};

} // namespace scrivlet
