// The XML descriptor of agile encryption (the "EncryptionInfo" stream of
// an encrypted Word 2007+ document, version 4.4): the package key's
// parameters ("keyData"), its HMAC ("dataIntegrity") and the key encrypted
// under the password ("p:encryptedKey").
#pragma once

#include "core/Limits.h"
#include "storage/EncryptedPackage.h"

#include <string>

namespace scrivlet {

// Reads the descriptor.  Raises UnsupportedEncryption for a cipher, chaining,
// hash or key size other than AES-CBC with SHA-1 or SHA-2 (naming it), or
// for a descriptor without a password key (a certificate's only), and
// Exception("The encryption header is damaged") for missing or malformed
// values.
AgileEncryption ReadAgileDescriptor(std::string xml, const Limits& limits);

} // namespace scrivlet
