// A reader as the tests drive it: settings set one by one, a document
// loaded from a stream or a file, then the output list, the summary record
// and the story lists to look at.  Underneath it is the programs' own path:
// the reader fills a Document, the described writers give the lists.
//
// A failed load publishes what was read before the failure, then raises
// the failure again, so that a test can look at both.
#pragma once

#include "core/DocumentSummary.h"
#include "core/Limits.h"
#include "writers/Markup.h"
#include "core/ReaderOptions.h"
#include "core/StoryLists.h"
#include "core/TextLines.h"
#include "document/Document.h"
#include "readers/common/ReaderKind.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace scrivlet {

class Stream;
class DocReader;
class DocxReader;
class EpubReader;
class FictionBookReader;
class OpenDocumentPresentationReader;
class OpenDocumentTextReader;
class PdfReader;
class WordPerfectReader;
class WriteReader;

namespace test {

// The registry entry of a reader class: what its format keeps (a summary
// record, stories of its own).
template <class Reader> const ReaderKind& KindOf();
template <> const ReaderKind& KindOf<DocReader>();
template <> const ReaderKind& KindOf<DocxReader>();
template <> const ReaderKind& KindOf<EpubReader>();
template <> const ReaderKind& KindOf<FictionBookReader>();
template <> const ReaderKind& KindOf<OpenDocumentPresentationReader>();
template <> const ReaderKind& KindOf<OpenDocumentTextReader>();
template <> const ReaderKind& KindOf<PdfReader>();
template <> const ReaderKind& KindOf<WordPerfectReader>();
template <> const ReaderKind& KindOf<WriteReader>();

// What every harness does whatever its reader; ReaderHarness<Reader> adds
// the reader.  Tests that run several formats alike hold this type.
class ReaderHarnessBase {
public:
  explicit ReaderHarnessBase(const ReaderKind& kind) : FKind(kind) {}
  virtual ~ReaderHarnessBase() = default;
  ReaderHarnessBase(const ReaderHarnessBase&) = delete;
  ReaderHarnessBase& operator=(const ReaderHarnessBase&) = delete;

  // --- settings, taken by the next load
  void SetTextFormating(OutputFormat format) { FFormat = format; }
  OutputFormat TextFormating() const { return FFormat; }
  // Characters the output list may keep; 0 or less for no limit.
  void SetMaxTextLength(int32_t length) { FMaxTextLength = length; }
  int32_t MaxTextLength() const { return FMaxTextLength; }
  void SetParseItems(ContentItems items) { FItems = items; }
  ContentItems ParseItems() const { return FItems; }
  void SetConvertSysCharacters(bool convert) { FConvert = convert; }
  void SetPassword(std::string password) { FPassword = std::move(password); }
  void SetResourceLimits(const Limits& limits) { FLimits = limits; }
  // The name the reader gets (messages show it; an empty name or "-" is a
  // stream).  LoadFromFile leaves it as it is: a test names the file as a
  // front end would.
  void SetFileName(std::string name) { FFileName = std::move(name); }
  const std::string& FileName() const { return FFileName; }

  // --- loading
  // The rest of the stream is the document.
  void LoadFromStream(Stream& stream);
  // The whole file; "File %s is not found." when there is none (the lists
  // of the previous load then stay).
  void LoadFromFile(const std::string& fileName);

  // --- what the last load gave
  const TextLines& Lines() const { return FLines; }
  // The summary record; nullptr for formats that record none.
  const DocumentSummary* SummaryInformation() const {
    return FKind.keepsSummary ? &FDocument.summary : nullptr;
  }
  // The stories beside the main text; nullptr for formats that keep none
  // apart (all but the Word formats).
  const StoryLists* Stories() const { return FKind.keepsStories ? &FStories : nullptr; }
  bool IsEncrypted() const { return FEncrypted; }
  // Whether the output list was cut to MaxTextLength.
  bool TextLimited() const { return FTextLimited; }

protected:
  // Reads bytes into document with the harness's reader.
  virtual void Read(std::string_view bytes, const ReaderOptions& options, Document& document) = 0;
  virtual bool ReaderSaysEncrypted() const = 0;

private:
  void Load(std::string_view bytes);
  ReaderOptions Options() const;
  void Publish(Document document);

  const ReaderKind& FKind;
  OutputFormat FFormat = OutputFormat::PlainText;
  int32_t FMaxTextLength = 0;
  ContentItems FItems{ContentItem::Text, ContentItem::Summary};
  bool FConvert = true;
  std::string FPassword;
  Limits FLimits;
  std::string FFileName;

  Document FDocument;
  TextLines FLines;
  StoryLists FStories;
  bool FEncrypted = false;
  bool FTextLimited = false;
};

template <class Reader> class ReaderHarness : public ReaderHarnessBase {
public:
  ReaderHarness() : ReaderHarnessBase(KindOf<Reader>()) {}

  // The reader itself, for what it keeps beside the document.
  Reader& Inner() { return FReader; }

private:
  void Read(std::string_view bytes, const ReaderOptions& options, Document& document) override {
    FReader.Read(bytes, FileName(), options, document);
  }
  bool ReaderSaysEncrypted() const override { return FReader.IsEncrypted(); }

  Reader FReader;
};

} // namespace test
} // namespace scrivlet
