// What an OpenDocument package's manifest (META-INF/manifest.xml) says of
// its encrypted members: for each, by its full path, how it is encrypted
// and its size once inflated.
#pragma once

#include "core/Limits.h"
#include "zip/PackageEncryption.h"

#include <map>
#include <string>

namespace scrivlet {

struct EncryptedMember {
  MemberEncryption encryption;
  uint64_t size = 0; // manifest:size, the inflated size (0: not given)
};

// The encrypted members; empty for a package without encryption.  Raises
// UnsupportedEncryption naming a cipher, key derivation or start key this
// build cannot use (Argon2id, AES-GCM, ...), and Exception("The encryption
// data of %s are damaged") for missing or malformed values.
std::map<std::string, EncryptedMember> ReadEncryptedMembers(std::string manifest,
                                                            const Limits& limits);

} // namespace scrivlet
