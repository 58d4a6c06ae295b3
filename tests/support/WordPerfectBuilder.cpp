#include "support/WordPerfectBuilder.h"
#include "support/Bytes.h"

namespace scrivlet::test {

std::string WordPerfectBuilder::Attribute(uint8_t attribute, bool on) {
  return std::string(1, static_cast<char>(on ? 0xF2 : 0xF3)) + static_cast<char>(attribute) +
         static_cast<char>(on ? 0xF2 : 0xF3);
}

std::string WordPerfectBuilder::Suppress(bool on) {
  return std::string("\xF1", 1) + (on ? '\x00' : '\x01') + std::string("\x00\x00\xF1", 3);
}

std::string WordPerfectBuilder::Group(uint8_t code, uint8_t subfunction, const std::string& data,
                                      bool flags) {
  std::string group(1, static_cast<char>(code));
  group += static_cast<char>(subfunction);
  uint32_t size = static_cast<uint32_t>(1 + 1 + 2 + (flags ? 1 : 0) + data.size() + 3);
  group += U16(size);
  if (flags)
    group += '\0';
  group += data;
  group += U16(size) + static_cast<char>(code);
  return group;
}

std::string WordPerfectBuilder::FontChange(uint16_t font, uint16_t points) {
  std::string data(1, '\0');
  data += std::string(8, '\0') + U16(font) + U16(points * 50u);
  return Group(0xD4, 0x1A, data);
}

std::string WordPerfectBuilder::Alignment(uint8_t justification) {
  return Group(0xD3, 5, U16(0) + static_cast<char>(justification));
}

std::string WordPerfectBuilder::Extended(uint8_t number, uint8_t set) {
  return std::string("\xF0", 1) + static_cast<char>(number) + static_cast<char>(set) + "\xF0";
}

namespace {

// A group whose flags byte says prefix identifiers follow (one here).
std::string PrefixedGroup(uint8_t code, uint8_t subfunction, uint16_t packet,
                          const std::string& data) {
  std::string group = WordPerfectBuilder::Group(code, subfunction, '\x01' + U16(packet) + data);
  group[4] = '\x80';
  return group;
}

} // namespace

std::string WordPerfectBuilder::PageBreak() {
  return Group(0xD0, 9, "", false);
}

std::string WordPerfectBuilder::TableDefinition() {
  return Group(0xD4, 0x2A, std::string(12, '\0'));
}

std::string WordPerfectBuilder::TableBreak(uint8_t subfunction, uint8_t columnSpan) {
  // The data that must stay: the size of the data that may go (four bytes
  // here), those bytes, then the spanning sub-group.
  std::string kept = U16(4) + std::string(4, '\x11');
  if (columnSpan > 0)
    kept += std::string("\x85", 1) + static_cast<char>(columnSpan) + '\x01' + '\x85';
  return Group(0xD0, subfunction, U16(static_cast<uint32_t>(kept.size())) + kept);
}

std::string WordPerfectBuilder::Note(uint8_t subfunction, uint16_t packet) {
  if (packet == 0)
    return Group(0xD7, subfunction, U16(0));
  return PrefixedGroup(0xD7, subfunction, packet, U16(0));
}

std::string WordPerfectBuilder::NumberDisplay(uint8_t subfunction) {
  return Group(0xDA, subfunction, U16(0));
}

uint16_t WordPerfectBuilder::AddTextPacket(const std::string& text) {
  packets.emplace_back(0x08, U16(1) + U32(10) + U32(static_cast<uint32_t>(text.size())) + text);
  return static_cast<uint16_t>(packets.size() + fontDescriptorEntries);
}

std::string WordPerfectBuilder::Build() const {
  std::string file(kHeaderSize(), '\0');
  file.replace(0, 4, identification.substr(0, 4));
  file[10] = static_cast<char>(majorVersion);
  Put16(file, 12, encryption);
  if (withIndex) {
    // Index at 24: the header entry, one font packet, then the packets.
    Put16(file, 14, 24);
    const size_t fonts = fontDescriptorEntries;
    std::string index(14 * (1 + fonts + packets.size()), '\0');
    Put16(index, 2, static_cast<uint32_t>(1 + fonts + packets.size()));
    std::string data = std::string(10, '\0') + std::string(12, '\0') +
                       U16(static_cast<uint32_t>(fontName.size())) + fontName;
    for (size_t f = 1; f <= fonts; ++f) {
      index[14 * f] = 1;        // flags
      index[14 * f + 1] = 0x55; // font descriptor packet
      Put32(index, 14 * f + 6, static_cast<uint32_t>(data.size()));
      Put32(index, 14 * f + 10, static_cast<uint32_t>(24 + index.size()));
    }
    for (size_t k = 0; k < packets.size(); ++k) {
      const size_t entry = 14 * (1 + fonts + k);
      index[entry + 1] = static_cast<char>(packets[k].first);
      Put32(index, entry + 6, static_cast<uint32_t>(packets[k].second.size()));
      Put32(index, entry + 10, static_cast<uint32_t>(24 + index.size() + data.size()));
      data += packets[k].second;
    }
    file += index + data;
  }
  Put32(file, 4, static_cast<uint32_t>(file.size()));
  file += body;
  Put32(file, 20, static_cast<uint32_t>(file.size()) + documentSizeDelta);
  return file;
}

} // namespace scrivlet::test
