#include "readers/pdf/PdfReader.h"

#include "core/CodePage.h"
#include "core/DateTime.h"
#include "core/Exception.h"
#include "core/Stream.h"
#include "pdf/DocumentInfo.h"
#include "pdf/PageTree.h"
#include "pdf/PdfDocument.h"

namespace scrivlet {

namespace {

OleDate ToOleDate(const std::optional<pdf::PdfDate>& date) {
  if (!date)
    return 0;
  DateTimeFields fields;
  fields.year = date->Year;
  fields.month = date->Month;
  fields.day = date->Day;
  fields.hour = date->Hour;
  fields.minute = date->Minute;
  fields.second = date->Second;
  OleDate value = 0;
  return TryEncodeDateTime(fields, value) ? value : 0;
}

} // namespace

void PdfReader::Clear() {
  DocumentReader::Clear();
  Summary().Clear();
  FEncrypted = false;
  FPageCount = 0;
}

void PdfReader::ParseStream(Stream& stream) {
  DocumentReader::ParseStream(stream);
  pdf::PdfDocument document(stream.ReadAllBytes());
  FEncrypted = document.IsEncrypted();
  // The security handler plugs in here (document.SetDecryptor); until a
  // document has one, its strings and streams cannot be read.
  if (FEncrypted && !document.Decryptor())
    throw Exception("Could not read the password protected file");
  const bool summary = ParseItems().Contains(ContentItem::Summary);
  if (summary)
    ReadSummary(document);
  const bool text = ParseItems().Contains(ContentItem::Text);
  if (text)
    AddText(GetHeaderText(), OutputLines());
  pdf::WalkPages(
      document,
      [&](pdf::PdfPage& page) {
        ++FPageCount;
        if (!text)
          return;
        std::u16string pageText = PageText(document, page);
        if (!pageText.empty())
          AddText(std::move(pageText), OutputLines());
      },
      text);
  if (summary)
    Summary().PageCount = static_cast<int32_t>(FPageCount);
  if (text)
    AddText(GetFooterText(), OutputLines());
}

void PdfReader::ReadSummary(const pdf::PdfDocument& document) {
  pdf::DocumentInfo info = pdf::ReadDocumentInfo(document);
  DocumentSummary& summary = Summary();
  summary.Title = WideToAnsi(info.Title);
  summary.Author = WideToAnsi(info.Author);
  summary.Subject = WideToAnsi(info.Subject);
  summary.Keywords = WideToAnsi(info.Keywords);
  summary.AppName = WideToAnsi(info.Producer);
  summary.Created = ToOleDate(info.Created);
  summary.LastSaved = ToOleDate(info.Modified);
}

std::u16string PdfReader::PageText(const pdf::PdfDocument&, const pdf::PdfPage&) {
  // Page text (fonts, content streams, layout) comes with the page-text
  // layer; until then pages are walked and counted only.
  return {};
}

} // namespace scrivlet
