// The properties of Word paragraphs and characters that give a document its
// structure, and the property modifiers (sprms) that set them.
//
// From Word 97 on, a property modifier is a two-byte code followed by its
// operand; bits 13-15 of the code tell the operand's size (1, 1, 2, 4, 2, 2,
// a length byte and that many bytes, 3).  Word 6 and Word 95 write a
// one-byte code whose operand size each code has of its own.  Paragraphs
// and characters keep their modifiers as a list (a grpprl) in the formatted
// disk pages, the styles and the list levels.
#pragma once

#include "document/Document.h"

#include <cstdint>
#include <string_view>

namespace scrivlet {

struct ParagraphProperties {
  uint16_t istd = 0;         // the paragraph's style
  uint8_t outlineLevel = 9;  // 0-8 a heading's level less one, 9 body text
  uint16_t ilfo = 0;         // list format override, 1-based; 0 none
  uint8_t ilvl = 0;          // list level, 0 the outermost
  bool inTable = false;      // the paragraph is in a table cell
  bool rowEnd = false;       // the paragraph is the mark that ends a row
  bool innerCellEnd = false; // the mark ends a cell of a nested table
  bool innerRowEnd = false;  // the mark ends a row of a nested table
  int32_t depth = 0;         // table nesting: 0 none, 1 a table, 2 a table in a cell...
  bool depthSet = false;

  // How deep in tables the paragraph stands (1 when only in a table).
  int32_t TableDepth() const { return !inTable ? 0 : depthSet && depth > 1 ? depth : 1; }
};

// How a document writes its modifiers' codes.
enum class ModifierCodes : uint8_t {
  TwoByte, // Word 97-2003
  OneByte, // Word 6 and Word 95
};

// Applies the paragraph modifiers of a grpprl to the properties.
void ApplyParagraphModifiers(std::string_view grpprl, ParagraphProperties& properties,
                             ModifierCodes codes = ModifierCodes::TwoByte);

// Applies the character modifiers of a grpprl to the marks: bold, italic,
// underline, strike (single and double), superscript and subscript.
Marks ApplyCharacterModifiers(std::string_view grpprl, Marks marks,
                              ModifierCodes codes = ModifierCodes::TwoByte);

} // namespace scrivlet
