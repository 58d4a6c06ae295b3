// Blowfish in 8-bit cipher feedback mode, the cipher of OpenDocument
// packages written before AES took its place.
#pragma once

#include <string>
#include <string_view>

namespace scrivlet {

namespace Blowfish {

constexpr size_t BlockSize = 8;

// Keys have 8 to 56 bytes and the initialisation vector 8; Exception
// otherwise, and for one of the few keys nettle refuses as weak.  Feedback
// of single bytes needs no padding: the result has the data's length.
std::string Cfb8Decrypt(std::string_view key, std::string_view iv, std::string_view data);
std::string Cfb8Encrypt(std::string_view key, std::string_view iv, std::string_view data);

} // namespace Blowfish

} // namespace scrivlet
