// The reader base class: a reader turns the bytes of one document into a
// Document.  It reads; it never formats: writers do that.
#pragma once

#include "core/ReaderOptions.h"
#include "core/WorkBudget.h"
#include "document/Document.h"

#include <string>
#include <string_view>

namespace scrivlet {

class DocumentReader {
public:
  DocumentReader() = default;
  virtual ~DocumentReader() = default;
  DocumentReader(const DocumentReader&) = delete;
  DocumentReader& operator=(const DocumentReader&) = delete;

  // Reads the document that bytes hold into document; name is the file's
  // name, as messages show it.  A failure raises an Exception; what was
  // read before it stays in document.  bytes must outlive the call only.
  void Read(std::string_view bytes, const std::string& name, const ReaderOptions& options,
            Document& document);

  // Whether the document read last is encrypted.
  virtual bool IsEncrypted() const { return false; }

protected:
  // The format's own reading, called by Read with the options and the
  // document in place.
  virtual void Parse(std::string_view bytes) = 0;

  const ReaderOptions& Options() const { return *FOptions; }
  ContentItems ParseItems() const { return FOptions->items; }
  const Limits& ResourceLimits() const { return FOptions->limits; }
  bool ConvertSysCharacters() const { return FOptions->convertControlCharacters; }
  const std::string& Password() const { return FOptions->password; }
  int TextCodePage() const { return FOptions->textCodePage; }
  const std::string& FileName() const { return *FFileName; }

  Document& Doc() { return *FDocument; }
  // The document's summary record, which from then on the document has.
  DocumentSummary& Summary();
  // Appends a block to a story, counting its text against the output
  // limit and the block against the records kept (LimitExceeded past
  // either).
  Block& AddBlock(Story& story, Block block);
  // Counts characters of text against the output limit.
  void CountOutput(size_t characters);
  // The characters the output may still take.
  uint64_t OutputCharactersLeft() const;
  // The document's work and memory budget, sized from its bytes.
  WorkBudget& Budget() { return FBudget; }

private:
  const ReaderOptions* FOptions = nullptr;
  const std::string* FFileName = nullptr;
  Document* FDocument = nullptr;
  uint64_t FOutputCharacters = 0;
  WorkBudget FBudget;
};

} // namespace scrivlet
