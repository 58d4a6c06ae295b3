#include "pdf/DocumentInfo.h"

#include "pdf/TextString.h"

namespace scrivlet::pdf {

namespace {

bool ReadField(std::string_view text, size_t pos, size_t digits, int low, int high, int& field) {
  if (pos + digits > text.size())
    return false;
  int value = 0;
  for (size_t i = pos; i < pos + digits; ++i) {
    if (text[i] < '0' || text[i] > '9')
      return false;
    value = value * 10 + (text[i] - '0');
  }
  if (value < low || value > high)
    return false;
  field = value;
  return true;
}

std::u16string TextOf(const PdfDocument& document, const IndirectObject& info,
                      std::string_view key) {
  std::optional<std::string> bytes = ReadInfoString(document, info, key);
  return bytes ? DecodeTextString(*bytes) : std::u16string();
}

std::optional<PdfDate> DateOf(const PdfDocument& document, const IndirectObject& info,
                              std::string_view key) {
  std::optional<std::string> bytes = ReadInfoString(document, info, key);
  if (!bytes)
    return std::nullopt;
  std::u16string wide = DecodeTextString(*bytes);
  std::string ascii;
  for (char16_t c : wide)
    ascii += c < 0x80 ? static_cast<char>(c) : '?';
  return ParsePdfDate(Trim(ascii));
}

} // namespace

std::optional<PdfDate> ParsePdfDate(std::string_view text) {
  if (text.empty() || (text[0] != 'D' && text[0] != 'd'))
    return std::nullopt;
  PdfDate date;
  // "D:" then the fields at fixed places.
  if (!ReadField(text, 2, 4, 0, 9999, date.Year) || !ReadField(text, 6, 2, 1, 12, date.Month) ||
      !ReadField(text, 8, 2, 1, 31, date.Day) || !ReadField(text, 10, 2, 0, 23, date.Hour) ||
      !ReadField(text, 12, 2, 0, 59, date.Minute) || !ReadField(text, 14, 2, 0, 59, date.Second))
    return std::nullopt;
  return date;
}

std::optional<std::string> ReadInfoString(const PdfDocument& document, const IndirectObject& info,
                                          std::string_view key) {
  size_t pos = FindKey(info.Dictionary, key);
  if (pos == std::string_view::npos)
    return std::nullopt;
  std::string_view value = info.Dictionary.substr(pos + key.size());
  if (auto bytes = DecodeStringToken(value))
    return document.DecryptString(*bytes, info);
  // An indirect string: the object holds it.
  if (auto ref = ReferenceAt(value)) {
    IndirectObject holder = document.Object(ref->Number);
    if (auto bytes = DecodeStringToken(holder.Body()))
      return document.DecryptString(*bytes, holder);
  }
  return std::nullopt;
}

DocumentInfo ReadDocumentInfo(const PdfDocument& document) {
  DocumentInfo result;
  std::optional<ObjectRef> ref = document.Info();
  if (!ref)
    return result;
  IndirectObject info = document.Object(ref->Number);
  if (info.Dictionary.empty())
    return result;
  result.Title = TextOf(document, info, "/title");
  result.Author = TextOf(document, info, "/author");
  result.Subject = TextOf(document, info, "/subject");
  result.Keywords = TextOf(document, info, "/keywords");
  result.Creator = TextOf(document, info, "/creator");
  result.Producer = TextOf(document, info, "/producer");
  result.Created = DateOf(document, info, "/creationdate");
  result.Modified = DateOf(document, info, "/moddate");
  return result;
}

} // namespace scrivlet::pdf
