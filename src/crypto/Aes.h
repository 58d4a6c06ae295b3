// AES in electronic-codebook and cipher-block-chaining modes, for 128-,
// 192- and 256-bit keys.  The functions work on whole 16-byte blocks and
// leave padding to the caller.
#pragma once

#include <string>
#include <string_view>

namespace scrivlet {

namespace Aes {

constexpr size_t BlockSize = 16;

// Every function needs a key of 16, 24 or 32 bytes (and the CBC ones an
// initialisation vector of 16 bytes), and raises Exception otherwise; a
// trailing partial block of the data is left out of the result.
std::string CbcEncrypt(std::string_view key, std::string_view iv, std::string_view data);
std::string CbcDecrypt(std::string_view key, std::string_view iv, std::string_view data);
std::string EcbEncrypt(std::string_view key, std::string_view data);
std::string EcbDecrypt(std::string_view key, std::string_view data);

} // namespace Aes

} // namespace scrivlet
