// Builds WordPerfect 6 documents byte by byte: the 24-byte header, an
// optional packet index with a font descriptor and further packets (text
// packets of notes), and the document area.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace scrivlet::test {

class WordPerfectBuilder {
public:
  std::string body; // the document area's bytes
  bool withIndex = true;
  uint16_t encryption = 0;
  uint8_t majorVersion = 2;
  std::string identification = "\xFFWPC";
  uint32_t documentSizeDelta = 0; // added to the true document size
  // The packets after the font descriptor (numbered 2, 3, ...): type, data.
  std::vector<std::pair<uint8_t, std::string>> packets{};
  // Index entries that all name the one font descriptor (packets 1 to n).
  uint16_t fontDescriptorEntries = 1;
  std::string fontName = "Arial";

  // Adds a text packet of one text block; returns the packet's number.
  uint16_t AddTextPacket(const std::string& text);

  std::string Build() const;
  static constexpr size_t kHeaderSize() { return 24; }

  // Pieces of the document area.
  static std::string Attribute(uint8_t attribute, bool on); // 0xF2 / 0xF3
  static std::string Suppress(bool on);                     // 0xF1 type 0 / 1
  static std::string Group(uint8_t code, uint8_t subfunction, const std::string& data,
                           bool flags = true);                   // a 0xD0..0xE2 group
  static std::string FontChange(uint16_t font, uint16_t points); // 0xD4 0x1A
  static std::string Alignment(uint8_t justification);           // 0xD3 5
  static std::string Extended(uint8_t number, uint8_t set);      // 0xF0
  static std::string PageBreak();                                // 0xD0 9
  static std::string TableDefinition();                          // 0xD4 0x2A
  // A table's end-of-line group (0xD0 0x0A cell, 0x0B-0x10 row, 0x11-0x13
  // off); columnSpan > 0 adds the cell's spanning sub-group.
  static std::string TableBreak(uint8_t subfunction, uint8_t columnSpan = 0);
  // A footnote or endnote group (0xD7: 0/2 on, 1/3 off); packet > 0 names
  // the packet of the note's body as the group's prefix.
  static std::string Note(uint8_t subfunction, uint16_t packet = 0);
  static std::string NumberDisplay(uint8_t subfunction); // 0xDA
};

} // namespace scrivlet::test
