// How Office encryption hashes a password: its UTF-16LE bytes after a salt,
// the digest then hashed again spinCount times, each time after the
// round's number (ECMA-376 standard and agile encryption; with no rounds,
// the start of the RC4 CryptoAPI derivation).
#pragma once

#include "crypto/Hash.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace scrivlet {

// The password's UTF-16 code units, least significant byte first.
std::string Utf16LeBytes(std::u16string_view text);
// A 32-bit number, least significant byte first, as block numbers and
// round counters are hashed.
std::string LittleEndian32(uint32_t value);

// H0 = H(salt + password), then H(i + Hi) for i below spinCount.  The
// caller bounds and pays for spinCount.
std::string OfficePasswordHash(HashAlgorithm algorithm, std::string_view salt,
                               std::u16string_view password, uint32_t spinCount);

} // namespace scrivlet
