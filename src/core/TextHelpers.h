// Small text helpers shared by the XML engine and the XML-based readers:
// UTF-8 decoding, character entities and numeric references, ISO date
// stamps, "."-decimal numbers, the ZIP signature test and name comparison.
#pragma once

#include "core/DateTime.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace scrivlet {

// Decodes sourceBytes bytes of UTF-8 into dest, which has room for
// maxDestChars units including a terminating zero unit.  Returns the units
// written plus one, or 0 when source is absent.  With no dest it only
// counts.  Characters above U+FFFF become surrogate pairs; a malformed
// sequence becomes U+FFFD and the rest of the text is kept.
int64_t Utf8ToWide(char16_t* dest, size_t maxDestChars, const char* source, size_t sourceBytes);

// A whole UTF-8 byte string as UTF-16 text.
std::u16string DecodeUtf8Text(std::string_view bytes);

// Replaces every occurrence of entity, together with a ";" right after it,
// by replacement.  A replacement that forms the entity again with the text
// around it is replaced again, as if the search restarted at the start
// after each replacement ("&amp;amp" gives "&").  Linear time.
void ReplaceEntity(std::u16string_view entity, std::u16string_view replacement,
                   std::u16string& text);

// Replaces numeric character references ("&#65;", "&#x42;", "&#X43") by
// their characters; values from U+10000 to U+10FFFF become surrogate pairs.
// 65535, values past U+10FFFF and "&#" without digits stay as written.
void DecodeNumericEntities(std::u16string& text);

// The named entities of the documents' texts, in their fixed order, then
// the numeric references.
void DecodeEntities(std::u16string& text);

// "YYYY-MM-DDTHH:MM:SS" (anything after the seconds ignored) as a date-time
// value; 0 for an empty or invalid stamp.
OleDate XmlDateToDateTime(std::u16string_view text);

// A decimal number with "." as decimal point; defaultValue when the text is
// not one.
double DotStrToFloat(std::u16string_view text, double defaultValue);

// Whether the file starts with the ZIP local-header signature "PK\3\4".
// Raises FileOpenError when the file cannot be opened.
bool IsZipFile(const std::u16string& fileName);

// Equality of two names, exact or ignoring letter case.
bool SameNameText(bool caseSensitive, std::u16string_view a, std::u16string_view b);

} // namespace scrivlet
