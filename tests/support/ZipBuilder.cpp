#include "support/ZipBuilder.h"

#include <zlib.h>

namespace scrivlet::test {
namespace {

void Put16(std::string& s, uint32_t v) {
  s += static_cast<char>(v);
  s += static_cast<char>(v >> 8);
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

} // namespace

std::string ZipBuilder::Deflate(const std::string& bytes) {
  z_stream z{};
  deflateInit2(&z, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, bytes.size()) + 16, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  z.avail_in = static_cast<uInt>(bytes.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

std::string ZipBuilder::Build() const {
  std::string file, central;
  for (const Member& m : members) {
    std::string stored = m.method == 8 ? Deflate(m.data) : m.data;
    uint32_t crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(m.data.data()), static_cast<uInt>(m.data.size())) +
        m.crcDelta);
    uint32_t offset = static_cast<uint32_t>(file.size());
    uint16_t flags = m.dataDescriptor ? 0x0008 : 0;
    file += "PK\x03\x04";
    Put16(file, 20);
    Put16(file, flags);
    Put16(file, m.method);
    Put32(file, 0); // time and date
    Put32(file, m.dataDescriptor ? 0 : crc);
    Put32(file, m.dataDescriptor ? 0 : static_cast<uint32_t>(stored.size()));
    Put32(file, m.dataDescriptor ? 0 : static_cast<uint32_t>(m.data.size()));
    Put16(file, static_cast<uint32_t>(m.name.size()));
    Put16(file, 0);
    file += m.name + stored;
    if (m.dataDescriptor) {
      file += "PK\x07\x08";
      Put32(file, crc);
      Put32(file, static_cast<uint32_t>(stored.size()));
      Put32(file, static_cast<uint32_t>(m.data.size()));
    }
    central += "PK\x01\x02";
    Put16(central, 20);
    Put16(central, 20);
    Put16(central, flags);
    Put16(central, m.method);
    Put32(central, 0);
    Put32(central, crc);
    Put32(central, static_cast<uint32_t>(stored.size()));
    Put32(central, static_cast<uint32_t>(m.data.size()));
    Put16(central, static_cast<uint32_t>(m.name.size()));
    Put16(central, 0);
    Put16(central, 0);
    Put16(central, 0);
    Put16(central, 0);
    Put32(central, 0);
    Put32(central, offset);
    central += m.name;
  }
  uint32_t centralOffset = static_cast<uint32_t>(file.size());
  file += central;
  file += "PK\x05\x06";
  Put16(file, 0);
  Put16(file, 0);
  Put16(file, static_cast<uint32_t>(members.size()));
  Put16(file, static_cast<uint32_t>(members.size()));
  Put32(file, static_cast<uint32_t>(central.size()));
  Put32(file, centralOffset);
  Put16(file, static_cast<uint32_t>(comment.size()));
  return file + comment;
}

} // namespace scrivlet::test
