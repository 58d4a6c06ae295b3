// AES in cipher-block-chaining mode, for 128-bit and 256-bit keys.  The
// functions work on whole 16-byte blocks and leave padding to the caller.
#pragma once

#include <string>
#include <string_view>

namespace scrivlet {

namespace Aes {

constexpr size_t BlockSize = 16;

// Both functions need a key of 16 or 32 bytes and an initialisation vector
// of 16 bytes, and raise Exception otherwise; a trailing partial block of
// the data is left out of the result.
std::string CbcEncrypt(std::string_view key, std::string_view iv, std::string_view data);
std::string CbcDecrypt(std::string_view key, std::string_view iv, std::string_view data);

} // namespace Aes

} // namespace scrivlet
