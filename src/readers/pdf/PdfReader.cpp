#include "readers/pdf/PdfReader.h"

#include "core/CodePage.h"
#include "core/DateTime.h"
#include "core/Exception.h"
#include "core/Stream.h"
#include "pdf/DocumentInfo.h"
#include "pdf/PageTree.h"
#include "pdf/PdfDocument.h"
#include "pdf/content/DocumentText.h"
#include "pdf/security/DocumentSecurity.h"
#include "readers/pdf/PdfBlocks.h"

#include <algorithm>
#include <limits>
#include <vector>

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

pdf::PdfDocument::Limits PdfReader::DecodingLimits(const Limits& limits) {
  pdf::PdfDocument::Limits decoding;
  if (limits.decodedBytesPerStream > decoding.StreamCap)
    decoding.StreamCap = static_cast<size_t>(
        std::min<uint64_t>(limits.decodedBytesPerStream, std::numeric_limits<size_t>::max()));
  decoding.DocumentBudget = std::max(decoding.DocumentBudget, limits.decodedBytesPerDocument);
  decoding.WorkPerInputByte = limits.workPerInputByte;
  decoding.WorkFloor = limits.workFloor;
  decoding.MemoryPerInputByte = limits.memoryPerInputByte;
  decoding.MemoryFloor = limits.memoryFloor;
  return decoding;
}

// What the security handler raises when no password opens the document.
constexpr std::string_view kSecurityHandlerRefusal = "Password is not valid";

void PdfReader::Parse(std::string_view bytes) {
  Doc().markup = MarkupConvention::Pdf;
  FEncrypted = false;
  FPageCount = 0;
  Summary(); // a PDF always has a summary record, empty when it has no Info
  pdf::PdfDocument document(std::string(bytes), DecodingLimits(ResourceLimits()));
  FEncrypted = document.IsEncrypted();
  // An encrypted document opens with its user or owner password; when
  // neither matches, the message says, as for the other formats, that the
  // document needs a password and how to give one, or that the one given
  // is not valid.
  try {
    UnlockDocument(document, Password());
  } catch (const Exception& error) {
    if (FEncrypted && error.Message() == kSecurityHandlerRefusal)
      throw PasswordError(FileName(), !Password().empty());
    throw;
  }
  const bool summary = ParseItems().Contains(ContentItem::Summary);
  if (summary)
    ReadSummary(document);
  const bool text = ParseItems().Contains(ContentItem::Text);
  Doc().textStarted = text;
  // Each page's text is one entry, an empty one for a page without text.
  // Strings of fonts without an encoding of their own are read in the
  // host's code page when it is not UTF-8 (0: none).
  const int systemCodePage = Options().systemCodePage;
  pdf::DocumentText pageText(document, systemCodePage == 65001 ? 0 : systemCodePage,
                             ResourceLimits().decodedBytesPerDocument);
  bool anyContents = false;
  // The lines of every page first: the body size and the heading levels
  // are the document's, not a page's.  What their blocks will surely
  // output is counted as they come: a document past the output limit ends
  // there, not after every page has been laid out (a thousand pages
  // showing one stream of dense text took seconds a page).
  std::vector<std::vector<pdf::PageLine>> pages;
  TextSizes sizes;
  uint64_t charactersKept = 0;
  pdf::WalkPages(
      document,
      [&](pdf::PdfPage& page) {
        ++FPageCount;
        anyContents = anyContents || !page.Contents.empty();
        if (text) {
          pages.push_back(pageText.PageLines(page));
          sizes.Count(pages.back());
          charactersKept += CharactersKept(pages.back());
          if (charactersKept > OutputCharactersLeft())
            throw LimitExceeded("output characters", ResourceLimits().outputCharacters);
        }
      },
      text);
  sizes.Decide();
  std::vector<Block> blocks;
  for (size_t i = 0; i < pages.size(); ++i) {
    blocks.clear();
    AddPageBlocks(static_cast<int32_t>(i + 1), pages[i], sizes, blocks);
    std::vector<pdf::PageLine>().swap(pages[i]);
    for (Block& block : blocks)
      AddBlock(Doc().Main(), std::move(block));
  }
  if (summary)
    Summary().PageCount = static_cast<int32_t>(FPageCount);
  // A file whose structure had to be rebuilt and whose pages then hold
  // nothing to read is damaged, not an empty document: say so rather than
  // give blank pages as a success.
  if (text && document.Repaired() && !anyContents)
    throw Exception("The document is damaged: no page has readable contents");
}

void PdfReader::ReadSummary(const pdf::PdfDocument& document) {
  pdf::DocumentInfo info = pdf::ReadDocumentInfo(document);
  DocumentSummary& summary = Summary();
  summary.Title = info.Title;
  summary.Author = info.Author;
  summary.Subject = info.Subject;
  summary.Keywords = info.Keywords;
  summary.AppName = info.Producer;
  summary.Created = ToOleDate(info.Created);
  summary.LastSaved = ToOleDate(info.Modified);
}

} // namespace scrivlet
