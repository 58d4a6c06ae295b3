// Opening Word binary documents: compound file or single stream, the
// storage walk, the FIB and its versions, property sets, the code page.
#include "readers/word/DocReader.h"

#include "core/ByteReader.h"
#include "core/CodePage.h"
#include "core/Exception.h"
#include "core/Stream.h"
#include "readers/word/WordFormatting.h"
#include "storage/CompoundFile.h"
#include "vba/VbaListing.h"
#include "vba/VbaProject.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace scrivlet {
namespace {

// FIB offsets in the Word 97 layout.
constexpr size_t kFibSize = 738, kFibListsSize = 16;
constexpr size_t kLid = 6, kFlags = 10, kLidFE = 60;
constexpr uint16_t kFlagEncrypted = 0x0100, kFlagFarEast = 0x4000;

// The first word of single-stream Word files: Word for Windows 1 and 2,
// the Word 6 and 97 main stream, and the Write-era identifiers.
constexpr uint16_t kMagicNumbers[] = {0x6031, 0xA59B, 0xA5DB, 0xBE31, 0xBE32};

// Property types of a property set.
constexpr uint32_t kVtI2 = 2, kVtI4 = 3, kVtLpstr = 30, kVtFiletime = 64;
constexpr uint32_t kCodePageProperty = 1;

bool IsMagicNumber(uint16_t word) {
  return std::find(std::begin(kMagicNumbers), std::end(kMagicNumbers), word) !=
         std::end(kMagicNumbers);
}

bool In(int value, std::initializer_list<int> set) {
  return std::find(set.begin(), set.end(), value) != set.end();
}

} // namespace

DocReader::DocReader() = default;
DocReader::~DocReader() = default;

bool DocReader::IsEncrypted() const {
  return (Fib16(kFlags) & kFlagEncrypted) != 0;
}

uint16_t DocReader::Fib16(size_t offset) const {
  return ByteReader::Get16(
      std::string_view(reinterpret_cast<const char*>(FFib.data()), FFib.size()), offset);
}

uint32_t DocReader::Fib32(size_t offset) const {
  return Fib16(offset) | static_cast<uint32_t>(Fib16(offset + 2)) << 16;
}

// A compound file, or the main stream on its own (it starts with one of
// the magic numbers).
void DocReader::Parse(std::string_view bytes) {
  Doc().markup = MarkupConvention::Word;
  Summary();
  FCodePage = -1;
  FPropertySetCodePage = 0;
  FFib.fill(0);
  FDocVersion = 0;
  FSegments.clear();
  FFormatting.reset();
  FNoteRanges.clear();
  std::string data(bytes);
  if (CompoundFile::HasSignature(data)) {
    WalkStorage(CompoundFile(std::move(data)));
    return;
  }
  if (data.size() < 4 || !IsMagicNumber(ByteReader::Get16(data, 0)))
    throw Exception("File %s is not valid MS Word document", {FileName()});
  ParseMainStream(data, nullptr);
}

// The code page a property set declares for its strings (property 1), or 0.
int DocReader::PropertySetCodePage(const std::string& data) {
  try {
    ByteReader reader(data, 44);
    uint32_t section = reader.U32();
    reader.Seek(uint64_t{section} + 4);
    uint32_t count = reader.U32();
    for (uint32_t i = 0; i < count; ++i) {
      uint32_t id = reader.U32();
      uint32_t offset = reader.U32();
      if (id != kCodePageProperty)
        continue;
      ByteReader value(data, uint64_t{section} + offset);
      return value.U32() == kVtI2 ? value.U16() : 0;
    }
  } catch (const ReadError&) {
  }
  return 0;
}

void DocReader::WalkStorage(const CompoundFile& storage) {
  Summary().Clear();
  // A Word 2007+ document saved with a password, whose "WordDocument" is
  // only a placeholder: its text is in the encrypted package.
  if (storage.Find(CompoundFile::kRoot, u"EncryptedPackage", CompoundFile::ElementKind::Stream))
    throw Exception("File %s is not valid MS Word document", {FileName()});
  // Word 6/95 stores 8-bit text in the code page of the system that wrote
  // it, which its summary property set names.
  if (auto summary = storage.OpenStream(CompoundFile::kRoot, u"\x05SummaryInformation"))
    FPropertySetCodePage = PropertySetCodePage(summary->Data());
  WalkElements(storage);
  // The macros come after the text, whatever the order of the storage's
  // elements.
  if (ParseItems().Contains(ContentItem::Macros))
    ListMacros(storage);
}

void DocReader::ListMacros(const CompoundFile& storage) {
  std::optional<uint32_t> macros =
      storage.Find(CompoundFile::kRoot, u"Macros", CompoundFile::ElementKind::Storage);
  if (!macros)
    return;
  // A damaged project ends the listing where the damage starts, and the
  // output limit where it would be passed; neither ends the conversion.
  // Each character listed is held by the project, the listing and the
  // output: the records budget bounds them too, since a small file may
  // give many modules one long source.  Each entry of the listing is a
  // block of its own.
  constexpr uint64_t kListedCharacterBytes = 16;
  const WorkBudget& budget = Budget();
  const uint64_t memoryLeft =
      budget.MemorySpent() < budget.MemoryLimit() ? budget.MemoryLimit() - budget.MemorySpent() : 0;
  const uint64_t listed = std::min(OutputCharactersLeft(), memoryLeft / kListedCharacterBytes);
  Story& story = Doc().AddStory(StoryKind::Macros);
  for (std::u16string& entry :
       VbaListing(VbaProject::Read(storage, *macros, Options().systemCodePage, listed), listed)) {
    Block block;
    block.kind = BlockKind::Preformatted;
    Inline& text = block.content.emplace_back();
    text.text = std::move(entry);
    AddBlock(story, std::move(block));
  }
}

void DocReader::WalkElements(const CompoundFile& storage) {
  // Each of the main stream and the property sets is read once, from the
  // first entry of its name: a directory that repeats a name must not make
  // the document be read again for every copy.
  bool mainRead = false, summaryRead = false, documentSummaryRead = false;
  for (const auto& element : storage.Elements(CompoundFile::kRoot)) {
    const std::u16string& name = element.name;
    if (element.kind == CompoundFile::ElementKind::Storage)
      continue; // "Macros" is read after the walk
    if (name == u"WordDocument") {
      if (std::exchange(mainRead, true))
        continue;
      std::string main = storage.StreamData(element.entry);
      Budget().SpendWork(main.size());
      if (!main.empty())
        ParseMainStream(main, &storage);
      continue;
    }
    std::u16string_view bare = std::u16string_view(name).substr(name.empty() ? 0 : 1);
    bool summary = bare == u"SummaryInformation";
    bool documentSummary = bare == u"DocumentSummaryInformation";
    if (!summary && !documentSummary)
      continue;
    if (std::exchange(summary ? summaryRead : documentSummaryRead, true))
      continue;
    if (ParseItems().Contains(ContentItem::Summary) &&
        !ReadPropertySet(storage.StreamData(element.entry), documentSummary))
      return; // a property set that runs past its stream ends the walk
  }
}

void DocReader::ParseMainStream(const std::string& main, const CompoundFile* storage) {
  ReadFib(main);
  if (IsEncrypted()) {
    ParseEncrypted(main, storage);
    return;
  }
  if (!ParseItems().Contains(ContentItem::Text))
    return;
  // The table stream is the one the FIB names: "1Table" or "0Table".
  std::unique_ptr<MemoryStream> table;
  if (storage != nullptr)
    table = storage->OpenStream(CompoundFile::kRoot, TableStreamName());
  ReadDocumentText(main, table ? &table->Data() : nullptr);
}

std::u16string_view DocReader::TableStreamName() const {
  return (Fib16(kFlags) & 0x0200) != 0 ? u"1Table" : u"0Table";
}

void DocReader::ReadDocumentText(const std::string& main, const std::string* table) {
  // Word 6/95 keeps its piece table in the main stream.
  const std::string* clxStream = table;
  if (clxStream == nullptr && FDocVersion >= 5 && FDocVersion <= 7)
    clxStream = &main;
  ReadText(main, clxStream, table);
  ReadStories(main, table ? std::string_view(*table) : std::string_view());
}

void DocReader::ReadFib(const std::string& main) {
  FFib.fill(0);
  ByteReader reader(main);
  uint16_t ident = reader.U16();
  uint16_t nFib = reader.U16();
  FDocVersion = ident == 0x37FE ? 5
                : nFib < 101    ? 2
                : nFib == 101   ? 6
                : nFib == 103   ? 0
                : nFib == 104   ? 7
                                : 8;
  auto copy = [&](size_t from, size_t to, size_t count) {
    reader.Seek(from);
    std::string_view bytes = reader.Bytes(count);
    std::copy(bytes.begin(), bytes.end(), FFib.begin() + static_cast<ptrdiff_t>(to));
  };
  switch (FDocVersion) {
  case 0:
  case 8:
    copy(0, 0, kFibSize);
    // The list tables' places follow, where the stream is long enough.
    copy(kFibSize, kFibSize, std::min<uint64_t>(reader.Remaining(), kFibListsSize));
    break;
  case 5:
  case 6:
  case 7:
    // The Word 6 header: wIdent to fcMac in place, cbMac, the eight story
    // counts from ccpText, then the offset and size pairs, so that fcClx
    // and lcbClx land where the Word 97 layout has them.
    copy(0, 0, 32);
    copy(32, 64, 4);
    copy(52, 76, 32);
    copy(88, 154, kFibSize - 154);
    break;
  default:
    // Word 2: the same first fields and five story counts.
    copy(0, 0, 32);
    copy(32, 64, 4);
    copy(52, 76, 20);
    break;
  }
}

int DocReader::CodePageOfLanguage(uint16_t languageId) {
  const int L = languageId, P = languageId & 0xFF;
  if (In(P, {5, 14, 21, 24, 27, 36}))
    return 1250;
  if (In(P, {2, 25, 28, 34, 35, 47}) || In(L, {0x0C1A, 0x082C, 0x0843}))
    return 1251;
  if (In(P, {3, 6, 7, 9, 10, 11, 12, 15, 16, 19, 20, 22, 23, 29, 33, 45, 54, 56, 62, 65}) ||
      In(L, {0x041A, 0x081A}))
    return 1252;
  if (P == 8)
    return 1253;
  if (P == 31)
    return 1254;
  if (P >= 37 && P <= 39)
    return 1257;
  if (P == 13)
    return 1255;
  if (P == 1)
    return 1256;
  if (P == 4)
    return In(L, {0x0404, 0x0C04}) ? 950 : L == 0x0804 ? 936 : 0;
  if (P == 17)
    return 932;
  if (P == 18)
    return L == 0x0812 ? 1361 : L == 0x0412 ? 949 : 0;
  return L == 0x041E ? 874 : 0;
}

int DocReader::DocumentCodePage() {
  if (FCodePage < 0) {
    uint16_t fibLanguage = (Fib16(kFlags) & kFlagFarEast) ? Fib16(kLidFE) : Fib16(kLid);
    uint16_t language = fibLanguage;
    if (OnGetDefaultLanguage)
      OnGetDefaultLanguage(*this, language);
    FCodePage = CodePageOfLanguage(language);
    // A Word 6/95 document's language does not tell the code page its text
    // was written in (a Russian text marked English); its property set does,
    // unless the host chose a language.
    bool word6 = FDocVersion >= 5 && FDocVersion <= 7;
    if (word6 && language == fibLanguage && FPropertySetCodePage != 0 &&
        FPropertySetCodePage != 1200 && FPropertySetCodePage != CP_UTF8 &&
        IsSupportedCodePage(FPropertySetCodePage))
      FCodePage = FPropertySetCodePage;
  }
  return FCodePage;
}

// A property set: the first section's offset at 44, then its property count
// and (identifier, offset) pairs; each value starts with its type.  Strings
// are kept in the system code page: those of a property set written in
// another code page are converted.  Returns false when a read would pass the
// end of the stream.
bool DocReader::ReadPropertySet(const std::string& data, bool documentSummary) {
  try {
    ByteReader reader(data, 44);
    uint32_t section = reader.U32();
    reader.Seek(uint64_t{section} + 4);
    uint32_t count = reader.U32();
    int codePage = 0;
    for (uint32_t i = 0; i < count; ++i) {
      uint32_t id = reader.U32();
      uint32_t offset = reader.U32();
      uint64_t next = reader.Position();
      reader.Seek(uint64_t{section} + offset);
      uint32_t type = reader.U32();
      if (type == kVtI2 && id == kCodePageProperty) {
        codePage = reader.U16();
      } else if (type == kVtI4) {
        Summary().SetProperty(id, reader.Bytes(4), documentSummary);
      } else if (type == kVtFiletime) {
        Summary().SetProperty(id, reader.Bytes(8), documentSummary);
      } else if (type == kVtLpstr) {
        std::string_view bytes = reader.Bytes(reader.U32());
        // Without a code page of its own the set's strings are 8-bit text.
        int textCodePage =
            codePage != 0 && IsSupportedCodePage(codePage) ? codePage : TextCodePage();
        Summary().SetText(id, AnsiToWide(bytes, textCodePage), documentSummary);
      }
      reader.Seek(next);
    }
    return true;
  } catch (const ReadError&) {
    return false;
  }
}

} // namespace scrivlet
