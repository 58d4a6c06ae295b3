// The described output of a document: the output list of plain text, RTF
// or HTML that each format's conversion has always given (prologue, the
// text in the format's own mark-up, epilogue), and the lists of the stories
// beside the main text.
#pragma once

#include "core/DateTime.h"
#include "core/StoryLists.h"
#include "core/TextLines.h"
#include "document/Document.h"
#include "writers/Markup.h"

#include <cstdint>

namespace scrivlet {

struct DescribedOutputOptions {
  OutputFormat format = OutputFormat::PlainText;
  // Characters the main list may keep; 0 or less for no limit.
  int32_t maxTextLength = 0;
  // false: the format's control characters were kept as they stand.
  bool convertControlCharacters = true;
  // The code page number the RTF and HTML prologues declare.
  int codePage = 65001;
  // Whether the footnotes and endnotes follow the main text.
  bool notes = true;
  // The creation time of the RTF prologue.
  DateTimeFields created;
};

// The main story's output list, with prologue and epilogue.
TextLines DescribedLines(const Document& document, const DescribedOutputOptions& options);

// The lists of the other stories (notes, headers, footers, comments, text
// boxes, macros).
StoryLists DescribedStories(const Document& document, const DescribedOutputOptions& options);

} // namespace scrivlet
