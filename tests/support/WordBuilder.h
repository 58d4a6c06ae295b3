// Builds Word binary documents byte by byte: the FIB, the text pieces in the
// WordDocument stream, the piece table in the table stream, property sets,
// all wrapped in a compound file (or a single stream for Word 2).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace scrivlet::test {

// A property-set property: integers (type 3), strings (type 30), file
// times (type 64), or the code page (type 2, identifier 1).
struct PropertyValue {
  uint32_t id;
  uint32_t type;
  std::string bytes; // the value as stored after its type
  static PropertyValue Int(uint32_t id, uint32_t value);
  static PropertyValue String(uint32_t id, const std::string& text);
  static PropertyValue FileTime(uint32_t id, uint64_t value);
  static PropertyValue CodePage(uint16_t codePage);
};

// A property-set stream with one section.
std::string PropertySet(const std::vector<PropertyValue>& properties);

class WordBuilder {
public:
  struct Piece {
    std::u16string text;
    bool compressed; // 8-bit (cp1252-style bytes) or 16-bit UTF-16
  };

  // Word 97: nFib 193; 101 and 104 give Word 6/95 headers, below 101 Word 2.
  uint16_t nFib = 193;
  uint16_t wIdent = 0xA5EC;
  uint16_t lid = 0x0409;
  uint16_t lidFE = 0;
  bool farEast = false;
  bool encrypted = false;
  bool extendedCharacters = false; // fExtChar: Word 95 Far East text in UTF-16
  bool whichTable = true;          // fWhichTblStm: "1Table"
  bool writeTable = true;          // the table stream exists
  bool writeClx = true;            // lcbClx > 0
  int modifierEntries = 0;         // type-1 CLX entries before the piece table
  std::vector<Piece> pieces;
  // Story lengths after ccpText; the text of all stories is in the pieces.
  int32_t ccpText = -1; // -1: all of the text
  int32_t ccpFtn = 0, ccpHdd = 0, ccpAtn = 0, ccpEdn = 0, ccpTxbx = 0, ccpHdrTxbx = 0;
  // Formatting (written when any of it is given; Word 6 documents take
  // styles, paragraphs and characters).  Runs are in character positions of
  // the text laid end to end; sprms are the property modifiers as stored.
  struct Style {
    uint16_t sti = 0x0FFE;
    uint16_t base = 0x0FFF;
    std::string paragraphSprms;
  };
  struct Run {
    uint32_t cpStart, cpEnd;
    uint16_t istd; // paragraphs only
    std::string sprms;
  };
  struct List {
    uint32_t id;
    bool simple;
    uint8_t nfc;     // every level's number format
    int32_t startAt; // every level's first number
  };
  struct NoteReference {
    uint32_t cp;       // in the main text
    bool autoNumbered; // else the text at cp is the note's own mark
    uint32_t textCp;   // where its text starts in the notes' story
  };
  std::vector<Style> styles;
  std::vector<Run> paragraphs, characters;
  std::vector<List> lists;
  std::vector<uint32_t> listOverrides; // the list identifier of each ilfo, from 1
  std::vector<NoteReference> footnotes, endnotes;
  // The header table: positions in the headers' story (six note
  // separators, then six entries a section), as stored.
  std::vector<uint32_t> headerPlaces;
  // Text boxes: where each starts in the text boxes' story, and the main
  // text position of its shape's anchor (none: a shape without an anchor).
  struct TextBox {
    uint32_t storyCp;
    std::optional<uint32_t> anchorCp;
  };
  std::vector<TextBox> textBoxes;

  std::string summaryInformation;         // property-set stream, or empty
  std::string documentSummaryInformation; // likewise

  // The WordDocument stream (also the whole file of a Word 2 document).
  std::string MainStream() const;
  std::string TableStream() const;
  // The compound file.
  std::string Build() const;

  // A paragraph or character sprm with a one-byte, two-byte or four-byte
  // operand.
  static std::string Sprm8(uint16_t code, uint8_t value);
  static std::string Sprm16(uint16_t code, uint16_t value);
  static std::string Sprm32(uint16_t code, uint32_t value);

private:
  struct Place {
    uint32_t offset = 0, size = 0;
  };
  // The tables after the CLX in the table stream, and the formatted disk
  // pages after the text in the main stream.
  struct Formatting {
    std::string tables, pages;
    Place styleSheet, characterBins, paragraphBins, lists, overrides;
    Place footnoteReferences, footnoteTexts, endnoteReferences, endnoteTexts;
    Place headers, shapes, textBoxes;
  };
  bool HasFormatting() const;
  bool IsWord6() const;
  Formatting BuildFormatting(uint32_t tablesAt, uint32_t pagesAt) const;
  uint32_t FcOf(uint32_t cp) const;
  std::string Fib(uint32_t fcMin, uint32_t fcMac, uint32_t lcbClx) const;
  std::string Clx(const std::vector<uint32_t>& fcs) const;
  uint32_t TotalCharacters() const;
};

} // namespace scrivlet::test
