// A document's first page, where the format knows its pages: the text up to
// the first hard page break (the pages of a PDF, the page breaks a word
// processor records) or, in a presentation, the first slide.
#pragma once

#include "document/Document.h"

namespace scrivlet {

// Cuts the main text after its first page and keeps only the notes that the
// kept text refers to.  Returns false, leaving the document as it is, when
// the main text records no page or slide boundary after some text.
bool KeepFirstPage(Document& document);

} // namespace scrivlet
