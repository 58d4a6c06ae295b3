// The reader base class and its output list.
//
// Every document reader is a LegacyReader: the host sets the published
// settings, calls one of the Load operations, and reads the output list
// (and the summary record where the reader has one).  Readers put text into
// the list only through AddText, wrapped by the prologue and epilogue of the
// chosen formatting.
#pragma once

#include "core/DateTime.h"
#include "core/DocumentSummary.h"
#include "core/Limits.h"
#include "core/Markup.h"
#include "core/ReaderOptions.h"
#include "core/TextLines.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace scrivlet {

struct StoryLists;
class Stream;
class LegacyReader;

// The kind of special character offered to OnConvertSysChar.
enum class SpecialChar : uint8_t {
  None = 0,
  RowEnd,
  CellEnd,
  Paragraph,
  FieldBegin,
  FieldSeparator,
  FieldEnd,
  Time,
  DateFormat,
  Hyperlink,
  TOC,
  TOCSwitch,
  Page,
  NumPages,
  Embed,
  EditTime,
  SaveDate,
  FileName,
  TextBox,
  Advance,
  IncludePicture,
  PageEnd
};

using NotifyEvent = std::function<void(LegacyReader& sender)>;
using TextChangeEvent = std::function<void(LegacyReader& sender, std::u16string& text)>;
// value: the raw character or field instruction; result: the proposed
// replacement, which the handler may change.
using SpecialCharEvent = std::function<void(LegacyReader& sender, SpecialChar sysChar,
                                            const std::u16string& value, std::u16string& result)>;

class LegacyReader {
public:
  LegacyReader() = default;
  virtual ~LegacyReader() = default;
  LegacyReader(const LegacyReader&) = delete;
  LegacyReader& operator=(const LegacyReader&) = delete;

  // The reader's class name, as hosts report it.
  virtual const char* ClassName() const { return "LegacyReader"; }

  // --- published settings
  static std::string About() { return "1.5 (b34)"; }
  const std::string& FileName() const { return FFileName; }
  void SetFileName(std::string fileName) { FFileName = std::move(fileName); }
  OutputFormat TextFormating() const { return FTextFormating; }
  void SetTextFormating(OutputFormat formating) { FTextFormating = formating; }
  int32_t MaxTextLength() const { return FMaxTextLength; }
  void SetMaxTextLength(int32_t length) { FMaxTextLength = length; }
  ContentItems ParseItems() const { return FParseItems; }
  void SetParseItems(ContentItems items) { FParseItems = items; }
  bool ConvertSysCharacters() const { return FConvertSysCharacters; }
  // The user or owner password of an encrypted document, set before
  // loading (the readers of formats without passwords ignore it).
  const std::string& Password() const { return FPassword; }
  void SetPassword(std::string password) { FPassword = std::move(password); }
  void SetConvertSysCharacters(bool convert) { FConvertSysCharacters = convert; }
  // The bounds of a conversion: decoded bytes, output size (core/Limits.h).
  const Limits& ResourceLimits() const { return FLimits; }
  void SetResourceLimits(const Limits& limits) { FLimits = limits; }

  // The bytes of a file the host has read already (to tell its format): the
  // next LoadFromFile of that name takes them instead of reading the file
  // again.
  void SetFileBytes(std::string fileName, std::string bytes) {
    FFileBytes.emplace(std::move(fileName), std::move(bytes));
  }

  // --- events
  SpecialCharEvent OnConvertSysChar;
  NotifyEvent OnBeforeExecute; // declared for hosts; no reader raises them
  NotifyEvent OnAfterExecute;
  TextChangeEvent OnBeforeText;
  TextChangeEvent OnAfterText;

  // --- the output
  const TextLines& Lines() const { return FLines; }
  // The summary record of readers that have one; nullptr for the others.
  const DocumentSummary* SummaryInformation() const { return FSummary.get(); }
  // Copies a record into the reader's own (a reader without one ignores it).
  void SetSummaryInformation(const DocumentSummary& summary) {
    if (FSummary)
      FSummary->Assign(summary);
  }
  // The stories beside the main text (notes, headers, macros, ...) of readers
  // that keep them apart; nullptr for the others.
  virtual const StoryLists* Stories() const { return nullptr; }
  bool TextLimited() const { return FTextLimited; }

  // --- the reader contract, in slot order
  virtual void Clear();
  virtual void AddText(std::u16string text, TextLines& list);
  virtual void LoadFromStream(Stream& stream);
  virtual void ParseStream(Stream& stream);
  virtual void LoadFromBlobStream(Stream& stream);
  // Base: raises "File %s is not found." for a missing file, nothing else.
  virtual void LoadFromFile(const std::string& fileName);
  virtual bool IsEncrypted() { return false; }

  std::u16string GetHeaderText();
  std::u16string GetFooterText();

protected:
  TextLines& OutputLines() { return FLines; }
  // Offers a replacement to OnConvertSysChar; returns what the handler made
  // of it (the proposal itself without a handler).
  std::u16string ConvertSysChar(SpecialChar kind, const std::u16string& value,
                                std::u16string result = {});
  // The usual LoadFromFile of a reader: the existence check, then the file's
  // bytes, read once, handed to ParseStream from position 0.
  void ParseFile(const std::string& fileName);
  // The existence check, then the whole file in memory.
  std::string ReadWholeFile(const std::string& fileName);
  // Counts characters put into any output list; raises LimitExceeded past
  // the output limit.  AddText counts what it adds.
  void CountOutput(size_t characters);

  // Called by the constructor of a reader whose format carries metadata.
  void KeepSummaryInformation() { FSummary = std::make_unique<DocumentSummary>(); }
  void ForgetSummaryInformation() { FSummary.reset(); }
  DocumentSummary& Summary() { return *FSummary; }

  bool FTextLimited = false;

private:
  std::string FFileName;
  TextLines FLines;
  std::string FPassword;
  std::optional<std::pair<std::string, std::string>> FFileBytes;
  std::unique_ptr<DocumentSummary> FSummary;
  OutputFormat FTextFormating = OutputFormat::PlainText;
  int32_t FMaxTextLength = 0;
  ContentItems FParseItems{ContentItem::Text, ContentItem::Summary};
  bool FConvertSysCharacters = true;
  Limits FLimits;
  uint64_t FOutputCharacters = 0;
};

} // namespace scrivlet
