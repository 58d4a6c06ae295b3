// WordPerfect 6, 7, 8 and 9 documents (.wpd), plain or stored as the
// "PerfectOffice_MAIN" stream of a compound file.
//
// After the 24-byte header and the packet index, the document area is a
// run of bytes: printable ASCII is text, 1 to 31 are accented letters, and
// every other byte is a function code whose data are skipped, turned into
// mark-up or a character.  The whole document goes to the output list as
// one entry.
#pragma once

#include "core/LegacyReader.h"

#include <cstdint>
#include <string>
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

class WordPerfectReader : public LegacyReader {
public:
  const char* ClassName() const override { return "WordPerfectReader"; }

  void Clear() override;
  void ParseStream(Stream& stream) override;
  void LoadFromFile(const std::string& fileName) override;
  bool IsEncrypted() override { return FEncryption != 0; }

  const WordPerfectPacketList& Packets() const { return FPackets; }
  const WordPerfectFontList& Fonts() const { return FFonts; }

private:
  void ReadStorage(const CompoundFile& storage);
  void ParseDocument(std::string_view data);
  void ReadIndex(ByteReader& reader);
  void ReadFontDescriptor(ByteReader& reader, uint16_t packet, uint32_t offset);
  std::string ConvertFunction(ByteReader& reader, uint8_t code);
  std::string Alignment(ByteReader& reader);
  std::string FontChange(ByteReader& reader);
  std::string TabGroup(uint8_t subfunction);
  std::string Attribute(uint8_t attribute, bool on) const;
  std::string Break(int kind) const;

  uint32_t FDocumentOffset = 0;
  uint8_t FMajorVersion = 0;
  uint16_t FEncryption = 0;
  uint16_t FIndexOffset = 0;
  uint32_t FDocumentSize = 0;
  WordPerfectPacketList FPackets;
  WordPerfectFontList FFonts;
  bool FSuppressed = false;
  bool FFontOpen = false;
  std::string FAlignment;
};

} // namespace scrivlet
