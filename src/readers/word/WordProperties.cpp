#include "readers/word/WordProperties.h"

#include "core/ByteReader.h"

#include <array>
#include <initializer_list>

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

// Walks a Word 97 grpprl: calls visit for each modifier whose operand lies
// within it; a modifier that runs past the end ends the walk.
template <typename Visit> void ForEachTwoByteModifier(std::string_view grpprl, Visit visit) {
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

// The operand sizes of Word 6's one-byte codes.
constexpr int8_t kUnknownCode = -1;  // the walk cannot go past it
constexpr int8_t kLengthByte = -2;   // a length byte, then that many bytes
constexpr int8_t kCountPlusOne = -3; // a two-byte count of the bytes after it, plus one

constexpr std::array<int8_t, 256> kOneByteOperandSizes = [] {
  std::array<int8_t, 256> sizes{};
  sizes.fill(kUnknownCode);
  auto set = [&](std::initializer_list<uint8_t> codes, int8_t size) {
    for (uint8_t code : codes)
      sizes[code] = size;
  };
  // Styles permuted, numbering, tabs, the ruler, pictures, symbols, the
  // character style's permutations and defaults, the size rules, shading.
  set({3, 12, 15, 23, 52, 68, 74, 81, 82, 103, 105, 106, 108, 120, 191}, kLengthByte);
  set({188, 190}, kCountPlusOne); // a table row's cells
  set({83}, 0);
  set({4,  5,  6,  7,  8,  9,  10, 11,  13,  14,  24,  25,  29,  37,  44, 50,
       51, 53, 54, 55, 56, 57, 58, 61,  65,  66,  67,  71,  75,  85,  86, 87,
       88, 89, 90, 91, 92, 94, 98, 100, 102, 104, 117, 118, 119, 185, 186},
      1);
  set({2,  16, 17, 18,  19,  21,  22,  26,  27,  28,  30,  31,  32,  33,  34,  35,  36,
       38, 39, 40, 41,  42,  43,  45,  46,  47,  48,  49,  59,  60,  69,  72,  80,  93,
       96, 97, 99, 101, 107, 109, 121, 122, 123, 124, 182, 183, 184, 189, 195, 197, 198},
      2);
  set({73, 95}, 3);
  set({20, 70, 192, 194, 196, 200}, 4);
  set({193, 199}, 5);
  set({187}, 12);
  return sizes;
}();

// The Word 97 code of the Word 6 codes read here; 0 for the others.
uint16_t TwoByteCodeOf(uint8_t code) {
  switch (code) {
  case 24: return kSprmPFInTable;
  case 25: return kSprmPFTtp;
  case 85: return kSprmCFBold;
  case 86: return kSprmCFItalic;
  case 87: return kSprmCFStrike;
  case 94: return kSprmCKul;
  case 104: return kSprmCIss;
  default: return 0;
  }
}

// Walks a Word 6 grpprl likewise, with the codes read here given as their
// Word 97 codes; a code of unknown size ends the walk.
template <typename Visit> void ForEachOneByteModifier(std::string_view grpprl, Visit visit) {
  size_t at = 0;
  while (at < grpprl.size()) {
    const uint8_t code = static_cast<uint8_t>(grpprl[at++]);
    int size = kOneByteOperandSizes[code];
    if (size == kUnknownCode)
      return;
    size_t operandStart = at;
    if (size == kLengthByte) {
      if (at >= grpprl.size())
        return;
      size = static_cast<uint8_t>(grpprl[at]);
      operandStart = ++at;
    } else if (size == kCountPlusOne) {
      if (at + 2 > grpprl.size())
        return;
      size = ByteReader::Get16(grpprl, at) + 1;
    }
    if (static_cast<size_t>(size) > grpprl.size() - operandStart)
      return;
    Modifier modifier;
    modifier.code = TwoByteCodeOf(code);
    modifier.operand = grpprl.substr(operandStart, static_cast<size_t>(size));
    at = operandStart + static_cast<size_t>(size);
    if (modifier.code != 0 && !modifier.operand.empty())
      visit(modifier);
  }
}

template <typename Visit>
void ForEachModifier(std::string_view grpprl, ModifierCodes codes, Visit visit) {
  if (codes == ModifierCodes::OneByte)
    ForEachOneByteModifier(grpprl, visit);
  else
    ForEachTwoByteModifier(grpprl, visit);
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

void ApplyParagraphModifiers(std::string_view grpprl, ParagraphProperties& properties,
                             ModifierCodes codes) {
  ForEachModifier(grpprl, codes, [&](const Modifier& modifier) {
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

Marks ApplyCharacterModifiers(std::string_view grpprl, Marks marks, ModifierCodes codes) {
  ForEachModifier(grpprl, codes, [&](const Modifier& modifier) {
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
