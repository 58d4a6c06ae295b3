#include "readers/word/WordProperties.h"

#include "core/ByteReader.h"

namespace scrivlet {
namespace {

// Paragraph modifiers.
constexpr uint16_t kSprmPIlvl = 0x260A, kSprmPIlfo = 0x460B, kSprmPFInTable = 0x2416,
                   kSprmPFTtp = 0x2417, kSprmPOutLvl = 0x2640, kSprmPItap = 0x6649,
                   kSprmPDtap = 0x664A, kSprmPFInnerTableCell = 0x244B, kSprmPFInnerTtp = 0x244C;
// Character modifiers.
constexpr uint16_t kSprmCFBold = 0x0835, kSprmCFItalic = 0x0836, kSprmCFStrike = 0x0837,
                   kSprmCFDStrike = 0x2A53, kSprmCKul = 0x2A3E, kSprmCIss = 0x2A48;
// Two modifiers whose operand length takes two bytes.
constexpr uint16_t kSprmTDefTable = 0xD608, kSprmTDefTable10 = 0xD606;

struct Modifier {
  uint16_t code = 0;
  std::string_view operand;
};

// Walks a grpprl: calls visit for each modifier whose operand lies within
// it; a modifier that runs past the end ends the walk.
template <typename Visit> void ForEachModifier(std::string_view grpprl, Visit visit) {
  size_t at = 0;
  while (at + 2 <= grpprl.size()) {
    Modifier modifier;
    modifier.code = ByteReader::Get16(grpprl, at);
    at += 2;
    size_t size = 0;
    switch (modifier.code >> 13) {
    case 0:
    case 1: size = 1; break;
    case 2:
    case 4:
    case 5: size = 2; break;
    case 3: size = 4; break;
    case 7: size = 3; break;
    default:
      if (modifier.code == kSprmTDefTable || modifier.code == kSprmTDefTable10) {
        // Its operand starts with a two-byte count of the bytes after it,
        // plus one.
        if (at + 2 > grpprl.size())
          return;
        size = ByteReader::Get16(grpprl, at) + size_t{1};
      } else {
        if (at >= grpprl.size())
          return;
        size = static_cast<uint8_t>(grpprl[at]);
        ++at;
      }
      break;
    }
    if (size > grpprl.size() - at)
      return;
    modifier.operand = grpprl.substr(at, size);
    at += size;
    visit(modifier);
  }
}

uint8_t Byte(const Modifier& modifier) {
  return static_cast<uint8_t>(modifier.operand[0]);
}

int32_t Long(const Modifier& modifier) {
  return static_cast<int32_t>(ByteReader::Get32(modifier.operand, 0));
}

// A toggling character property: 0 off, 1 on, 0x80 as the style has it
// (off here), 0x81 the opposite of the style's (on here).
Marks Toggle(Marks marks, Mark mark, uint8_t value) {
  return value == 1 || value == 0x81 ? marks | mark : marks & ~mark;
}

} // namespace

void ApplyParagraphModifiers(std::string_view grpprl, ParagraphProperties& properties) {
  ForEachModifier(grpprl, [&](const Modifier& modifier) {
    switch (modifier.code) {
    case kSprmPIlvl: properties.ilvl = Byte(modifier); break;
    case kSprmPIlfo: properties.ilfo = ByteReader::Get16(modifier.operand, 0); break;
    case kSprmPFInTable: properties.inTable = Byte(modifier) != 0; break;
    case kSprmPFTtp: properties.rowEnd = Byte(modifier) != 0; break;
    case kSprmPOutLvl: properties.outlineLevel = Byte(modifier); break;
    case kSprmPFInnerTableCell: properties.innerCellEnd = Byte(modifier) != 0; break;
    case kSprmPFInnerTtp: properties.innerRowEnd = Byte(modifier) != 0; break;
    case kSprmPItap:
      properties.depth = Long(modifier);
      properties.depthSet = true;
      break;
    case kSprmPDtap:
      properties.depth += Long(modifier);
      properties.depthSet = true;
      break;
    default: break;
    }
  });
}

Marks ApplyCharacterModifiers(std::string_view grpprl, Marks marks) {
  ForEachModifier(grpprl, [&](const Modifier& modifier) {
    switch (modifier.code) {
    case kSprmCFBold: marks = Toggle(marks, kBold, Byte(modifier)); break;
    case kSprmCFItalic: marks = Toggle(marks, kItalic, Byte(modifier)); break;
    case kSprmCFStrike:
    case kSprmCFDStrike: marks = Toggle(marks, kStrike, Byte(modifier)); break;
    case kSprmCKul:
      marks = Byte(modifier) != 0 ? marks | Mark::kUnderline : marks & ~Mark::kUnderline;
      break;
    case kSprmCIss:
      marks &= ~(Mark::kSuperscript | Mark::kSubscript);
      if (Byte(modifier) == 1)
        marks |= Mark::kSuperscript;
      else if (Byte(modifier) == 2)
        marks |= Mark::kSubscript;
      break;
    default: break;
    }
  });
  return marks;
}

} // namespace scrivlet
