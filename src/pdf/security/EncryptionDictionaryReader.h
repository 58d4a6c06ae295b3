// Reads the values of an encryption dictionary from its text with the PDF
// engine's object operations.
#pragma once

#include "pdf/ObjectText.h"
#include "pdf/security/EncryptionDictionary.h"

#include <string_view>

namespace scrivlet {

// The values of the dictionary's inside (between "<<" and ">>").  Names
// are lower-cased; strings give their bytes (the encryption dictionary's own
// strings are never encrypted); "/cf" entries written as references are
// followed through the resolver.
EncryptionDictionary ReadEncryptionDictionary(std::string_view dictionary,
                                              const pdf::ObjectResolver* resolver);

} // namespace scrivlet
