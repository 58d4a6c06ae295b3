// The standard security handler of PDF: checks the encryption dictionary,
// authenticates the password once (as user password, then as owner
// password) and keeps the file key, then decrypts the strings and streams
// of every object with the methods of the dictionary's versions 1 to 5.
#pragma once

#include "pdf/ObjectDecryptor.h"
#include "pdf/security/CryptMethod.h"
#include "pdf/security/EncryptionDictionary.h"

#include <string>
#include <string_view>

namespace scrivlet {

class StandardSecurityHandler : public ObjectDecryptor {
public:
  // Checks the dictionary and authenticates the password against it, with
  // the first string of the document's "/id" (empty when it has none).
  // Raises Exception with the handler's messages: "Password is not valid"
  // when neither password matches, and those of an unusable dictionary.
  StandardSecurityHandler(const EncryptionDictionary& dictionary, std::string_view documentId,
                          std::string_view password);

  std::string DecryptString(std::string_view bytes, uint32_t objectNumber,
                            uint16_t generation) const override;
  std::string DecryptStream(std::string_view bytes, uint32_t objectNumber,
                            uint16_t generation) const override;

  const std::string& FileKey() const { return FFileKey; }
  CryptMethod StringMethod() const { return FStringMethod; }
  CryptMethod StreamMethod() const { return FStreamMethod; }
  // False when "/encryptmetadata false" leaves the metadata streams clear.
  bool EncryptsMetadata() const { return FEncryptMetadata; }
  bool OpenedWithOwnerPassword() const { return FOwnerPassword; }

private:
  void ChooseMethods(const EncryptionDictionary& dictionary);
  void AuthenticateMd5(const EncryptionDictionary& dictionary, std::string_view documentId,
                       std::string_view password);
  void AuthenticateSha2(const EncryptionDictionary& dictionary, std::string_view password);

  std::string FFileKey;
  size_t FKeyBytes = 5;
  CryptMethod FStringMethod = CryptMethod::Rc4;
  CryptMethod FStreamMethod = CryptMethod::Rc4;
  bool FEncryptMetadata = true;
  bool FOwnerPassword = false;
};

} // namespace scrivlet
