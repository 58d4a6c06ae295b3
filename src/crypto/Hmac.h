// HMAC (RFC 2104) over any of the digests of Hash.h.
#pragma once

#include "crypto/Hash.h"

#include <string>
#include <string_view>

namespace scrivlet {

// The message authentication code of the data under the key.
std::string Hmac(HashAlgorithm algorithm, std::string_view key, std::string_view data);

} // namespace scrivlet
