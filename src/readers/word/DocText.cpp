// The text of Word binary documents: the piece table, the pieces' bytes in
// the main stream, and the stories after the main text.
#include "core/ByteReader.h"
#include "core/CodePage.h"
#include "core/Exception.h"
#include "core/Limits.h"
#include "readers/word/DocReader.h"
#include "readers/word/WordFormatting.h"

#include <algorithm>

namespace scrivlet {
namespace {

constexpr size_t kFlags = 10;
constexpr uint16_t kFlagExtendedCharacters = 0x1000;
constexpr size_t kFcMin = 24, kFcMac = 28, kCcpText = 76, kCcpFtn = 80, kCcpHdd = 84, kCcpMcr = 88,
                 kCcpAtn = 92, kCcpEdn = 96, kFcClx = 418, kLcbClx = 422;
constexpr uint32_t kCompressedFlag = 0x40000000;
constexpr int kCompressedCodePage = 1252;
constexpr uint8_t kClxPropertyModifiers = 1, kClxPieceTable = 2;
constexpr size_t kPieceDescriptorSize = 8;
// Where the Word 97 FIB places the formatting tables (offset, then size).
constexpr size_t kFcStshf = 162, kFcPlcfbteChpx = 250, kFcPlcfbtePapx = 258, kFcPlcfLst = 738,
                 kFcPlfLfo = 746;

// The stories after the main text, in the order of their character
// positions: where the FIB keeps the length of each, and its kind.
struct StoryPlace {
  size_t countOffset;
  StoryKind kind;
};
constexpr size_t kCcpTxbx = 100, kCcpHdrTxbx = 104;
constexpr StoryPlace kStoriesAfterText[] = {
    {kCcpFtn, StoryKind::Footnotes},    {kCcpHdd, StoryKind::Headers},
    {kCcpMcr, StoryKind::Macros},       {kCcpAtn, StoryKind::Comments},
    {kCcpEdn, StoryKind::Endnotes},     {kCcpTxbx, StoryKind::TextBoxes},
    {kCcpHdrTxbx, StoryKind::TextBoxes}};
// The header table, and the note separators before the sections' headers.
constexpr size_t kFcPlcfHdd = 242, kLcbPlcfHdd = 246, kNoteSeparators = 6;

} // namespace

// The CLX: property-modifier entries (type 1), then the piece table (type 2)
// with n + 1 character positions and n piece descriptors.  Without a table
// the text is one piece from fcMin.
std::vector<DocReader::Segment> DocReader::ReadPieceTable(const std::string& main,
                                                          const std::string* table) {
  const uint32_t fcMin = Fib32(kFcMin), fcMac = Fib32(kFcMac);
  const int codePage = DocumentCodePage();
  const bool extendedCharacters = (Fib16(kFlags) & kFlagExtendedCharacters) != 0;
  std::vector<Segment> segments;
  if (table != nullptr && Fib32(kLcbClx) > 0) {
    ByteReader reader(*table, Fib32(kFcClx));
    uint8_t type = reader.U8();
    while (type == kClxPropertyModifiers && reader.Remaining() > 0) {
      reader.Bytes(reader.U16());
      type = reader.U8();
    }
    uint32_t lcb = type == kClxPieceTable ? reader.U32() : 0;
    if (lcb >= 4) {
      // Every table that fits its size and the stream is read.
      uint64_t count = (lcb - 4) / 12;
      if (count * 12 + 4 > reader.Remaining())
        throw ReadError();
      std::string_view cps = reader.Bytes((count + 1) * 4);
      std::string_view descriptors = reader.Bytes(count * kPieceDescriptorSize);
      segments.reserve(static_cast<size_t>(count));
      for (size_t k = 0; k < count; ++k) {
        uint32_t fc = ByteReader::Get32(descriptors, k * kPieceDescriptorSize + 2);
        Segment piece;
        piece.cpStart = ByteReader::Get32(cps, 4 * k);
        piece.cpEnd = ByteReader::Get32(cps, 4 * (k + 1));
        // Word 6/95 pieces are text at fc: 8-bit, or UTF-16 when the FIB
        // says the file uses the extended character set (the Far East
        // editions of Word 95).  From Word 97 on, bit 30 marks 8-bit text at
        // fc / 2 and 16-bit text is at fc.
        bool word6 = FDocVersion >= 5 && FDocVersion <= 7;
        bool compressed = word6 ? !extendedCharacters : (fc & kCompressedFlag) != 0;
        piece.offset = word6 ? fc : compressed ? (fc & ~kCompressedFlag) / 2 : fc;
        piece.bytesPerChar = compressed ? 1 : 2;
        piece.utf16 = !compressed && (FDocVersion == 8 || word6);
        // Word 97 compresses only text that Windows-1252 holds; the
        // document's language decides the code page of older 8-bit text.
        piece.codePage = word6 ? codePage : kCompressedCodePage;
        segments.push_back(piece);
      }
    }
  }
  if (segments.empty()) {
    Segment whole;
    whole.cpEnd = fcMac - fcMin;
    whole.offset = fcMin;
    whole.bytesPerChar = 2;
    whole.utf16 = FDocVersion == 8;
    whole.codePage = codePage;
    segments.push_back(whole);
  }
  // Pieces with their ends crossed hold nothing.
  for (Segment& piece : segments)
    piece.cpEnd = std::max(piece.cpEnd, piece.cpStart);
  uint64_t totalBytes = 0;
  for (const Segment& piece : segments) {
    uint64_t end = piece.offset + piece.Length();
    if (piece.offset > main.size() || end > main.size())
      throw Exception("Piece Bounds out of range");
    totalBytes += uint64_t{piece.Length()} * piece.bytesPerChar;
  }
  // Word never lets two pieces share their bytes: pieces that add up to
  // more than the stream are damage, not text to repeat.
  if (totalBytes > main.size() + 2)
    throw Exception("Piece Bounds out of range");
  if (segments.size() == 1)
    return LonePiece(segments.front(), fcMac, main.size());
  for (const Segment& piece : segments)
    if (piece.offset + uint64_t{piece.Length()} * piece.bytesPerChar > main.size())
      throw ReadError(); // the stream ends inside the piece
  return segments;
}

// A lone piece is read in its units no further than fcMac: one or two bytes
// past it in 16-bit units, and not past the stream.  Bytes that are not
// UTF-16 land one by one; the buffer's unread rest stays zero.
std::vector<DocReader::Segment> DocReader::LonePiece(Segment piece, uint32_t fcMac,
                                                     size_t streamSize) {
  uint64_t count = piece.Length();
  uint64_t units = fcMac < piece.offset ? 0 : (fcMac - piece.offset) / piece.bytesPerChar + 1;
  units = std::min({units, count, (streamSize - piece.offset) / piece.bytesPerChar});
  Segment rest;
  rest.zeros = true;
  if (!piece.utf16 && piece.bytesPerChar == 2) {
    piece.bytesPerChar = 1;
    piece.cpEnd = piece.cpStart + static_cast<uint32_t>(units * 2);
    rest.cpEnd = static_cast<uint32_t>((count - units) * 2);
  } else {
    piece.cpEnd = piece.cpStart + static_cast<uint32_t>(units);
    rest.cpEnd = static_cast<uint32_t>(count - units);
  }
  return {piece, rest};
}

// The characters from cpStart to cpEnd of the pieces laid end to end,
// decoded.
std::u16string DocReader::DecodeRange(const std::string& main, uint32_t cpStart,
                                      uint32_t cpEnd) const {
  std::u16string text;
  uint32_t cp = 0;
  for (const Segment& piece : FSegments) {
    uint32_t from = std::max(cpStart, cp), to = std::min(cpEnd, cp + piece.Length());
    if (from < to && piece.zeros) {
      text.append(to - from, u'\0');
    } else if (from < to) {
      std::string_view bytes = std::string_view(main).substr(
          static_cast<size_t>(piece.offset + uint64_t{from - cp} * piece.bytesPerChar),
          size_t{to - from} * piece.bytesPerChar);
      if (piece.utf16) {
        size_t at = text.size();
        text.resize(at + bytes.size() / 2);
        for (size_t i = 0; i + 1 < bytes.size(); i += 2)
          text[at + i / 2] = static_cast<char16_t>(ByteReader::Get16(bytes, i));
      } else {
        text += AnsiToWide(bytes, piece.codePage ? piece.codePage : TextCodePage());
      }
    }
    cp += piece.Length();
    if (cp >= cpEnd)
      break;
  }
  return text;
}

void DocReader::ReadText(const std::string& main, const std::string* clx,
                         const std::string* table) {
  FSegments.clear();
  if (FDocVersion == 0 || FDocVersion == 2) {
    // Word 2 and its kin: the bytes from fcMin to fcMac in the system code
    // page, without a piece table.
    uint32_t fcMin = Fib32(kFcMin), fcMac = Fib32(kFcMac);
    if (fcMac < fcMin || fcMac > main.size())
      throw ReadError();
    Segment whole;
    whole.cpEnd = fcMac - fcMin;
    whole.offset = fcMin;
    FSegments.push_back(whole);
  } else {
    FSegments = ReadPieceTable(main, clx);
  }
  uint32_t total = 0;
  for (const Segment& piece : FSegments)
    total += piece.Length();
  std::u16string text = DecodeRange(main, 0, total);
  // Word 6 and Word 95 keep their formatting in the main stream.
  if (HasWord6Formatting() && ConvertSysCharacters()) {
    ReadStructuredText(main, main, text);
    return;
  }
  if (FDocVersion == 8 && table != nullptr && ConvertSysCharacters()) {
    ReadStructuredText(main, *table, text);
    return;
  }
  AddStoryText(Doc().Main(), text);
}

// The main story is the document's own text, with the text boxes where
// they are anchored; the other stories have places of their own (the notes
// with the notes, headers, footers and comments as stories).  Word 6 and
// Word 95 notes, whose places are not read, follow the text when notes are
// asked for.
void DocReader::ReadStructuredText(const std::string& main, const std::string& table,
                                   std::u16string_view text) {
  const uint32_t ccpText = std::min<uint32_t>(Fib32(kCcpText), static_cast<uint32_t>(text.size()));
  ReadFormatting(main, table);
  StoryStructure structure;
  structure.formatting = FFormatting.get();
  const bool notes = ParseItems().Contains(ContentItem::Notes);
  if (notes && FDocVersion == 8)
    structure.notes = ReadNotes(table, text.substr(0, ccpText));
  structure.anchored =
      ReadTextBoxes(FDocVersion == 8 ? std::string_view(table) : std::string_view(), text);
  std::vector<Block> blocks = StoryBlocks(text.substr(0, ccpText), true, &structure);
  if (notes && FDocVersion != 8) {
    for (StoryKind kind : {StoryKind::Footnotes, StoryKind::Endnotes}) {
      std::u16string_view story = StoryText(text, kind);
      if (story.empty())
        continue;
      std::vector<Block> after = StoryBlocks(story, true);
      blocks.insert(blocks.end(), std::make_move_iterator(after.begin()),
                    std::make_move_iterator(after.end()));
    }
  }
  AddStoryBlocks(Doc().Main(), std::move(blocks));
  ReadNoteTexts(main, static_cast<uint32_t>(text.size()));
}

void DocReader::ReadFormatting(const std::string& main, const std::string& table) {
  FormattingPlaces places;
  places.styleSheet = Fib32(kFcStshf);
  places.styleSheetSize = Fib32(kFcStshf + 4);
  places.characterBins = Fib32(kFcPlcfbteChpx);
  places.characterBinsSize = Fib32(kFcPlcfbteChpx + 4);
  places.paragraphBins = Fib32(kFcPlcfbtePapx);
  places.paragraphBinsSize = Fib32(kFcPlcfbtePapx + 4);
  places.lists = Fib32(kFcPlcfLst);
  places.listsSize = Fib32(kFcPlcfLst + 4);
  places.listOverrides = Fib32(kFcPlfLfo);
  places.listOverridesSize = Fib32(kFcPlfLfo + 4);
  if (HasWord6Formatting())
    places.codes = ModifierCodes::OneByte;
  std::vector<TextPiece> pieces;
  pieces.reserve(FSegments.size());
  uint32_t cp = 0;
  for (const Segment& segment : FSegments) {
    if (!segment.zeros)
      pieces.push_back({cp, cp + segment.Length(), segment.offset, segment.bytesPerChar});
    cp += segment.Length();
  }
  FFormatting = std::make_unique<WordFormatting>(main, table, places, pieces);
}

void DocReader::AddStoryText(Story& story, std::u16string_view text) {
  AddStoryBlocks(story, StoryBlocks(text, ConvertSysCharacters()));
}

void DocReader::AddStoryBlocks(Story& story, std::vector<Block> blocks) {
  try {
    for (Block& block : blocks)
      AddBlock(story, std::move(block));
  } catch (const LimitExceeded&) {
    // As when the story's text was one entry of its output list: the
    // entry is there whole or not at all.
    if (&story == &Doc().Main())
      story.blocks.clear();
    else
      Doc().stories.pop_back();
    throw;
  }
}

// A story's characters in the document's text (the first story of its
// kind: the main text boxes before the headers'); empty where the FIB's
// counts place it beyond the text.
std::u16string_view DocReader::StoryText(std::u16string_view text, StoryKind kind) const {
  uint64_t start = Fib32(kCcpText);
  for (const StoryPlace& place : kStoriesAfterText) {
    const uint64_t end = start + Fib32(place.countOffset);
    if (place.kind == kind) {
      if (start >= text.size())
        return {};
      return text.substr(static_cast<size_t>(start),
                         static_cast<size_t>(std::min<uint64_t>(end, text.size()) - start));
    }
    start = end;
  }
  return {};
}

// The stories after the main text, each of its kind: footnotes, the headers
// and footers, comments, endnotes, text boxes (also shown at their anchors)
// and the headers' text boxes, which belong to the headers.
void DocReader::ReadStories(const std::string& main, std::string_view table) {
  uint32_t textEnd = 0;
  for (const Segment& piece : FSegments)
    textEnd += piece.Length();
  int32_t ccpText = static_cast<int32_t>(Fib32(kCcpText));
  uint64_t cp = ccpText > 0 ? static_cast<uint32_t>(ccpText) : Fib32(kFcMac) - Fib32(kFcMin);
  for (const StoryPlace& place : kStoriesAfterText) {
    int32_t count = static_cast<int32_t>(Fib32(place.countOffset));
    if (count <= 0)
      continue;
    uint64_t end = cp + static_cast<uint32_t>(count);
    if (place.kind != StoryKind::Macros && cp < textEnd) {
      std::u16string text = DecodeRange(main, static_cast<uint32_t>(cp),
                                        static_cast<uint32_t>(std::min<uint64_t>(end, textEnd)));
      if (place.kind == StoryKind::Headers && FDocVersion == 8)
        AddHeaderStories(table, text);
      else
        AddStoryText(
            Doc().AddStory(place.countOffset == kCcpHdrTxbx ? StoryKind::Headers : place.kind),
            text);
    }
    cp = end;
  }
}

// The headers' story holds the note separators, then for each section its
// even and odd headers, even and odd footers and first-page header and
// footer, placed by the header table (character positions in the story).
// A section that repeats the one before has empty entries there.
void DocReader::AddHeaderStories(std::string_view table, std::u16string_view text) {
  const uint32_t at = Fib32(kFcPlcfHdd), size = Fib32(kLcbPlcfHdd);
  std::string_view places =
      at <= table.size() && size <= table.size() - at ? table.substr(at, size) : std::string_view();
  const size_t count = places.size() / 4;
  if (count < 2) {
    AddStoryText(Doc().AddStory(StoryKind::Headers), text);
    return;
  }
  for (size_t i = kNoteSeparators; i + 1 < count; ++i) {
    uint32_t start = ByteReader::Get32(places, 4 * i), end = ByteReader::Get32(places, 4 * (i + 1));
    if (start >= end || start >= text.size())
      continue;
    std::u16string_view entry = text.substr(start, std::min<size_t>(end, text.size()) - start);
    while (!entry.empty() && entry.back() == u'\r')
      entry.remove_suffix(1);
    if (entry.empty())
      continue;
    const size_t role = (i - kNoteSeparators) % 6; // even, odd header; even, odd footer; first
    const bool footer = role == 2 || role == 3 || role == 5;
    AddStoryText(Doc().AddStory(footer ? StoryKind::Footers : StoryKind::Headers), entry);
  }
}

} // namespace scrivlet
