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

std::string WordPerfectBuilder::Build() const {
  std::string file(kHeaderSize(), '\0');
  file.replace(0, 4, identification.substr(0, 4));
  file[10] = static_cast<char>(majorVersion);
  Put16(file, 12, encryption);
  if (withIndex) {
    // Index at 24: count 2 (the header entry and one font packet).
    Put16(file, 14, 24);
    std::string index(14 + 14, '\0');
    Put16(index, 2, 2);
    index[14] = 1;    // flags
    index[15] = 0x55; // font descriptor packet
    std::string font = std::string(10, '\0') + std::string(12, '\0') + U16(5) + "Arial";
    Put32(index, 14 + 6, static_cast<uint32_t>(font.size()));
    Put32(index, 14 + 10, static_cast<uint32_t>(24 + index.size()));
    file += index + font;
  }
  Put32(file, 4, static_cast<uint32_t>(file.size()));
  file += body;
  Put32(file, 20, static_cast<uint32_t>(file.size()) + documentSizeDelta);
  return file;
}

} // namespace scrivlet::test
