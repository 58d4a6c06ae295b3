// The document summary record: title, author, dates and counts of a
// document, filled by every reader that finds such metadata.  It also knows
// how to store one property of an OLE property set ("SummaryInformation"
// and "DocumentSummaryInformation" streams) given its identifier.
#pragma once

#include "core/DateTime.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace scrivlet {

class DocumentSummary {
public:
  // Strings are text (UTF-16); dates are date-time values (days since
  // 1899-12-30).
  std::u16string AppName;
  std::u16string Author;
  int32_t CharCount = 0;
  std::u16string Comments;
  OleDate Created = 0;
  int32_t EditTime = 0; // editing time in whole minutes
  std::u16string Keywords;
  std::u16string LastAuthor;
  OleDate LastPrinted = 0;
  OleDate LastSaved = 0;
  int32_t PageCount = 0;
  std::u16string RevNumber;
  std::u16string Subject;
  std::u16string Template;
  std::u16string Title;
  int32_t WordCount = 0;
  std::u16string Category;
  std::u16string PresentationTarget;
  int32_t ByteCount = 0;
  int32_t LineCount = 0;
  int32_t ParagraphCount = 0;
  int32_t SlideCount = 0;
  int32_t NoteCount = 0;
  int32_t HiddenSlideCount = 0;
  int32_t MMClipCount = 0;
  std::u16string Manager;
  std::u16string Company;
  int32_t CharCount2 = 0;

  void Assign(const DocumentSummary& source) { *this = source; }
  void Clear() { *this = DocumentSummary(); }

  // Stores one property-set property.  value holds a 32-bit little-endian
  // integer for counts, the 8 bytes of a file time for dates and EditTime,
  // and a zero-terminated UTF-8 string for strings.  documentSummary chooses
  // the DocumentSummaryInformation identifiers.  Unknown identifiers are
  // ignored.
  void SetProperty(uint32_t id, std::string_view value, bool documentSummary);
  // Stores one string property, its text up to a NUL.
  void SetText(uint32_t id, std::u16string_view text, bool documentSummary);

  // One property as the record publishes it.
  struct Property {
    const char* name;
    uint32_t summaryId;         // SummaryInformation identifier, or 0
    uint32_t documentSummaryId; // DocumentSummaryInformation identifier, or 0
    std::variant<std::u16string DocumentSummary::*, int32_t DocumentSummary::*,
                 OleDate DocumentSummary::*>
        field;
  };
  // Every property, in declaration order.
  static const std::array<Property, 28>& Properties();
};

} // namespace scrivlet
