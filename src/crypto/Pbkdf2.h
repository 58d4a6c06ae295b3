// PBKDF2 (RFC 8018) with HMAC-SHA1, as OpenDocument packages derive the key
// of each encrypted member from the password.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace scrivlet {

// A key of length bytes from the password and salt after iterations rounds
// (at least one).  The cost grows with iterations: callers bound it.
std::string Pbkdf2HmacSha1(std::string_view password, std::string_view salt, uint32_t iterations,
                           size_t length);

} // namespace scrivlet
