// The document information dictionary (the trailer's /Info): title,
// author, subject, keywords, creator, producer and the two dates.
#pragma once

#include "pdf/PdfDocument.h"

#include <optional>
#include <string>
#include <string_view>

namespace scrivlet::pdf {

// A date as written "D:YYYYMMDDHHmmSS" (the zone is not kept).
struct PdfDate {
  int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
  bool operator==(const PdfDate&) const = default;
};

struct DocumentInfo {
  std::u16string Title, Author, Subject, Keywords, Creator, Producer;
  std::optional<PdfDate> Created, Modified;
};

// Reads the fixed positions of a PDF date: year, month, day, hour, minute,
// second.  nullopt when any of them is missing or out of range.
std::optional<PdfDate> ParsePdfDate(std::string_view text);

// The raw bytes of one Info entry: the string (decrypted when the document
// is encrypted), or the string held by the object it refers to.
std::optional<std::string> ReadInfoString(const PdfDocument& document, const IndirectObject& info,
                                          std::string_view key);

// The Info dictionary of the document (all empty when it has none).
DocumentInfo ReadDocumentInfo(const PdfDocument& document);

} // namespace scrivlet::pdf
