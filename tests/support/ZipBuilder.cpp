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
void Put64(std::string& s, uint64_t v) {
  Put32(s, static_cast<uint32_t>(v));
  Put32(s, static_cast<uint32_t>(v >> 32));
}

constexpr uint32_t kZip64Marker = 0xFFFFFFFF;

// The zip64 extended information extra field with the given values.
std::string Zip64Extra(std::initializer_list<uint64_t> values) {
  std::string extra;
  Put16(extra, 1);
  Put16(extra, static_cast<uint32_t>(values.size() * 8));
  for (uint64_t v : values)
    Put64(extra, v);
  return extra;
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
    const std::string localExtra = m.zip64 ? Zip64Extra({m.data.size(), stored.size()}) : "";
    const std::string centralExtra =
        m.zip64 ? Zip64Extra({m.data.size(), stored.size(), offset}) : "";
    file += "PK\x03\x04";
    Put16(file, 20);
    Put16(file, flags);
    Put16(file, m.method);
    Put32(file, 0); // time and date
    Put32(file, m.dataDescriptor ? 0 : crc);
    Put32(file, m.zip64            ? kZip64Marker
                : m.dataDescriptor ? 0
                                   : static_cast<uint32_t>(stored.size()));
    Put32(file, m.zip64            ? kZip64Marker
                : m.dataDescriptor ? 0
                                   : static_cast<uint32_t>(m.data.size()));
    Put16(file, static_cast<uint32_t>(m.name.size()));
    Put16(file, static_cast<uint32_t>(localExtra.size()));
    file += m.name + localExtra + stored;
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
    Put32(central, m.zip64 ? kZip64Marker : static_cast<uint32_t>(stored.size()));
    Put32(central, m.zip64 ? kZip64Marker : static_cast<uint32_t>(m.data.size()));
    Put16(central, static_cast<uint32_t>(m.name.size()));
    Put16(central, static_cast<uint32_t>(centralExtra.size()));
    Put16(central, 0);
    Put16(central, 0);
    Put16(central, 0);
    Put32(central, 0);
    Put32(central, m.zip64 ? kZip64Marker : offset);
    central += m.name + centralExtra;
  }
  uint32_t centralOffset = static_cast<uint32_t>(file.size());
  file += central;
  if (zip64End) {
    const uint64_t recordOffset = file.size();
    file += "PK\x06\x06";
    Put64(file, 44); // the record's size after this field
    Put16(file, 45);
    Put16(file, 45);
    Put32(file, 0);
    Put32(file, 0);
    Put64(file, members.size());
    Put64(file, members.size());
    Put64(file, central.size());
    Put64(file, centralOffset);
    file += "PK\x06\x07";
    Put32(file, 0);
    Put64(file, recordOffset);
    Put32(file, 1);
  }
  const uint32_t entries = zip64End ? 0xFFFF : static_cast<uint32_t>(members.size());
  file += "PK\x05\x06";
  Put16(file, 0);
  Put16(file, 0);
  Put16(file, entries);
  Put16(file, entries);
  Put32(file, static_cast<uint32_t>(central.size()));
  Put32(file, zip64End ? kZip64Marker : centralOffset);
  Put16(file, static_cast<uint32_t>(comment.size()));
  return file + comment;
}

} // namespace scrivlet::test
