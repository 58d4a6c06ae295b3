// Builds ZIP archives byte by byte: local headers, data, central directory
// and end record, with the quirks real writers have.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace scrivlet::test {

class ZipBuilder {
public:
  struct Member {
    std::string name;
    std::string data;
    uint16_t method = 8;         // 0 stored, 8 deflated, others as given
    bool dataDescriptor = false; // local sizes and CRC written as 0
    int32_t crcDelta = 0;        // added to the true CRC in both headers
    // Sizes (and the central entry's offset) given as 0xFFFFFFFF, their
    // values in a zip64 extra field, as streaming writers do.
    bool zip64 = false;
  };

  void Add(std::string name, std::string data, uint16_t method = 8) {
    members.push_back({std::move(name), std::move(data), method});
  }

  std::vector<Member> members;
  std::string comment; // archive comment after the end record
  // A zip64 end record and locator before the end record, which then gives
  // 0xFFFF entries and offset 0xFFFFFFFF.
  bool zip64End = false;

  std::string Build() const;
  // Raw deflate data of bytes.
  static std::string Deflate(const std::string& bytes);
};

} // namespace scrivlet::test
