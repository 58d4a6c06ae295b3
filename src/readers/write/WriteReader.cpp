#include "readers/write/WriteReader.h"

#include "core/Markup.h"

#include "core/ByteReader.h"
#include "core/CodePage.h"
#include "core/Exception.h"
#include "core/Stream.h"

namespace scrivlet {
namespace {

constexpr uint32_t kPageSize = 128;
constexpr uint32_t kTextStart = 128;
// A property page: fcFirst at 0, entries of 6 bytes from 4, count at 127.
constexpr size_t kEntryCountOffset = 127;
constexpr size_t kMaxEntriesPerPage = (kEntryCountOffset - 4) / 6;
constexpr uint16_t kDefaultProperties = 0xFFFF;

// One property page entry: the limit of its run or paragraph and where its
// property block starts.
struct PageEntry {
  uint32_t limit;
  uint16_t propertyOffset;
};

uint32_t FcFirst(std::string_view page) {
  return ByteReader::Get32(page, 0);
}

size_t EntryCount(std::string_view page) {
  return std::min<size_t>(static_cast<uint8_t>(page[kEntryCountOffset]), kMaxEntriesPerPage);
}

PageEntry Entry(std::string_view page, size_t k) {
  return {ByteReader::Get32(page, 4 + 6 * k), ByteReader::Get16(page, 8 + 6 * k)};
}

// The property bytes of an entry: byte i (1-based) exists when the block's
// count byte covers it and it lies on the page.
class PropertyBlock {
public:
  PropertyBlock(std::string_view page, uint16_t propertyOffset) {
    if (propertyOffset == kDefaultProperties || 4u + propertyOffset >= kPageSize)
      return;
    FBlock = page.substr(4u + propertyOffset);
    FCount = static_cast<uint8_t>(FBlock[0]);
  }
  bool Has(size_t i) const { return i <= FCount && i < FBlock.size(); }
  int Get(size_t i, int fallback) const {
    return Has(i) ? static_cast<uint8_t>(FBlock[i]) : fallback;
  }

private:
  std::string_view FBlock;
  size_t FCount = 0;
};

[[noreturn]] void FcFirstWrong() {
  throw Exception("fcFirst wrong");
}

} // namespace

// The character runs of the document, read page by page as far as the
// paragraphs need them.  Runs must move forward through the text; one that
// ends before it starts is damage, reported like a misplaced page.
class WriteReader::CharRunCursor {
public:
  CharRunCursor(const WriteReader& file, uint32_t firstPage) : FFile(file), FNextPage(firstPage) {}

  // The run with this index, reading pages until it exists.
  const CharRun& At(size_t index) {
    while (index >= FRuns.size())
      ReadNextPage();
    return FRuns[index];
  }

  // Index of the first run that ends at or after offset.
  size_t& First() { return FFirst; }

private:
  void ReadNextPage() {
    std::string_view page = FFile.Page(FNextPage++);
    if (FcFirst(page) != FRunStart)
      FcFirstWrong();
    for (size_t k = 0, n = EntryCount(page); k < n; ++k) {
      PageEntry entry = Entry(page, k);
      if (entry.limit < FRunStart)
        FcFirstWrong();
      FRuns.push_back({FRunStart, entry.limit, Properties(page, entry.propertyOffset)});
      FRunStart = entry.limit;
    }
  }

  static CharProps Properties(std::string_view page, uint16_t propertyOffset) {
    PropertyBlock block(page, propertyOffset);
    CharProps p;
    int attributes = block.Get(2, 0);
    p.bold = attributes & 0x01;
    p.italic = attributes & 0x02;
    p.font = (attributes >> 2) | (block.Get(5, 0) & 0x03) << 6;
    p.size = block.Get(3, 24);
    p.underline = block.Get(4, 0) & 0x01;
    p.position = block.Get(6, 0);
    return p;
  }

  const WriteReader& FFile;
  uint64_t FNextPage;
  uint32_t FRunStart = kTextStart;
  std::vector<CharRun> FRuns;
  size_t FFirst = 0;
};

void WriteReader::Clear() {
  FFonts.clear();
  LegacyReader::Clear();
}

std::string_view WriteReader::Page(uint64_t pageNumber) const {
  uint64_t offset = pageNumber * kPageSize;
  if (offset + kPageSize > FData.size())
    throw ReadError();
  return std::string_view(FData).substr(static_cast<size_t>(offset), kPageSize);
}

void WriteReader::ReadHeader() {
  std::string_view header = Page(0);
  FTextEnd = ByteReader::Get32(header, 14);
  FFirstParagraphPage = ByteReader::Get16(header, 18);
  FFontTablePage = ByteReader::Get16(header, 28);
  FPageCount = ByteReader::Get16(header, 96);
  if (FTextEnd > FData.size())
    throw ReadError(); // the text runs past the end of the file
}

void WriteReader::ParseStream(Stream& stream) {
  LegacyReader::ParseStream(stream);
  FData = stream.ReadAllBytes();
  try {
    ReadHeader();
    if (ParseItems().Contains(ContentItem::Text)) {
      ReadFontTable();
      std::u16string output = GetHeaderText();
      output += AnsiToWide(ReadParagraphs(), LegacyTextCodePage());
      output += GetFooterText();
      AddText(std::move(output), OutputLines());
    }
  } catch (...) {
    FData.clear();
    throw;
  }
  FData.clear();
  FData.shrink_to_fit();
}

void WriteReader::ReadFontTable() {
  // No font table: its page is the page count, or lies past the end of the
  // file (many writers leave the page count at 0).
  if (FFontTablePage == FPageCount || uint64_t{FFontTablePage} * kPageSize >= FData.size())
    return;
  ByteReader reader(FData, uint64_t{FFontTablePage} * kPageSize);
  uint16_t count = reader.U16();
  uint64_t nextPage = uint64_t{FFontTablePage} + 1;
  for (uint16_t i = 0; i < count; ++i) {
    uint16_t length = reader.U16();
    while (length == 0xFFFF) {
      reader.Seek(nextPage++ * kPageSize);
      length = reader.U16();
    }
    // An entry reaching the end of the file ends the table; so does an
    // empty one, which has no room for a family byte.
    if (length == 0 || reader.Position() + length >= reader.Size())
      return;
    WriteFont font;
    font.FontFamily = reader.U8();
    std::string_view name = reader.Bytes(length - 1u);
    font.FontName = std::string(name.substr(0, name.find('\0')));
    FFonts.push_back(std::move(font));
  }
}

std::string WriteReader::ReadParagraphs() {
  std::string body;
  // Mark-up about doubles HTML and RTF: reserve for it up front.
  size_t textLength = FTextEnd > kTextStart ? FTextEnd - kTextStart : 0;
  body.reserve(textLength + (TextFormating() == OutputFormat::PlainText ? 0 : textLength * 2));
  CharRunCursor runs(*this, (uint64_t{FTextEnd} + kPageSize - 1) / kPageSize);
  uint32_t start = kTextStart;
  const OutputFormat formating = TextFormating();
  for (uint64_t pageNumber = FFirstParagraphPage; !FTextLimited; ++pageNumber) {
    std::string_view page = Page(pageNumber);
    if (FcFirst(page) != start)
      FcFirstWrong();
    for (size_t k = 0, n = EntryCount(page); k < n && !FTextLimited; ++k) {
      PageEntry entry = Entry(page, k);
      if (entry.limit < start)
        FcFirstWrong(); // paragraphs must move forward through the text
      body += formating == OutputFormat::Rtf    ? "\\par "
              : formating == OutputFormat::Html ? "<p>"
                                                : "";
      int flags = PropertyBlock(page, entry.propertyOffset).Get(17, 0);
      bool runningHeadOrFoot = flags & 0x06;
      bool picture = flags & 0x10;
      if (!runningHeadOrFoot && !picture)
        WriteParagraphRuns(runs, start, ParagraphTextEnd(entry.limit), body);
      if (formating == OutputFormat::PlainText && !body.empty() && body.back() == '\r')
        body += '\n'; // plain lines end with CR LF, as everywhere else
      body += formating == OutputFormat::Rtf    ? "\r\n"
              : formating == OutputFormat::Html ? "</p>"
                                                : "";
      start = entry.limit;
      if (start >= FTextEnd)
        return body;
    }
  }
  return body;
}

// A paragraph ends with the line feed of its CR LF mark, which is left
// out; a paragraph that ends in any other byte (some writers cut paragraphs
// inside a line) keeps its last byte.
uint32_t WriteReader::ParagraphTextEnd(uint32_t limit) const {
  bool endsInLineFeed = limit <= kTextStart || limit > FTextEnd || FData[limit - 1] == '\n';
  return endsInLineFeed ? limit - 1 : limit;
}

// Emits the text at offsets start..end-1 (end leaves out the paragraph's
// final line feed) run by run.  A run is emitted when it reaches the
// paragraph (its limit is not before start) and begins within it; a run
// that ends exactly at start is emitted with empty text.  The runs after the
// one that reaches past end, or that ends the text, are not looked at.
void WriteReader::WriteParagraphRuns(CharRunCursor& runs, uint32_t start, uint32_t end,
                                     std::string& out) {
  size_t& first = runs.First();
  while (runs.At(first).limit < start)
    ++first;
  uint32_t position = start;
  for (size_t i = first;; ++i) {
    const CharRun& run = runs.At(i);
    if (run.start <= end) {
      OpenRun(run.props, out);
      if (position >= run.start) {
        uint32_t stop = std::min({run.limit, end, FTextEnd});
        for (; position < stop; ++position)
          AppendEscaped(TextFormating(), ConvertChar(FData[position]), out);
      }
      CloseRun(run.props, out);
    }
    if (run.limit == FTextEnd || run.limit > end)
      return;
  }
}

void WriteReader::OpenRun(const CharProps& p, std::string& out) const {
  int font = std::min<int>(p.font, static_cast<int>(FFonts.size()) - 1);
  switch (TextFormating()) {
  case OutputFormat::PlainText: return;
  case OutputFormat::Rtf:
    out += "\\pard\\f" + std::to_string(font) + "\\fs" + std::to_string(p.size) + " ";
    if (p.size > 0)
      out += "\\fs" + std::to_string(p.size) + " ";
    out += p.bold ? "\\b " : "";
    out += p.italic ? "\\i " : "";
    out += p.underline ? "\\ul " : "";
    return;
  case OutputFormat::Html:
    out += "<font face=\"";
    if (font >= 0)
      out += EscapeText(OutputFormat::Html, FFonts[static_cast<size_t>(font)].FontName);
    out += "\"";
    if (p.size > 0)
      out += " size=\"" + HtmlFontSize(p.size / 2) + "\"";
    out += ">";
    out += p.bold ? "<b>" : "";
    out += p.italic ? "<i>" : "";
    out += p.underline ? "<u>" : "";
    if (p.position > 0)
      out += p.position < 128 ? "<sub>" : "<sup>";
    return;
  }
}

void WriteReader::CloseRun(const CharProps& p, std::string& out) const {
  switch (TextFormating()) {
  case OutputFormat::PlainText: return;
  case OutputFormat::Rtf:
    out += p.bold ? "\\b0 " : "";
    out += p.italic ? "\\i0 " : "";
    out += p.underline ? "\\ul0 " : "";
    return;
  case OutputFormat::Html:
    out += p.bold ? "</b>" : "";
    out += p.italic ? "</i>" : "";
    out += p.underline ? "</u>" : "";
    if (p.position > 0)
      out += p.position < 128 ? "</sub>" : "</sup>";
    out += "</font>";
    return;
  }
}

} // namespace scrivlet
