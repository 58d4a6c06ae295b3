// Builds WordPerfect 6 documents byte by byte: the 24-byte header, an
// optional packet index with a font descriptor, and the document area.
#pragma once

#include <cstdint>
#include <string>

namespace scrivlet::test {

class WordPerfectBuilder {
public:
  std::string body; // the document area's bytes
  bool withIndex = true;
  uint16_t encryption = 0;
  uint8_t majorVersion = 2;
  std::string identification = "\xFFWPC";
  uint32_t documentSizeDelta = 0; // added to the true document size

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
};

} // namespace scrivlet::test
