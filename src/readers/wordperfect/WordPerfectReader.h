// WordPerfect 6, 7, 8 and 9 documents (.wpd), plain or stored as the
// "PerfectOffice_MAIN" stream of a compound file.
//
// After the 24-byte header and the packet index, the document area is a
// run of bytes: printable ASCII is text, 1 to 31 are accented letters, and
// every other byte is a function code whose data are skipped or read as a
// break, a character or a change of format.  The document becomes blocks
// split at paragraph ends; the changes of format inside a paragraph
// (alignment, font, indent, attributes switched on and off, tabs) stay
// pieces where they stand.
#pragma once

#include "readers/common/DocumentReader.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace scrivlet {

class ByteReader;
class CompoundFile;

struct WordPerfectPacket {
  uint16_t PacketNumber = 0;
  uint8_t PacketType = 0;
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

  uint32_t FDocumentOffset = 0;
  uint8_t FMajorVersion = 0;
  uint16_t FEncryption = 0;
  uint16_t FIndexOffset = 0;
  uint32_t FDocumentSize = 0;
  WordPerfectPacketList FPackets;
  WordPerfectFontList FFonts;
  bool FSuppressed = false;
  Marks FMarks = 0;        // the attributes switched on
  std::string FCharacters; // 8-bit text not yet made a piece
  Block FParagraph;
  // The character styles of the font changes, by font number and size.
  std::map<std::pair<int32_t, int32_t>, uint32_t> FStyles;
};

} // namespace scrivlet
