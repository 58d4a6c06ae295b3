// The SHA-2 digests of 256, 384 and 512 bits.
#pragma once

#include <string>
#include <string_view>

namespace scrivlet {

namespace Sha2 {

std::string Sha256(std::string_view bytes);
std::string Sha384(std::string_view bytes);
std::string Sha512(std::string_view bytes);

} // namespace Sha2

} // namespace scrivlet
