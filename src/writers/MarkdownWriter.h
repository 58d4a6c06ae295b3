// The document as Markdown: CommonMark with the GitHub extensions (pipe
// tables, ~~strike~~, [^n] notes), built as a cmark-gfm node tree and
// written by its renderer, so that every character of the document's text
// that Markdown would read as mark-up is escaped by construction.
#pragma once

#include "core/Limits.h"
#include "document/Document.h"

#include <cstdint>
#include <string>

namespace scrivlet {

struct MarkdownOptions {
  bool summary = false; // title, author and dates as YAML front matter
  bool notes = true;    // [^n] references, their definitions at the end
  bool macros = false;  // the macro listings as code blocks after the text
  // The characters of text shown, as --max-length gives it; 0 no limit.
  int32_t maxTextLength = 0;
  // The output limit: the characters the Markdown may hold, each node of
  // the tree it is built as counted besides its text while it lives.
  uint64_t outputCharacters = Limits().outputCharacters;
};

// The Markdown of the document's main story, in UTF-8 with LF line breaks.
// Past the output limit it raises LimitExceeded.
std::string MarkdownDocument(const Document& document, const MarkdownOptions& options);

} // namespace scrivlet
