#include "readers/word/WordStyleSheet.h"

#include "core/ByteReader.h"

namespace scrivlet {
namespace {

constexpr uint16_t kParagraphStyle = 1; // stk

} // namespace

// The sheet: its header's size, the header (the count of styles, the size
// of each style's fixed part), then one style after the other, each its
// size (0: no style at that index) and its bytes.
WordStyleSheet::WordStyleSheet(std::string_view table, uint32_t offset, uint32_t size,
                               ModifierCodes codes)
    : FCodes(codes) {
  if (offset > table.size() || size > table.size() - offset)
    return;
  std::string_view sheet = table.substr(offset, size);
  try {
    ByteReader reader(sheet);
    uint16_t headerSize = reader.U16();
    std::string_view header = reader.Bytes(headerSize);
    if (header.size() < 4)
      return;
    uint16_t count = ByteReader::Get16(header, 0);
    uint16_t baseSize = ByteReader::Get16(header, 2);
    FStyles.reserve(count);
    for (uint16_t istd = 0; istd < count && reader.Remaining() >= 2; ++istd) {
      std::string_view std = reader.Bytes(reader.U16());
      Style& style = FStyles.emplace_back();
      if (!std.empty())
        ReadStyle(std, baseSize, style);
    }
  } catch (const ReadError&) {
  }
  Resolve();
}

// A style: its identifier and kind, its base, its name (a count and that
// many UTF-16 units, then a NUL; in Word 6 and Word 95 a count byte and
// that many bytes, then a NUL), then its property lists, each at an even
// offset: a paragraph style's first list starts with its own index.
void WordStyleSheet::ReadStyle(std::string_view std, uint16_t baseSize, Style& style) {
  if (std.size() < 8 || baseSize < 8 || baseSize > std.size())
    return;
  style.present = true;
  style.sti = ByteReader::Get16(std, 0) & 0x0FFF;
  uint16_t kindAndBase = ByteReader::Get16(std, 2);
  style.base = kindAndBase >> 4;
  if ((kindAndBase & 0x0F) != kParagraphStyle || (ByteReader::Get16(std, 4) & 0x0F) == 0)
    return;
  try {
    ByteReader reader(std, baseSize);
    if (FCodes == ModifierCodes::OneByte)
      reader.Bytes(uint64_t{reader.U8()} + 1);
    else
      reader.Bytes(uint64_t{reader.U16()} * 2 + 2);
    if (reader.Position() % 2 != 0)
      reader.U8();
    std::string_view paragraph = reader.Bytes(reader.U16());
    if (paragraph.size() >= 2)
      style.paragraphModifiers = paragraph.substr(2);
  } catch (const ReadError&) {
  }
}

// Each style's properties over its base's, resolved once with an explicit
// stack: a chain of bases that loops is cut where it meets itself.
void WordStyleSheet::Resolve() {
  enum : uint8_t { kOpen, kBusy, kDone };
  std::vector<uint8_t> state(FStyles.size(), kOpen);
  FParagraphs.assign(FStyles.size(), ParagraphProperties());
  std::vector<uint16_t> chain;
  for (size_t first = 0; first < FStyles.size(); ++first) {
    uint16_t istd = static_cast<uint16_t>(first);
    while (istd < FStyles.size() && state[istd] == kOpen) {
      state[istd] = kBusy;
      chain.push_back(istd);
      istd = FStyles[istd].base;
    }
    while (!chain.empty()) {
      uint16_t at = chain.back();
      chain.pop_back();
      uint16_t base = FStyles[at].base;
      ParagraphProperties properties =
          base < FStyles.size() && state[base] == kDone ? FParagraphs[base] : ParagraphProperties();
      ApplyParagraphModifiers(FStyles[at].paragraphModifiers, properties, FCodes);
      properties.istd = at;
      FParagraphs[at] = properties;
      state[at] = kDone;
    }
  }
}

ParagraphProperties WordStyleSheet::Paragraph(uint16_t istd) const {
  if (istd < FParagraphs.size())
    return FParagraphs[istd];
  ParagraphProperties properties;
  properties.istd = istd;
  return properties;
}

uint16_t WordStyleSheet::BuiltIn(uint16_t istd) const {
  return istd < FStyles.size() && FStyles[istd].present ? FStyles[istd].sti : kUserStyle;
}

} // namespace scrivlet
