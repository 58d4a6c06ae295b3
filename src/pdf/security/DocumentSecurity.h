// Where a PDF document meets its security handler: an encrypted document
// gets the standard security handler for its "/encrypt" dictionary, its
// first "/id" string and the password the reader was given.
#pragma once

#include "pdf/PdfDocument.h"

#include <string_view>

namespace scrivlet {

// Gives an encrypted document its decryptor (nothing happens for a document
// without "/encrypt").  Raises the handler's messages, "Password is not
// valid" among them, when the document cannot be opened.
void UnlockDocument(pdf::PdfDocument& document, std::string_view password);

} // namespace scrivlet
