// The password algorithms of the standard security handler at revisions 5
// and 6 (AES-256): the "/u" and "/o" values are a 32-byte hash, an 8-byte
// validation salt and an 8-byte key salt; the hash of the password with the
// key salt unlocks the file key stored AES-encrypted in "/ue" or "/oe".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace scrivlet {

// Passwords are UTF-8, cut to their first 127 bytes.
std::string_view TruncateSha2Password(std::string_view password);

// The password hash: SHA-256 of password, salt and user data at revision 5;
// at revision 6 the iterated SHA-256/384/512 hash with AES-128-CBC rounds.
// userData is the 48-byte "/u" value for owner checks, empty for user checks.
std::string Sha2PasswordHash(int32_t revision, std::string_view password, std::string_view salt,
                             std::string_view userData);

// The 32-byte file key when the password is the user password (or, for the
// owner variant, the owner password); nothing otherwise or when the values
// are too short.
std::optional<std::string> Sha2UserFileKey(int32_t revision, std::string_view password,
                                           std::string_view user, std::string_view userKey);
std::optional<std::string> Sha2OwnerFileKey(int32_t revision, std::string_view password,
                                            std::string_view owner, std::string_view ownerKey,
                                            std::string_view user);

} // namespace scrivlet
