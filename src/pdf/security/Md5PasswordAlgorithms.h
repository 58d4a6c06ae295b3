// The password algorithms of the standard security handler at revisions 2
// to 4, built on MD5 and RC4: the file key from a user password, the user
// value that proves it, and the user password recovered from the owner
// value with the owner password.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace scrivlet {

// What the file key depends on besides the password.
struct Md5KeyInputs {
  int32_t Revision = 0;
  size_t KeyBytes = 5;    // key length / 8: 5 to 16
  std::string_view Owner; // the "/o" value (its first 32 bytes count)
  int32_t Permissions = 0;
  std::string_view DocumentId; // the first "/id" string
  bool EncryptMetadata = true;
};

// The 32-byte password padding string.
std::string_view PasswordPadding();
// The password cut or padded to 32 bytes with the padding string.
std::string PadPassword(std::string_view password);

// The file key of a user password: MD5 of the padded password, the owner
// value, the permissions (four bytes, least significant first), the document
// ID and, at revision 4 without metadata encryption, four 0xFF bytes; from
// revision 3 on, 50 more MD5 rounds over the first KeyBytes bytes; the first
// KeyBytes bytes of the digest.
std::string ComputeFileKey(std::string_view password, const Md5KeyInputs& inputs);

// The user value the file key reproduces: 32 bytes at revision 2, 16 bytes
// (the part that counts) from revision 3 on.
std::string ComputeUserValue(std::string_view fileKey, int32_t revision,
                             std::string_view documentId);

// Whether the computed user value matches the stored one ("/u"): all 32
// bytes at revision 2, the first 16 from revision 3 on.
bool UserValueMatches(std::string_view computed, std::string_view stored, int32_t revision);

// The RC4 key made from the owner password: MD5 of the padded password, from
// revision 3 on 50 more MD5 rounds over the first KeyBytes bytes (as for the
// file key; qpdf, poppler and MuPDF agree on this for keys below 128 bits),
// its first KeyBytes bytes (5 at revision 2).
std::string OwnerPasswordKey(std::string_view ownerPassword, int32_t revision, size_t keyBytes);

// The padded user password hidden in the owner value, recovered with the
// owner password: RC4 with the owner password key, from revision 3 on 20
// passes with the key XOR 19 down to 0.
std::string RecoverUserPassword(std::string_view ownerPassword, std::string_view owner,
                                int32_t revision, size_t keyBytes);

} // namespace scrivlet
