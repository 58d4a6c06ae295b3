// The reader base class and its output list.
//
// Every document reader is a TVdWBaseDocument: the host sets the published
// settings, calls one of the Load operations, and reads the output list
// (and the summary record where the reader has one).  Readers put text into
// the list only through AddText, wrapped by the prologue and epilogue of the
// chosen formatting.
#pragma once

#include "core/DateTime.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace scrivlet {

class TKxWordSummaryInformation;
class TStream;
class TVdWBaseDocument;

// An ordered list of UTF-16 lines.
class TWideStrings {
public:
  virtual ~TWideStrings() = default;

  int Add(std::u16string text);
  // Index 0..Count; Count appends.  Any other index raises EListError
  // "WideStrings index out of bounds".
  void Insert(int index, std::u16string text);
  // The entry, or an empty string outside 0..Count-1.
  std::u16string Get(int index) const;
  int Count() const { return static_cast<int>(FItems.size()); }
  void Clear() { FItems.clear(); }

  // All entries, each followed by CR LF.
  virtual std::u16string GetTextW() const;
  // The same in the system code page.
  std::string GetText() const;

private:
  std::vector<std::u16string> FItems;
};

enum TVdTextFormating : uint8_t { tfPlainText = 0, tfRTF = 1, tfHTML = 2 };

enum TKxWParseItem : uint8_t {
  wpiText = 0,
  wpiVBA = 1,
  wpiPictures = 2,
  wpiSummaryInformation = 3,
  wpiHiddenText = 4
};

// A set of TKxWParseItem, one bit per member.
class TKxWParseItems {
public:
  constexpr TKxWParseItems() = default;
  constexpr TKxWParseItems(std::initializer_list<TKxWParseItem> items) {
    for (auto item : items)
      FBits |= Bit(item);
  }
  static constexpr TKxWParseItems FromBits(uint8_t bits) {
    TKxWParseItems set;
    set.FBits = bits & 0x1F;
    return set;
  }

  constexpr bool Contains(TKxWParseItem item) const { return (FBits & Bit(item)) != 0; }
  constexpr void Include(TKxWParseItem item) { FBits |= Bit(item); }
  constexpr void Exclude(TKxWParseItem item) { FBits &= static_cast<uint8_t>(~Bit(item)); }
  constexpr uint8_t Bits() const { return FBits; }
  constexpr bool operator==(const TKxWParseItems&) const = default;

private:
  static constexpr uint8_t Bit(TKxWParseItem item) { return static_cast<uint8_t>(1u << item); }
  uint8_t FBits = 0;
};

// The kind of special character offered to OnConvertSysChar.
enum TKxWordSysChar : uint8_t {
  wscNone = 0,
  wscRowEnd,
  wscCellEnd,
  wscParagraph,
  wscFieldBegin,
  wscFieldSeparator,
  wscFieldEnd,
  wscTime,
  wscDateFormat,
  wscHyperlink,
  wscTOC,
  wscTOCSwitch,
  wscPage,
  wscNumPages,
  wscEmbed,
  wscEditTime,
  wscSaveDate,
  wscFileName,
  wscTextBox,
  wscAdvance,
  wscIncludePicture,
  wscPageEnd
};

using TNotifyEvent = std::function<void(TVdWBaseDocument& sender)>;
using TVdWTextChange = std::function<void(TVdWBaseDocument& sender, std::u16string& text)>;
// value: the raw character or field instruction; result: the proposed
// replacement, which the handler may change.
using TVdWordConvertSysCharEvent =
    std::function<void(TVdWBaseDocument& sender, TKxWordSysChar sysChar,
                       const std::u16string& value, std::u16string& result)>;

// The RTF or HTML prologue for a formatting, code page and local time; empty
// for plain text.
std::u16string PrologueText(TVdTextFormating formating, int codePage,
                            const DateTimeFields& created);
// The matching epilogue.
std::u16string EpilogueText(TVdTextFormating formating);

class TVdWBaseDocument {
public:
  TVdWBaseDocument() = default;
  virtual ~TVdWBaseDocument() = default;
  TVdWBaseDocument(const TVdWBaseDocument&) = delete;
  TVdWBaseDocument& operator=(const TVdWBaseDocument&) = delete;

  // The reader's class name, as hosts report it.
  virtual const char* ClassName() const { return "TVdWBaseDocument"; }

  // --- published settings
  static std::string About() { return "1.5 (b34)"; }
  const std::string& FileName() const { return FFileName; }
  void SetFileName(std::string fileName) { FFileName = std::move(fileName); }
  TVdTextFormating TextFormating() const { return FTextFormating; }
  void SetTextFormating(TVdTextFormating formating) { FTextFormating = formating; }
  int32_t MaxTextLength() const { return FMaxTextLength; }
  void SetMaxTextLength(int32_t length) { FMaxTextLength = length; }
  TKxWParseItems ParseItems() const { return FParseItems; }
  void SetParseItems(TKxWParseItems items) { FParseItems = items; }
  bool ConvertSysCharacters() const { return FConvertSysCharacters; }
  void SetConvertSysCharacters(bool convert) { FConvertSysCharacters = convert; }

  // --- events
  TVdWordConvertSysCharEvent OnConvertSysChar;
  TNotifyEvent OnBeforeExecute; // declared for hosts; no reader raises them
  TNotifyEvent OnAfterExecute;
  TVdWTextChange OnBeforeText;
  TVdWTextChange OnAfterText;

  // --- the output
  const TWideStrings& Lines() const { return FLines; }
  // The summary record of readers that have one; nullptr for the others.
  virtual const TKxWordSummaryInformation* SummaryInformation() const { return nullptr; }
  bool TextLimited() const { return FTextLimited; }

  // --- the reader contract, in slot order
  virtual void Clear();
  virtual void AddText(std::u16string text, TWideStrings& list);
  virtual void LoadFromStream(TStream& stream);
  virtual void ParseStream(TStream& stream);
  virtual void LoadFromBlobStream(TStream& stream);
  // Base: raises "File %s is not found." for a missing file, nothing else.
  virtual void LoadFromFile(const std::u16string& fileName);
  virtual bool IsEncrypted() { return false; }

  std::u16string GetHeaderText();
  std::u16string GetFooterText();

protected:
  TWideStrings& OutputLines() { return FLines; }
  // Offers a replacement to OnConvertSysChar; returns what the handler made
  // of it (the proposal itself without a handler).
  std::u16string ConvertSysChar(TKxWordSysChar kind, const std::u16string& value,
                                std::u16string result = {});
  // The usual LoadFromFile of a reader: the existence check, then the file
  // opened for reading and handed to ParseStream from position 0.
  void ParseFile(const std::u16string& fileName);

  bool FTextLimited = false;

private:
  std::string FFileName;
  TWideStrings FLines;
  TVdTextFormating FTextFormating = tfPlainText;
  int32_t FMaxTextLength = 0;
  TKxWParseItems FParseItems{wpiText, wpiSummaryInformation};
  bool FConvertSysCharacters = true;
};

} // namespace scrivlet
