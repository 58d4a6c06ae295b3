#include "readers/wordperfect/WordPerfectReader.h"

#include "core/ByteReader.h"
#include "core/CodePage.h"
#include "core/Exception.h"
#include "storage/CompoundFile.h"

#include <algorithm>

namespace scrivlet {
namespace {

constexpr char kIdentification[] = "\xFFWPC";
constexpr size_t kHeaderSize = 24;
constexpr size_t kIndexEntrySize = 14;

// Accented letters of the codes 1 to 31, as Windows-1252 bytes.
constexpr uint8_t kControlCodes[32] = {
    0,    0xC5, 0xE6, 0xC6, 0xE4, 0xC4, 0xE0, 0xC0, 0xE2, 0xE3, 0xC3, 0xE7, 0xC7, 0xEB, 0xE8, 0xC8,
    0xE9, 0xEA, 0xEC, 0xF1, 0xD1, 0xF8, 0xD8, 0xF1, 0xD5, 0xD6, 0xF6, 0xDC, 0xFC, 0xFA, 0xF9, 0xDF};

// The group header after the code byte: subfunction, size and, for most
// groups, a flags byte.
struct GroupHeader {
  uint64_t codePosition;
  uint8_t subfunction;
  uint16_t size;
};

GroupHeader ReadGroup(ByteReader& reader, bool withFlags) {
  GroupHeader group{reader.Position() - 1, 0, 0};
  group.subfunction = reader.U8();
  group.size = reader.U16();
  if (withFlags)
    reader.U8();
  return group;
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

void WordPerfectReader::ReadStorage(const CompoundFile& storage) {
  for (const auto& element : storage.Elements(CompoundFile::kRoot))
    if (element.kind == CompoundFile::ElementKind::Stream && element.name == u"PerfectOffice_MAIN")
      ParseDocument(storage.StreamData(element.entry));
}

void WordPerfectReader::ParseDocument(std::string_view data) {
  // Each document read starts afresh: the last one of a storage counts.
  Doc().textRead = false;
  Doc().Main().blocks.clear();
  FPackets.clear();
  FFonts.clear();
  FStyles.clear();
  FSuppressed = false;
  FMarks = 0;
  FCharacters.clear();
  FParagraph = Block();
  ByteReader reader(data);
  std::string_view header = reader.Bytes(kHeaderSize);
  FDocumentOffset = ByteReader::Get32(header, 4);
  FMajorVersion = static_cast<uint8_t>(header[10]);
  FEncryption = ByteReader::Get16(header, 12);
  FIndexOffset = ByteReader::Get16(header, 14);
  FDocumentSize = ByteReader::Get32(header, 20);
  if (FEncryption != 0)
    throw Exception("Could not read the password protected file");
  if (FMajorVersion != 2 || header.substr(0, 4) != std::string_view(kIdentification, 4))
    throw Exception("File stream is not valid WordPerfect 6/7/8/9 document.");
  ReadIndex(reader);
  if (!ParseItems().Contains(ContentItem::Text))
    return;
  reader.Seek(FDocumentOffset);
  ReadText(reader, std::min<uint64_t>(FDocumentSize, data.size()));
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
    packet.DataOffset = ByteReader::Get32(entry, 10);
    if (packet.PacketType == 0x20 || packet.PacketType == 0x55)
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
  FlushCharacters();
  if (!FParagraph.content.empty())
    AddBlock(Doc().Main(), std::move(FParagraph));
  FParagraph = Block();
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
  case 0xD1:
  case 0xD5:
  case 0xD6:
  case 0xD7:
  case 0xD8:
  case 0xD9:
  case 0xDA:
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
// a column or page), paragraph ends, a hard space and page breaks.
void WordPerfectReader::ReadBreakGroup(ByteReader& reader) {
  GroupHeader group = ReadGroup(reader, false);
  SkipGroup(reader, group);
  if (FSuppressed)
    return;
  uint8_t s = group.subfunction;
  if ((s >= 1 && s <= 3) || (s >= 20 && s <= 22))
    AddPiece(InlineKind::LineBreak);
  else if ((s >= 4 && s <= 6) || (s >= 23 && s <= 25))
    EndParagraph(0xD0);
  else if (s == 7)
    FCharacters += ' ';
  else if (s == 9 || s == 28)
    AddPiece(InlineKind::PageBreak);
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
  if (set == 4 && number == 28)
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
  if (FCharacters.empty())
    return;
  Inline piece;
  piece.marks = FMarks;
  piece.text = AnsiToWide(FCharacters, TextCodePage());
  FParagraph.content.push_back(std::move(piece));
  FCharacters.clear();
}

void WordPerfectReader::AddPiece(InlineKind kind, int32_t value, uint32_t style, Marks marks) {
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
  FlushCharacters();
  FParagraph.ending = code;
  AddBlock(Doc().Main(), std::move(FParagraph));
  FParagraph = Block();
}

} // namespace scrivlet
