#include "pdf/security/DocumentSecurity.h"

#include "pdf/security/EncryptionDictionaryReader.h"
#include "pdf/security/StandardSecurityHandler.h"

#include <memory>

namespace scrivlet {

void UnlockDocument(pdf::PdfDocument& document, std::string_view password) {
  if (!document.IsEncrypted())
    return;
  const EncryptionDictionary values =
      ReadEncryptionDictionary(document.EncryptDictionary(), &document);
  document.SetDecryptor(
      std::make_unique<StandardSecurityHandler>(values, document.FirstId(), password));
}

} // namespace scrivlet
