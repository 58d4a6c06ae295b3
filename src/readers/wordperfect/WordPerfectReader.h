// WordPerfect 6, 7, 8 and 9 documents (.wpd), plain or stored as the
// "PerfectOffice_MAIN" stream of a compound file.
//
// After the 24-byte header and the packet index, the document area is a
// run of bytes: printable ASCII is text, 1 to 31 are accented letters, and
// every other byte is a function code whose data are skipped or read as a
// break, a character or a change of format.  The document becomes blocks
// split at paragraph ends; the changes of format inside a paragraph
// (alignment, font, indent, attributes switched on and off, tabs) stay
// pieces where they stand.  Tables become the boundaries of their rows and
// cells, hard page breaks page-break blocks.  A footnote or endnote stands
// in the text as the mark it shows, and its body is a text packet of the
// index: the mark becomes a note reference, the packet the note.
#pragma once

#include "readers/common/DocumentReader.h"
#include "readers/wordperfect/WordPerfectTable.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

namespace scrivlet {

class ByteReader;
class CompoundFile;

struct WordPerfectPacket {
  uint16_t PacketNumber = 0;
  uint8_t PacketType = 0;
  uint32_t DataSize = 0;
  uint32_t DataOffset = 0;
  bool FlagSet = false;
};
using WordPerfectPacketList = std::vector<WordPerfectPacket>;

struct WordPerfectFont {
  uint16_t PacketNumber = 0;
  uint16_t Words[5] = {};
  uint8_t Bytes[12] = {};
  std::string FontName;
};
using WordPerfectFontList = std::vector<WordPerfectFont>;

class WordPerfectReader : public DocumentReader {
public:
  bool IsEncrypted() const override { return FEncryption != 0; }

  const WordPerfectPacketList& Packets() const { return FPackets; }
  const WordPerfectFontList& Fonts() const { return FFonts; }

private:
  void Parse(std::string_view bytes) override;
  void ReadStorage(const CompoundFile& storage);
  void ParseDocument(std::string_view data);
  void ReadIndex(ByteReader& reader);
  void ReadFontDescriptor(ByteReader& reader, uint16_t packet, uint32_t offset);
  void ReadText(ByteReader& reader, uint64_t limit);
  void ReadFunction(ByteReader& reader, uint8_t code);
  void ReadBreakGroup(ByteReader& reader);
  void ReadTableBreak(uint8_t subfunction, uint16_t columnSpan);
  void ReadNoteGroup(ByteReader& reader);
  void ReadNumberDisplay(ByteReader& reader);
  void ReadNoteBodies(std::string_view data);
  void ReadNoteBody(std::string_view data, const WordPerfectPacket& packet, Story& body);
  void ReadIndent(ByteReader& reader);
  void ReadParagraphGroup(ByteReader& reader);
  void ReadFontGroup(ByteReader& reader);
  void ReadTabGroup(ByteReader& reader);
  void ReadExtendedCharacter(ByteReader& reader);
  void ReadAttribute(ByteReader& reader, bool on);
  uint32_t StyleOf(int32_t font, int32_t halfPoints);

  // The pieces of the paragraph being read.
  void AddPiece(InlineKind kind, int32_t value = 0, uint32_t style = 0, Marks marks = 0);
  void FlushCharacters();
  void EndParagraph(uint8_t code);
  // Ends the block being read where a table's boundary or a page break
  // stands (the described output shows no end there), and adds that block.
  void AddBoundary(Block block);
  void AddTableBoundaries(std::vector<Block> boundaries);
  void StartNote(bool endnote, uint16_t packet);
  void FinishCapture();
  void StartText(Story& story);
  void FinishText();

  uint32_t FDocumentOffset = 0;
  uint8_t FMajorVersion = 0;
  uint16_t FEncryption = 0;
  uint16_t FIndexOffset = 0;
  uint32_t FDocumentSize = 0;
  WordPerfectPacketList FPackets;
  WordPerfectFontList FFonts;
  std::unordered_set<uint32_t> FFontOffsets; // descriptors read, by offset
  bool FSuppressed = false;
  Marks FMarks = 0;        // the attributes switched on
  std::string FCharacters; // 8-bit text not yet made a piece
  Block FParagraph;
  // The story the text goes into: the main text, or a note's body.
  Story* FStory = nullptr;
  WordPerfectTable FTable;
  // Text the document shows for a note rather than as its own: the note's
  // mark in the main text, the note's number at the head of its body.  It
  // gathers in FCharacters until the code that ends it.
  enum class Capture : uint8_t { None, Reference, NoteNumber };
  Capture FCapture = Capture::None;
  bool FReadingNote = false;
  // The packet of each note's body (0: none), by the note's index.
  std::vector<uint16_t> FNotePackets;
  uint32_t FFootnotes = 0;
  uint32_t FEndnotes = 0;
  // The character styles of the font changes, by font number and size.
  std::map<std::pair<int32_t, int32_t>, uint32_t> FStyles;
};

} // namespace scrivlet
