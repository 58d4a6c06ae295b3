#include "support/WordBuilder.h"
#include "support/Bytes.h"

#include "support/CompoundFileBuilder.h"

namespace scrivlet::test {
namespace {

constexpr uint32_t kTextStart = 1024; // after the FIB

std::string PieceBytes(const WordBuilder::Piece& piece) {
  std::string bytes;
  for (char16_t c : piece.text) {
    bytes += static_cast<char>(c & 0xFF);
    if (!piece.compressed)
      bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

} // namespace

PropertyValue PropertyValue::Int(uint32_t id, uint32_t value) {
  return {id, 3, U32(value)};
}
PropertyValue PropertyValue::String(uint32_t id, const std::string& text) {
  return {id, 30, U32(static_cast<uint32_t>(text.size() + 1)) + text + '\0'};
}
PropertyValue PropertyValue::FileTime(uint32_t id, uint64_t value) {
  return {id, 64, U32(static_cast<uint32_t>(value)) + U32(static_cast<uint32_t>(value >> 32))};
}
PropertyValue PropertyValue::CodePage(uint16_t codePage) {
  std::string bytes(4, '\0');
  Put16(bytes, 0, codePage);
  return {1, 2, bytes};
}

std::string PropertySet(const std::vector<PropertyValue>& properties) {
  std::string set(48, '\0');
  Put16(set, 0, 0xFFFE);
  Put32(set, 24, 1);  // one section
  Put32(set, 44, 48); // at offset 48
  std::string section = U32(0) + U32(static_cast<uint32_t>(properties.size()));
  std::string values;
  uint32_t valueStart = 8 + 8 * static_cast<uint32_t>(properties.size());
  for (const auto& p : properties) {
    section += U32(p.id) + U32(valueStart + static_cast<uint32_t>(values.size()));
    values += U32(p.type) + p.bytes;
    while (values.size() % 4)
      values += '\0';
  }
  section += values;
  Put32(section, 0, static_cast<uint32_t>(section.size()));
  return set + section;
}

uint32_t WordBuilder::TotalCharacters() const {
  uint32_t total = 0;
  for (const auto& piece : pieces)
    total += static_cast<uint32_t>(piece.text.size());
  return total;
}

std::string WordBuilder::Fib(uint32_t fcMin, uint32_t fcMac, uint32_t lcbClx) const {
  std::string fib(kTextStart, '\0');
  Put16(fib, 0, wIdent);
  Put16(fib, 2, nFib);
  Put16(fib, 6, lid);
  uint32_t flags = (encrypted ? 0x0100 : 0) | (whichTable ? 0x0200 : 0) |
                   (extendedCharacters ? 0x1000 : 0) | (farEast ? 0x4000 : 0);
  Put16(fib, 10, flags);
  Put32(fib, 24, fcMin);
  Put32(fib, 28, fcMac);
  uint32_t text =
      ccpText >= 0 ? static_cast<uint32_t>(ccpText)
                   : TotalCharacters() - ccpFtn - ccpHdd - ccpAtn - ccpEdn - ccpTxbx - ccpHdrTxbx;
  const uint32_t counts[] = {text,
                             static_cast<uint32_t>(ccpFtn),
                             static_cast<uint32_t>(ccpHdd),
                             0,
                             static_cast<uint32_t>(ccpAtn),
                             static_cast<uint32_t>(ccpEdn),
                             static_cast<uint32_t>(ccpTxbx),
                             static_cast<uint32_t>(ccpHdrTxbx)};
  bool word6 = nFib == 101 || nFib == 104 || wIdent == 0x37FE;
  bool word2 = nFib < 101 && wIdent != 0x37FE;
  size_t countsAt = word6 || word2 ? 52 : 76;
  for (size_t i = 0; i < 8; ++i)
    Put32(fib, countsAt + 4 * i, counts[i]);
  if (word6) {
    Put32(fib, 352, lcbClx ? 0x300 : 0); // the CLX sits in the main stream
    Put32(fib, 356, lcbClx);
  } else if (!word2) {
    Put16(fib, 60, lidFE);
    Put32(fib, 418, 0);
    Put32(fib, 422, lcbClx);
  }
  return fib;
}

std::string WordBuilder::Clx(const std::vector<uint32_t>& fcs) const {
  std::string clx;
  for (int i = 0; i < modifierEntries; ++i)
    clx += std::string("\x01\x03\x00"
                       "abc",
                       6);
  std::string table;
  uint32_t cp = 0;
  for (const auto& piece : pieces) {
    table += U32(cp);
    cp += static_cast<uint32_t>(piece.text.size());
  }
  table += U32(cp);
  for (size_t k = 0; k < pieces.size(); ++k)
    table += std::string(2, '\0') + U32(fcs[k]) + std::string(2, '\0');
  clx += '\x02' + U32(static_cast<uint32_t>(table.size())) + table;
  return clx;
}

std::string WordBuilder::MainStream() const {
  bool word6 = nFib == 101 || nFib == 104 || wIdent == 0x37FE;
  std::string text;
  std::vector<uint32_t> fcs;
  for (const auto& piece : pieces) {
    uint32_t offset = kTextStart + static_cast<uint32_t>(text.size());
    fcs.push_back(word6 ? offset : piece.compressed ? (offset * 2) | 0x40000000 : offset);
    text += PieceBytes(piece);
  }
  uint32_t fcMac = kTextStart + static_cast<uint32_t>(text.size());
  std::string clx = writeClx ? Clx(fcs) : std::string();
  std::string main = Fib(kTextStart, fcMac, static_cast<uint32_t>(clx.size()));
  if (word6)
    main.replace(0x300, clx.size(), clx);
  main += text;
  main.append(512, '\0'); // room after the text, as real streams have
  return main;
}

std::string WordBuilder::TableStream() const {
  std::vector<uint32_t> fcs;
  uint32_t offset = kTextStart;
  for (const auto& piece : pieces) {
    fcs.push_back(piece.compressed ? (offset * 2) | 0x40000000 : offset);
    offset += static_cast<uint32_t>(PieceBytes(piece).size());
  }
  return writeClx ? Clx(fcs) : std::string(16, '\0');
}

std::string WordBuilder::Build() const {
  CompoundFileBuilder file;
  file.AddStream(u"WordDocument", MainStream());
  bool word97 = nFib >= 105 || nFib == 103 || (nFib > 101 && nFib != 104);
  if (writeTable && word97 && wIdent != 0x37FE)
    file.AddStream(whichTable ? u"1Table" : u"0Table", TableStream());
  if (!summaryInformation.empty())
    file.AddStream(u"\x05SummaryInformation", summaryInformation);
  if (!documentSummaryInformation.empty())
    file.AddStream(u"\x05"
                   u"DocumentSummaryInformation",
                   documentSummaryInformation);
  return file.Build();
}

} // namespace scrivlet::test
