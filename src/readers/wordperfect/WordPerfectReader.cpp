#include "readers/wordperfect/WordPerfectReader.h"

#include "core/ByteReader.h"
#include "core/CodePage.h"
#include "core/Exception.h"
#include "core/Limits.h"
#include "storage/CompoundFile.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace scrivlet {
namespace {

constexpr char kIdentification[] = "\xFFWPC";
constexpr size_t kHeaderSize = 24;
constexpr size_t kIndexEntrySize = 14;

// Accented letters of the codes 1 to 31, as Windows-1252 bytes: WordPerfect
// writes the most common letters of its multinational set as one byte,
// lower case before upper case (14 is the "ë" of Dutch "coëfficiënt", 15
// the "é" of French "représentation", 17 the "è" of "Modèle").
constexpr uint8_t kControlCodes[32] = {
    0,    0xE5, 0xC5, 0xE6, 0xC6, 0xE4, 0xC4, 0xE1, 0xE0, 0xE2, 0xE3, 0xC3, 0xE7, 0xC7, 0xEB, 0xE9,
    0xC9, 0xE8, 0xEA, 0xED, 0xF1, 0xD1, 0xF8, 0xD8, 0xF5, 0xD5, 0xF6, 0xD6, 0xFC, 0xDC, 0xFA, 0xF9};

// The break group's subfunctions of tables: a cell ends and the next
// begins; a row and its first cell begin (in several kinds); the table ends.
constexpr uint8_t kTableCell = 0x0A;
constexpr uint8_t kFirstTableRow = 0x0B;
constexpr uint8_t kLastTableRow = 0x10;
constexpr uint8_t kFirstTableOff = 0x11;
constexpr uint8_t kLastTableOff = 0x13;
// The character group's subfunction that defines a table.
constexpr uint8_t kTableDefinition = 0x2A;
// The footnote and endnote group's subfunctions.
constexpr uint8_t kFootnoteOn = 0;
constexpr uint8_t kFootnoteOff = 1;
constexpr uint8_t kEndnoteOn = 2;
constexpr uint8_t kEndnoteOff = 3;
constexpr uint8_t kPrefixIds = 0x80; // a group's flags: prefix identifiers follow
// A packet of text: a count of text blocks, then the offset and size of
// each, within the packet.
constexpr uint8_t kTextPacket = 0x08;
constexpr size_t kTextBlockEntrySize = 8;
// The longest mark a note reference keeps as its label.
constexpr size_t kMaxLabel = 8;

// The group header after the code byte: subfunction, size and, for most
// groups, a flags byte.
struct GroupHeader {
  uint64_t codePosition;
  uint8_t subfunction;
  uint16_t size;
  uint8_t flags;
};

GroupHeader ReadGroup(ByteReader& reader, bool withFlags) {
  GroupHeader group{reader.Position() - 1, 0, 0, 0};
  group.subfunction = reader.U8();
  group.size = reader.U16();
  if (withFlags)
    group.flags = reader.U8();
  return group;
}

// A line end that word wrap made (1 to 3), or that a soft hyphen made
// (20 to 22, where the word goes on after it).
bool IsSoftLineEnd(uint8_t subfunction) {
  return (subfunction >= 1 && subfunction <= 3) || (subfunction >= 20 && subfunction <= 22);
}

bool IsSoftHyphenLineEnd(uint8_t subfunction) {
  return subfunction >= 20 && subfunction <= 22;
}

// The group's bytes from the reader's position to the group's end, as far
// as the data reach.
std::string_view GroupData(ByteReader& reader, const GroupHeader& group) {
  const uint64_t end = std::min<uint64_t>(group.codePosition + group.size, reader.Size());
  return end > reader.Position() ? reader.Bytes(end - reader.Position()) : std::string_view();
}

// The first prefix identifier of a group (the packet it refers to), 0 for
// none.
uint16_t FirstPrefixId(uint8_t flags, std::string_view data) {
  if ((flags & kPrefixIds) == 0 || data.size() < 3 || data[0] == 0)
    return 0;
  return ByteReader::Get16(data, 1);
}

bool IsSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == 0xA0;
}

// The text without the white space at its ends (at its start only, when
// startOnly).
std::u16string Trimmed(std::u16string text, bool startOnly = false) {
  size_t begin = 0, end = text.size();
  while (begin < end && IsSpace(text[begin]))
    ++begin;
  while (!startOnly && end > begin && IsSpace(text[end - 1]))
    --end;
  return text.substr(begin, end - begin);
}

std::u16string Number(uint32_t value) {
  std::u16string text;
  for (char c : std::to_string(value))
    text += static_cast<char16_t>(c);
  return text;
}

// Groups end at their code position plus their size; a size of 0 leaves
// the reader just after the code byte.
void SkipGroup(ByteReader& reader, const GroupHeader& group) {
  reader.Seek(group.codePosition + (group.size == 0 ? 1 : group.size));
}

// The mark an attribute code switches; 0 for the attributes without one.
Marks MarkOf(uint8_t attribute) {
  switch (attribute) {
  case 5: return kSuperscript;
  case 6: return kSubscript;
  case 8: return kItalic;
  case 12: return kBold;
  case 13: return kStrike;
  case 14: return kUnderline;
  default: return 0;
  }
}

// Whether a tab group's subfunction is one the text shows as a tab (those
// of 0x40-0x47 centre the text after them, those of 0x80-0x87 set it flush
// right); the other groups leave no trace.
bool IsTab(uint8_t subfunction) {
  if (subfunction >= 0xD8)
    return false;
  switch (subfunction & 0xF8) {
  case 0x00:
  case 0x08:
  case 0x10:
  case 0x20:
  case 0x30:
  case 0x38:
  case 0x40:
  case 0x48:
  case 0x50:
  case 0x80:
  case 0x90:
  case 0xD0: return true;
  default: return false;
  }
}

// A note's body begins with its number (which the reference shows, and
// which reading the body leaves out) and the tab or spaces after it: the
// body's first line starts at its text.
void TrimNoteStart(std::vector<Block>& blocks) {
  for (Block& block : blocks) {
    if (block.VisibleText().empty())
      continue;
    std::vector<Inline> content;
    bool started = false;
    for (Inline& piece : block.content) {
      if (!started && piece.kind == InlineKind::Text)
        piece.text = Trimmed(std::move(piece.text), true);
      started = started || !piece.text.empty();
      if (started || (piece.kind != InlineKind::Tab && piece.kind != InlineKind::LineBreak))
        content.push_back(std::move(piece));
    }
    block.content = std::move(content);
    return;
  }
}

} // namespace

void WordPerfectReader::Parse(std::string_view bytes) {
  Doc().markup = MarkupConvention::WordPerfect;
  // The text counts as read once a document's text is read to its end.
  Doc().textRead = false;
  FEncryption = 0;
  FPackets.clear();
  FFonts.clear();
  // A damaged compound file is refused with the storage's own message.
  if (CompoundFile::HasSignature(bytes)) {
    ReadStorage(CompoundFile(std::string(bytes)));
    return;
  }
  ParseDocument(bytes);
}

// The last stream of the name is the document, as each reading started
// afresh; a directory that repeats the name costs one reading, not one
// for every copy.
void WordPerfectReader::ReadStorage(const CompoundFile& storage) {
  std::optional<uint32_t> main;
  for (const auto& element : storage.Elements(CompoundFile::kRoot))
    if (element.kind == CompoundFile::ElementKind::Stream && element.name == u"PerfectOffice_MAIN")
      main = element.entry;
  if (main)
    ParseDocument(storage.StreamData(*main));
}

void WordPerfectReader::ParseDocument(std::string_view data) {
  // Each document read starts afresh: the last one of a storage counts.
  Doc().textRead = false;
  Doc().Main().blocks.clear();
  FPackets.clear();
  FFonts.clear();
  FFontOffsets.clear();
  FStyles.clear();
  Doc().notes.clear();
  FNotePackets.clear();
  FFootnotes = 0;
  FEndnotes = 0;
  Budget().SpendWork(data.size());
  ByteReader reader(data);
  std::string_view header = reader.Bytes(kHeaderSize);
  FDocumentOffset = ByteReader::Get32(header, 4);
  FMajorVersion = static_cast<uint8_t>(header[10]);
  FEncryption = ByteReader::Get16(header, 12);
  FIndexOffset = ByteReader::Get16(header, 14);
  FDocumentSize = ByteReader::Get32(header, 20);
  // The header is checked before its encryption word: a damaged header's
  // bytes say nothing of a password.
  if (header.substr(0, 4) != std::string_view(kIdentification, 4) || FMajorVersion > 2)
    throw Exception("File %s is not valid WordPerfect 6/7/8/9 document.", {FileName()});
  if (FMajorVersion != 2)
    throw Exception("File %s is a WordPerfect 5 document: only WordPerfect 6/7/8/9 documents "
                    "are read.",
                    {FileName()});
  if (FEncryption != 0)
    throw Exception("Could not read the password protected file");
  ReadIndex(reader);
  if (!ParseItems().Contains(ContentItem::Text))
    return;
  reader.Seek(FDocumentOffset);
  StartText(Doc().Main());
  ReadText(reader, std::min<uint64_t>(FDocumentSize, data.size()));
  ReadNoteBodies(data);
  Doc().textRead = true;
}

void WordPerfectReader::ReadIndex(ByteReader& reader) {
  if (FIndexOffset == 0)
    return;
  reader.Seek(FIndexOffset + 2u);
  uint16_t count = reader.U16();
  if (count <= 1)
    return;
  reader.Seek(FIndexOffset + 14u);
  for (uint16_t k = 1; k < count; ++k) {
    std::string_view entry = reader.Bytes(kIndexEntrySize);
    WordPerfectPacket packet;
    packet.PacketNumber = k;
    packet.FlagSet = (entry[0] & 1) != 0;
    packet.PacketType = static_cast<uint8_t>(entry[1]);
    packet.DataSize = ByteReader::Get32(entry, 6);
    packet.DataOffset = ByteReader::Get32(entry, 10);
    // A descriptor that several entries name is read once.
    if ((packet.PacketType == 0x20 || packet.PacketType == 0x55) &&
        FFontOffsets.insert(packet.DataOffset).second)
      ReadFontDescriptor(reader, k, packet.DataOffset);
    FPackets.push_back(packet);
  }
}

void WordPerfectReader::ReadFontDescriptor(ByteReader& reader, uint16_t packet, uint32_t offset) {
  ByteReader data = reader; // the index reader keeps its place
  data.Seek(offset);
  WordPerfectFont font;
  font.PacketNumber = packet;
  for (uint16_t& word : font.Words)
    word = data.U16();
  for (uint8_t& byte : font.Bytes)
    byte = data.U8();
  uint16_t nameLength = data.U16();
  if (nameLength > 0)
    font.FontName = std::string(data.Bytes(nameLength));
  Budget().SpendMemory(sizeof(WordPerfectFont) + font.FontName.size());
  FFonts.push_back(std::move(font));
}

// The document area up to limit.  Text between a suppression code and the
// code that ends it is left out, and with it most of the codes; paragraph
// ends, paragraph and style groups and font changes still count.
void WordPerfectReader::ReadText(ByteReader& reader, uint64_t limit) {
  while (reader.Position() < limit) {
    uint8_t c = reader.U8();
    if (c >= 0x21 && c <= 0x7E && !FSuppressed)
      FCharacters += static_cast<char>(c);
    else if (c >= 1 && c <= 31 && !FSuppressed)
      FCharacters += static_cast<char>(kControlCodes[c]);
    else
      ReadFunction(reader, c);
  }
  FinishText();
}

// The text of a story starts: nothing of the story before carries over.
void WordPerfectReader::StartText(Story& story) {
  FStory = &story;
  FSuppressed = false;
  FMarks = 0;
  FCharacters.clear();
  FParagraph = Block();
  FTable = WordPerfectTable();
  FCapture = Capture::None;
}

// The text of a story ends: what it left open ends with it.
void WordPerfectReader::FinishText() {
  FinishCapture();
  FlushCharacters();
  if (!FParagraph.content.empty())
    AddBlock(*FStory, std::move(FParagraph));
  FParagraph = Block();
  std::vector<Block> boundaries;
  FTable.End(boundaries);
  AddTableBoundaries(std::move(boundaries));
}

void WordPerfectReader::ReadFunction(ByteReader& reader, uint8_t code) {
  switch (code) {
  case 0x80:
    if (!FSuppressed)
      FCharacters += ' ';
    return;
  case 0x84:
    if (!FSuppressed)
      FCharacters += '-';
    return;
  case 0x87:
  case 0xCC: EndParagraph(code); return;
  case 0xCF:
    if (!FSuppressed)
      AddPiece(InlineKind::LineBreak);
    return;
  case 0xD0: ReadBreakGroup(reader); return;
  case 0xD7: ReadNoteGroup(reader); return;
  case 0xDA:
    if (FReadingNote)
      ReadNumberDisplay(reader);
    else
      SkipGroup(reader, ReadGroup(reader, false));
    return;
  case 0xD1:
  case 0xD5:
  case 0xD6:
  case 0xD8:
  case 0xD9:
  case 0xDD:
  case 0xDE:
  case 0xE1:
  case 0xE2: SkipGroup(reader, ReadGroup(reader, false)); return;
  case 0xD2: ReadIndent(reader); return;
  case 0xD3: ReadParagraphGroup(reader); return;
  case 0xD4: ReadFontGroup(reader); return;
  case 0xDB:
  case 0xDC:
    // A style's start or end: the text after it goes on a line of its own.
    SkipGroup(reader, ReadGroup(reader, false));
    AddPiece(InlineKind::LineBreak, code);
    return;
  case 0xDF: {
    GroupHeader group = ReadGroup(reader, true);
    if (reader.U8() == 0)
      throw Exception("Incorrect value for numPIDs");
    SkipGroup(reader, group);
    return;
  }
  case 0xE0: ReadTabGroup(reader); return;
  case 0xF0: ReadExtendedCharacter(reader); return;
  case 0xF1: {
    uint64_t start = reader.Position() - 1;
    uint8_t type = reader.U8();
    reader.Seek(start + 5);
    if (type == 0)
      FSuppressed = true;
    else if (type == 1)
      FSuppressed = false;
    return;
  }
  case 0xF2:
  case 0xF3: ReadAttribute(reader, code == 0xF2); return;
  default: return;
  }
}

// The break group: line breaks of several kinds (soft, hard, at the end of
// a column or page), paragraph ends, a hard space, page breaks and the
// boundaries of a table's cells and rows.
void WordPerfectReader::ReadBreakGroup(ByteReader& reader) {
  GroupHeader group = ReadGroup(reader, false);
  uint8_t s = group.subfunction;
  uint16_t columnSpan = 1;
  if (s >= kTableCell && s <= kLastTableRow && !FSuppressed && reader.Remaining() > 0) {
    group.flags = reader.U8();
    columnSpan = WordPerfectTable::ColumnSpan(group.flags, GroupData(reader, group));
  }
  SkipGroup(reader, group);
  if (FSuppressed)
    return;
  if (IsSoftHyphenLineEnd(s))
    return; // the word goes on after it: no break in the word
  if (FReadingNote && IsSoftLineEnd(s))
    FCharacters += ' '; // a note's body flows: its lines join
  else if (IsSoftLineEnd(s))
    AddPiece(InlineKind::LineBreak);
  else if ((s >= 4 && s <= 6) || (s >= 23 && s <= 25))
    EndParagraph(0xD0);
  else if (s == 7)
    FCharacters += ' ';
  else if (s == 9 || s == 28) {
    Block pageBreak;
    pageBreak.kind = BlockKind::PageBreak;
    pageBreak.content.emplace_back().kind = InlineKind::PageBreak;
    AddBoundary(std::move(pageBreak));
  } else if (s >= kTableCell && s <= kLastTableOff)
    ReadTableBreak(s, columnSpan);
}

void WordPerfectReader::ReadTableBreak(uint8_t subfunction, uint16_t columnSpan) {
  std::vector<Block> boundaries;
  if (subfunction == kTableCell)
    FTable.Cell(columnSpan, boundaries);
  else if (subfunction >= kFirstTableRow && subfunction <= kLastTableRow)
    FTable.Row(columnSpan, boundaries);
  else if (subfunction >= kFirstTableOff && subfunction <= kLastTableOff)
    FTable.End(boundaries);
  AddTableBoundaries(std::move(boundaries));
}

void WordPerfectReader::AddTableBoundaries(std::vector<Block> boundaries) {
  for (Block& boundary : boundaries)
    AddBoundary(std::move(boundary));
}

void WordPerfectReader::AddBoundary(Block block) {
  FinishCapture();
  FlushCharacters();
  if (!FParagraph.content.empty())
    AddBlock(*FStory, std::exchange(FParagraph, Block()));
  AddBlock(*FStory, std::move(block));
}

// A footnote's or endnote's start: the mark after it, up to the note's
// end, is the reference the text shows; the group's prefix names the
// packet of the note's body.  Notes do not nest: a body's own note codes
// are left out, as are those of suppressed text.
void WordPerfectReader::ReadNoteGroup(ByteReader& reader) {
  GroupHeader group = ReadGroup(reader, true);
  const uint16_t packet = FirstPrefixId(group.flags, GroupData(reader, group));
  SkipGroup(reader, group);
  const uint8_t s = group.subfunction;
  if (s == kFootnoteOff || s == kEndnoteOff) {
    if (FCapture == Capture::Reference)
      FinishCapture();
  } else if ((s == kFootnoteOn || s == kEndnoteOn) && !FSuppressed && !FReadingNote &&
             FCapture == Capture::None) {
    StartNote(s == kEndnoteOn, packet);
  }
}

void WordPerfectReader::StartNote(bool endnote, uint16_t packet) {
  FlushCharacters();
  const uint32_t count = endnote ? ++FEndnotes : ++FFootnotes;
  Note& note = Doc().notes.emplace_back();
  note.id = (endnote ? u"en" : u"fn") + Number(count);
  note.label = Number(count);
  note.endnote = endnote;
  FNotePackets.push_back(packet);
  FCapture = Capture::Reference;
}

// In a note's body, the number it shows (between a display group's start,
// an even subfunction, and its end) is left out.
void WordPerfectReader::ReadNumberDisplay(ByteReader& reader) {
  GroupHeader group = ReadGroup(reader, false);
  SkipGroup(reader, group);
  if (FSuppressed)
    return;
  if (group.subfunction % 2 == 0 && FCapture == Capture::None) {
    FlushCharacters();
    FCapture = Capture::NoteNumber;
  } else if (group.subfunction % 2 == 1 && FCapture == Capture::NoteNumber) {
    FinishCapture();
  }
}

// The gathered text ends: a note's number is dropped; a note's mark
// becomes the reference's label (its count when the mark is empty or too
// long), or the note's body when the note has no packet of its own.
void WordPerfectReader::FinishCapture() {
  if (FCapture == Capture::None)
    return;
  const Capture capture = std::exchange(FCapture, Capture::None);
  std::u16string shown = Trimmed(AnsiToWide(FCharacters, TextCodePage()));
  FCharacters.clear();
  if (capture != Capture::Reference)
    return;
  Note& note = Doc().notes.back();
  if (FNotePackets.back() == 0 && !shown.empty())
    note.blocks.emplace_back().content.emplace_back().text = std::move(shown);
  else if (!shown.empty() && shown.size() <= kMaxLabel)
    note.label = std::move(shown);
  Inline reference;
  reference.kind = InlineKind::NoteReference;
  reference.text = note.label;
  reference.target = note.id;
  FParagraph.content.push_back(std::move(reference));
}

// Each note's body, read from its packet once: a packet that a second note
// names again gives that note no body.
void WordPerfectReader::ReadNoteBodies(std::string_view data) {
  std::vector<bool> read(FPackets.size() + 1, false);
  for (size_t i = 0; i < FNotePackets.size(); ++i) {
    const uint16_t number = FNotePackets[i];
    if (number == 0 || number > FPackets.size() || read[number])
      continue;
    read[number] = true;
    Story body;
    ReadNoteBody(data, FPackets[number - 1u], body);
    TrimNoteStart(body.blocks);
    Doc().notes[i].blocks = std::move(body.blocks);
  }
  FReadingNote = false;
}

// A text packet: its text blocks, read one after another as the body.  A
// body that breaks off keeps what was read of it, and the main text stands.
void WordPerfectReader::ReadNoteBody(std::string_view data, const WordPerfectPacket& packet,
                                     Story& body) {
  if (packet.PacketType != kTextPacket || packet.DataOffset >= data.size())
    return;
  const std::string_view text = data.substr(packet.DataOffset, packet.DataSize);
  const size_t count = text.size() >= 2 ? ByteReader::Get16(text, 0) : 0;
  FReadingNote = true;
  for (size_t k = 0; k < count && 2 + (k + 1) * kTextBlockEntrySize <= text.size(); ++k) {
    const size_t entry = 2 + k * kTextBlockEntrySize;
    const uint64_t offset = ByteReader::Get32(text, entry);
    const uint64_t size = ByteReader::Get32(text, entry + 4);
    if (offset >= text.size())
      continue;
    ByteReader reader(data, packet.DataOffset + offset);
    StartText(body);
    try {
      ReadText(reader, packet.DataOffset + std::min<uint64_t>(offset + size, text.size()));
    } catch (const LimitExceeded&) {
      throw;
    } catch (const Exception&) {
      FinishText();
      break;
    }
  }
  FReadingNote = false;
}

// An indent of the first line (subfunction 0) or of the right margin (1),
// in 1200ths of an inch.
void WordPerfectReader::ReadIndent(ByteReader& reader) {
  GroupHeader group = ReadGroup(reader, true);
  if (group.subfunction == 0 || group.subfunction == 1) {
    reader.U16();
    uint16_t measure = reader.U16();
    if (!FSuppressed)
      AddPiece(InlineKind::Indent, measure, group.subfunction);
  }
  SkipGroup(reader, group);
}

// A paragraph's format; subfunction 5 sets its justification (0 left,
// 1 full, 2 centre, 3 right; -1 here when suppressed text hides it).  The
// text after the group goes on a line of its own.
void WordPerfectReader::ReadParagraphGroup(ByteReader& reader) {
  GroupHeader group = ReadGroup(reader, true);
  reader.U16();
  if (group.subfunction == 5) {
    uint8_t justification = reader.U8();
    AddPiece(InlineKind::Alignment, FSuppressed ? -1 : justification);
  }
  SkipGroup(reader, group);
  AddPiece(InlineKind::LineBreak, 0xD3);
}

// A change of font face or size, in force whether or not text is
// suppressed: the font's number and its size, counted 50 units a point.
void WordPerfectReader::ReadFontGroup(ByteReader& reader) {
  GroupHeader group = ReadGroup(reader, true);
  if (group.subfunction == kTableDefinition && !FSuppressed) {
    std::vector<Block> boundaries;
    FTable.Define(boundaries);
    AddTableBoundaries(std::move(boundaries));
  }
  if (group.subfunction == 0x1A || group.subfunction == 0x1B) {
    reader.U8();
    for (int i = 0; i < 4; ++i)
      reader.U16();
    uint16_t font = reader.U16();
    uint16_t size = reader.U16();
    AddPiece(InlineKind::FontChange, 0, StyleOf(font, size * 2 / 50));
  }
  SkipGroup(reader, group);
}

uint32_t WordPerfectReader::StyleOf(int32_t font, int32_t halfPoints) {
  auto key = std::make_pair(font, halfPoints);
  auto known = FStyles.find(key);
  if (known != FStyles.end())
    return known->second;
  CharacterStyle style;
  style.fontNumber = font;
  style.halfPoints = halfPoints;
  uint32_t index = Doc().AddCharacterStyle(std::move(style));
  FStyles.emplace(key, index);
  return index;
}

// A tab; value keeps its subfunction, which tells the centred (0x40-0x47)
// and flush-right (0x80-0x87) kinds from the others.
void WordPerfectReader::ReadTabGroup(ByteReader& reader) {
  GroupHeader group = ReadGroup(reader, false);
  SkipGroup(reader, group);
  if (!FSuppressed && IsTab(group.subfunction))
    AddPiece(InlineKind::Tab, group.subfunction);
}

// A character of WordPerfect's character sets, framed by two 0xF0 codes;
// the quotes and two accented letters are read, the others left out.
void WordPerfectReader::ReadExtendedCharacter(ByteReader& reader) {
  uint8_t number = reader.U8(), set = reader.U8();
  if (reader.U8() != 0xF0)
    throw Exception("Incorrect character instead WP_TOP_EXTENDED_CHARACTER");
  if (FSuppressed)
    return;
  if (set == 4 && (number == 28 || number == 29)) // closing and opening
    FCharacters += '\'';
  else if (set == 4 && (number == 31 || number == 32))
    FCharacters += '"';
  else if (set == 1 && number == 52)
    FCharacters += '\xCF';
  else if (set == 1 && number == 53)
    FCharacters += '\xEF';
}

void WordPerfectReader::ReadAttribute(ByteReader& reader, bool on) {
  uint64_t start = reader.Position() - 1;
  uint8_t attribute = reader.U8();
  reader.Seek(start + 3);
  Marks mark = MarkOf(attribute);
  if (FSuppressed || mark == 0)
    return;
  AddPiece(on ? InlineKind::MarkOn : InlineKind::MarkOff, attribute, 0, mark);
  FMarks = on ? FMarks | mark : FMarks & ~mark;
}

// The 8-bit text read so far becomes a piece with the marks in force.
void WordPerfectReader::FlushCharacters() {
  if (FCharacters.empty() || FCapture != Capture::None)
    return;
  Inline piece;
  piece.marks = FMarks;
  piece.text = AnsiToWide(FCharacters, TextCodePage());
  FParagraph.content.push_back(std::move(piece));
  FCharacters.clear();
}

// While a note's mark or number gathers, only the changes of format that
// stay in force are kept.
void WordPerfectReader::AddPiece(InlineKind kind, int32_t value, uint32_t style, Marks marks) {
  if (FCapture != Capture::None && kind != InlineKind::FontChange && kind != InlineKind::Alignment)
    return;
  FlushCharacters();
  Inline piece;
  piece.kind = kind;
  piece.value = value;
  piece.style = style;
  piece.marks = marks;
  FParagraph.content.push_back(std::move(piece));
}

// A paragraph ends (even inside suppressed text); ending keeps the code
// that ended it.
void WordPerfectReader::EndParagraph(uint8_t code) {
  FinishCapture();
  FlushCharacters();
  FParagraph.ending = code;
  AddBlock(*FStory, std::move(FParagraph));
  FParagraph = Block();
}

} // namespace scrivlet
