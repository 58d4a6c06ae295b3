#include "readers/write/WriteReader.h"

#include "core/ByteReader.h"
#include "core/CodePage.h"
#include "core/Exception.h"

#include <algorithm>

namespace scrivlet {
namespace {

constexpr uint32_t kPageSize = 128;
constexpr uint32_t kTextStart = 128;
// A property page: fcFirst at 0, entries of 6 bytes from 4, count at 127.
constexpr size_t kEntryCountOffset = 127;
constexpr size_t kMaxEntriesPerPage = (kEntryCountOffset - 4) / 6;
constexpr uint16_t kDefaultProperties = 0xFFFF;
// A paragraph's property bytes: its justification (0 left, 1 centred,
// 2 right, 3 both margins) and its flags.
constexpr size_t kJustification = 2;
constexpr size_t kParagraphFlags = 17;
constexpr char kFormFeed = '\f';

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

// The CR of a paragraph's CR LF mark, the last character of its text,
// becomes a paragraph-end piece after the text of its run.
void SeparateParagraphMark(Block& block) {
  auto run = std::find_if(block.content.rbegin(), block.content.rend(),
                          [](const Inline& piece) { return !piece.text.empty(); });
  if (run == block.content.rend() || run->text.back() != u'\r')
    return;
  run->text.pop_back();
  Inline mark;
  mark.kind = InlineKind::ParagraphEnd;
  mark.marks = run->marks;
  mark.style = run->style;
  block.content.insert(run.base(), std::move(mark));
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

std::string_view WriteReader::Page(uint64_t pageNumber) const {
  uint64_t offset = pageNumber * kPageSize;
  if (offset + kPageSize > FData.size())
    throw ReadError();
  return FData.substr(static_cast<size_t>(offset), kPageSize);
}

void WriteReader::Parse(std::string_view bytes) {
  Doc().markup = MarkupConvention::Write;
  // The text counts as read only once all of it is: a document that fails
  // part way has no described text at all.
  const bool text = Doc().textRead;
  Doc().textRead = false;
  FFonts.clear();
  FStyles.clear();
  FData = bytes;
  struct Release {
    std::string_view& data;
    ~Release() { data = {}; }
  } release{FData};
  ReadHeader();
  if (!text)
    return;
  ReadFontTable();
  ReadParagraphs();
  Doc().textRead = true;
}

void WriteReader::ReadHeader() {
  // Write saves as RTF too, under the same extension: such a file holds
  // no Write structure to read, and "Stream read error" would say nothing.
  if (FData.starts_with("{\\rtf"))
    throw Exception("File %s is an RTF document, not a Write document", {FileName()});
  std::string_view header = Page(0);
  FTextEnd = ByteReader::Get32(header, 14);
  FFirstParagraphPage = ByteReader::Get16(header, 18);
  FFontTablePage = ByteReader::Get16(header, 28);
  FPageCount = ByteReader::Get16(header, 96);
  if (FTextEnd > FData.size())
    throw ReadError(); // the text runs past the end of the file
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

// One block per paragraph entry; running heads and feet and pictures give
// an empty one.  The entries end where the text ends.
void WriteReader::ReadParagraphs() {
  CharRunCursor runs(*this, (uint64_t{FTextEnd} + kPageSize - 1) / kPageSize);
  uint32_t start = kTextStart;
  for (uint64_t pageNumber = FFirstParagraphPage;; ++pageNumber) {
    std::string_view page = Page(pageNumber);
    if (FcFirst(page) != start)
      FcFirstWrong();
    for (size_t k = 0, n = EntryCount(page); k < n; ++k) {
      PageEntry entry = Entry(page, k);
      if (entry.limit < start)
        FcFirstWrong(); // paragraphs must move forward through the text
      PropertyBlock properties(page, entry.propertyOffset);
      int flags = properties.Get(kParagraphFlags, 0);
      bool runningHeadOrFoot = flags & 0x06;
      bool picture = flags & 0x10;
      Block block;
      if (!runningHeadOrFoot && !picture) {
        AddAlignment(properties.Get(kJustification, 0), block);
        ReadParagraphRuns(runs, start, ParagraphTextEnd(entry.limit), block);
        AddPageBreak(block);
      }
      AddBlock(Doc().Main(), std::move(block));
      start = entry.limit;
      if (start >= FTextEnd)
        return;
    }
  }
}

// A paragraph ends with the line feed of its CR LF mark, which is left
// out; a paragraph that ends in any other byte (some writers cut paragraphs
// inside a line) keeps its last byte.
uint32_t WriteReader::ParagraphTextEnd(uint32_t limit) const {
  bool endsInLineFeed = limit <= kTextStart || limit > FTextEnd || FData[limit - 1] == '\n';
  return endsInLineFeed ? limit - 1 : limit;
}

// The text at offsets start..end-1 (end leaves out the paragraph's final
// line feed), one piece per run.  A run counts when it reaches the
// paragraph (its limit is not before start) and begins within it; a run
// that ends exactly at start gives an empty piece.  The runs after the one
// that reaches past end, or that ends the text, are not looked at.
void WriteReader::ReadParagraphRuns(CharRunCursor& runs, uint32_t start, uint32_t end,
                                    Block& block) {
  size_t& first = runs.First();
  while (runs.At(first).limit < start)
    ++first;
  uint32_t position = start;
  for (size_t i = first;; ++i) {
    const CharRun& run = runs.At(i);
    if (run.start <= end) {
      Inline piece = RunPiece(run.props);
      uint32_t stop = std::min({run.limit, end, FTextEnd});
      if (position >= run.start && position < stop) {
        // A form feed that starts the run is a page break where it stands.
        if (FData[position] == kFormFeed) {
          Inline pageBreak;
          pageBreak.kind = InlineKind::PageBreak;
          block.content.push_back(std::move(pageBreak));
          ++position;
        }
        std::string bytes(FData.substr(position, stop - position));
        std::transform(bytes.begin(), bytes.end(), bytes.begin(), ConvertChar);
        piece.text = AnsiToWide(bytes, TextCodePage());
        position = stop;
      }
      AddRunPiece(std::move(piece), block);
    }
    if (run.limit == FTextEnd || run.limit > end)
      break;
  }
  SeparateParagraphMark(block);
}

// A run's text into the paragraph: a vertical tab (Write's line break,
// as Word for Windows writes it) is a line break, not a character, unless
// the format's control characters are kept.
void WriteReader::AddRunPiece(Inline piece, Block& block) const {
  if (!ConvertSysCharacters() || piece.text.find(u'\v') == std::u16string::npos) {
    block.content.push_back(std::move(piece));
    return;
  }
  std::u16string text = std::move(piece.text);
  size_t start = 0;
  while (true) {
    const size_t end = text.find(u'\v', start);
    Inline part = piece;
    part.text = text.substr(start, end == std::u16string::npos ? end : end - start);
    block.content.push_back(std::move(part));
    if (end == std::u16string::npos)
      return;
    Inline lineBreak;
    lineBreak.kind = InlineKind::LineBreak;
    lineBreak.marks = piece.marks;
    block.content.push_back(std::move(lineBreak));
    start = end + 1;
  }
}

// A paragraph not set flush left starts with its justification.
void WriteReader::AddAlignment(int justification, Block& block) {
  if (justification == 0)
    return;
  Inline alignment;
  alignment.kind = InlineKind::Alignment;
  alignment.value = justification;
  block.content.push_back(std::move(alignment));
}

// A paragraph that holds a form feed starts a page: a page-break block
// goes before it.  Which page follows is unknown: Write lays out its pages
// when it prints them, and the form feeds are only the breaks forced.
void WriteReader::AddPageBreak(const Block& paragraph) {
  const bool breaks =
      std::any_of(paragraph.content.begin(), paragraph.content.end(),
                  [](const Inline& piece) { return piece.kind == InlineKind::PageBreak; });
  if (!breaks)
    return;
  Block pageBreak;
  pageBreak.kind = BlockKind::PageBreak;
  AddBlock(Doc().Main(), std::move(pageBreak));
}

Inline WriteReader::RunPiece(const CharProps& props) {
  Inline piece;
  piece.marks =
      (props.bold ? kBold : 0) | (props.italic ? kItalic : 0) | (props.underline ? kUnderline : 0);
  if (props.position > 0)
    piece.marks |= props.position < 128 ? kSubscript : kSuperscript;
  piece.style = StyleOf(props);
  return piece;
}

// A run names a font by its index, which past the end of the font table
// means the table's last font (-1 when there is none).
uint32_t WriteReader::StyleOf(const CharProps& props) {
  int font = std::min<int>(props.font, static_cast<int>(FFonts.size()) - 1);
  auto key = std::make_tuple(font, props.size, props.position);
  auto known = FStyles.find(key);
  if (known != FStyles.end())
    return known->second;
  CharacterStyle style;
  if (font >= 0)
    style.fontName = AnsiToWide(FFonts[static_cast<size_t>(font)].FontName, TextCodePage());
  style.fontNumber = font;
  style.halfPoints = props.size;
  style.position = static_cast<uint8_t>(props.position);
  uint32_t index = Doc().AddCharacterStyle(std::move(style));
  FStyles.emplace(key, index);
  return index;
}

} // namespace scrivlet
