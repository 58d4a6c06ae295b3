// The document page: the document as a standalone HTML5 page in UTF-8, its
// structure as HTML's own elements (headings, paragraphs, lists, tables,
// quotes, notes), with a small built-in stylesheet and no script.  Unlike
// the described HTML output, which reproduces what each format's own
// conversion wrote, the page is meant for reading.
#pragma once

#include "document/Document.h"

#include <cstdint>
#include <string>

namespace scrivlet {

struct PageOptions {
  std::u16string fileName; // the page's title when the document has none
  bool summary = true;     // author and dates under the title
  bool notes = true;       // note references and the notes section
  bool macros = false;     // the macro listings
  bool headers = false;    // the headers and footers
  bool comments = false;   // the comments
  // The characters of text shown, as --max-length gives it; 0 no limit.
  int32_t maxTextLength = 0;
  // A site's own mark-up, written as it stands: at the end of the head (a
  // stylesheet, a meta line) and at the end of the body (a footer).
  std::string siteHead;
  std::string siteEnd;
};

std::string PageDocument(const Document& document, const PageOptions& options);

// A page of the same look that shows no document but says why: the
// message as its heading, then extraHtml (mark-up of the caller's own,
// such as a form).  title names the page.
std::string MessagePage(std::u16string_view title, std::u16string_view message,
                        std::string_view extraHtml, const PageOptions& options);

// Document text as HTML text or attribute value, in UTF-8: "&", "<", ">"
// and the double quote as references, the control characters HTML does
// not allow and unpaired surrogates as U+FFFD.
void AppendHtmlText(std::string& out, std::u16string_view text);

} // namespace scrivlet
