// The JSON view of a conversion for scripts: one object per document.
#pragma once

#include "core/DateTime.h"
#include "core/DocumentSummary.h"
#include "core/StoryLists.h"
#include "core/TextLines.h"
#include "document/Document.h"

#include <string>
#include <string_view>

namespace scrivlet {

// Writes a UTF-16 text as a JSON string literal in UTF-8.
std::string JsonString(std::u16string_view text);

// A date of the summary record as ISO 8601 local date-time text
// ("2005-05-12T14:20:00"), or null for the zero date and dates out of the
// calendar's range.
std::string JsonDate(OleDate date);

// The summary record as a JSON object (each property by its name: strings
// as text, counts as integers, dates as ISO 8601), or "null".
std::string JsonSummary(const DocumentSummary* summary);

// The text of a line list with LF line breaks: each entry followed by LF,
// every CR LF and lone CR inside an entry turned into LF.
std::u16string TextWithLineFeeds(std::u16string_view text);
// The same in place.
void ToLineFeeds(std::u16string& text);

// What the object says besides the document.
struct JsonConversion {
  std::string_view file;       // the path as given, bytes of the code page
  std::string_view readerName; // as --reader spells it
  bool encrypted = false;
  bool failed = false;
  std::string error; // bytes of the code page
  int codePage = 65001;
  // The lines are RTF: the text is written as RTF output is, in ASCII.
  bool rtf = false;
  // Whether the notes were asked for ("notes" is empty otherwise).
  bool notes = true;
  // The characters of text that "blocks" and "notes" may show together,
  // as --max-length gives it; 0 or less for no limit.
  int32_t maxTextLength = 0;
};

// The object of one document, on one line, ending with LF: "blocks" is the
// structure of its main story, "notes" its notes in order of reference;
// lines is the
// described output list of its main text, summary its format's record
// (nullptr for formats that record none), stories the lists of its other
// stories (nullptr for the formats that keep none apart).
std::string JsonDocument(const Document& document, const TextLines& lines,
                         const DocumentSummary* summary, const StoryLists* stories,
                         const JsonConversion& conversion);

// The object of a document whose conversion ended without a reader to
// describe (its process died, or it could not start): reader null, no text.
// file is in bytes of the code page.
std::string JsonFailure(std::string_view file, std::string_view utf8Error, int codePage = 65001);

} // namespace scrivlet
