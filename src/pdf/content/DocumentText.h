// The text of a document's pages: runs each page's content stream with the
// fonts and forms of its resources and lays the text items out in lines.
//
// Fonts are read once per font object and kept for the document; form
// contents are decoded once.  A form's "/Resources" stand in front of the
// ones of whatever shows the form (fonts missing there are looked up in the
// caller's resources, as older writers rely on).
#pragma once

#include "core/Limits.h"
#include "pdf/PageTree.h"
#include "pdf/PdfDocument.h"
#include "pdf/content/PageText.h"
#include "pdf/content/TextCollector.h"
#include "pdf/fonts/CharacterCollections.h"
#include "pdf/fonts/Font.h"
#include "pdf/fonts/FontLoader.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace scrivlet::pdf {

class DocumentText {
public:
  // legacyCodePage: see FontContext (0 for the UTF-8 system code page);
  // formBudget: bytes of form content the document's pages may run, each
  // run counted again (the decoded bytes of a document).
  explicit DocumentText(const PdfDocument& document, int legacyCodePage = 0,
                        uint64_t formBudget = Limits{}.decodedBytesPerDocument);
  ~DocumentText();
  DocumentText(const DocumentText&) = delete;
  DocumentText& operator=(const DocumentText&) = delete;

  // The text of a page whose Contents the page-tree walk has filled: lines
  // separated by CR LF.
  std::u16string PageText(const PdfPage& page);
  // The same as lines in reading order, with their places and sizes.
  std::vector<PageLine> PageLines(const PdfPage& page);

  // The font records made so far (fonts alike share one).
  size_t FontRecordCount() const { return FRecords.size(); }

  // The text of a content stream under a resources dictionary's inside.
  std::u16string ContentText(std::string_view content, std::string_view resources);

private:
  class Resources;
  class EntryIndex;
  struct ResourceIndex;
  struct FormObject;

  Resources& PageResources(const PdfPage& page);
  ResourceIndex& IndexOf(std::string_view dictionary, const IndirectObject& holder);
  void Index(std::string_view dictionary, const IndirectObject& holder, ResourceIndex& index,
             bool documentText);
  EntryIndex& SubdictionaryIndex(std::string_view dictionary, bool byReference, EntryIndex& own,
                                 bool documentText);
  const Font* FontOf(std::string_view value, const IndirectObject& holder);
  const Font* RecordOf(const FontDescription& description);
  const FormObject& FormObjectOf(uint32_t objectNumber);

  const PdfDocument& FDocument;
  CharacterCollections FCollections;
  FontContext FContext;
  SharedFontArrays FSharedArrays;
  // Font records, and each font's (by object, or where its inline text
  // lies), and the records that may be shared by their keys.
  std::vector<std::unique_ptr<Font>> FRecords;
  std::unordered_map<uint64_t, const Font*> FFonts;
  std::unordered_map<std::string, const Font*> FRecordsByKey;
  std::unordered_map<uint32_t, std::unique_ptr<FormObject>> FForms; // read once
  // Indexes of resources dictionaries by where their text lies in memory.
  std::map<std::pair<const char*, size_t>, std::unique_ptr<ResourceIndex>> FResourceIndexes;
  // Indexes of font and form subdictionaries, likewise, and the
  // dictionaries that references lead to, by object number.
  std::map<std::pair<const char*, size_t>, std::unique_ptr<EntryIndex>> FEntryIndexes;
  std::unordered_map<uint32_t, std::string_view> FKnownDictionaries;
  // Page resources, likewise.
  std::map<std::pair<const char*, size_t>, std::unique_ptr<Resources>> FPageResources;
  FormBudget FFormBudget; // content of forms run, all pages
};

// Calls addPage with the text of each page the page-tree walk reaches, in
// page order (an empty text for a page without text); legacyCodePage as
// DocumentText takes it (0: none, the UTF-8 default).
void ForEachPageText(const PdfDocument& document,
                     const std::function<void(const std::u16string&)>& addPage,
                     int legacyCodePage = 0);

} // namespace scrivlet::pdf
