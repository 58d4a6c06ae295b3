// Base64 (RFC 4648), as encryption descriptors write salts, keys and
// checksums in XML attributes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace scrivlet {

// The bytes the text encodes (white space between the characters
// allowed), or nothing when it is not base64.
std::optional<std::string> DecodeBase64(std::string_view text);

} // namespace scrivlet
