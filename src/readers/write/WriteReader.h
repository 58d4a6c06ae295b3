// Windows Write documents (.wri).
//
// A Write file is a sequence of 128-byte pages: the header page, the text
// from byte 128 on, then pages of character properties, pages of paragraph
// properties and the font table.  Each paragraph becomes a block; its text
// is cut into runs of equal character formatting, each run a text piece
// with its marks and character style (font, size, vertical position).  A
// paragraph not set flush left starts with its alignment; a form feed at
// the start of a run is a page break, and a page-break block goes before
// its paragraph.
#pragma once

#include "readers/common/DocumentReader.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace scrivlet {

struct WriteFont {
  uint8_t FontFamily = 0;
  std::string FontName; // up to its first zero byte
};

using WriteFontList = std::vector<WriteFont>;

class WriteReader : public DocumentReader {
public:
  const WriteFontList& Fonts() const { return FFonts; }

  // A form feed ends a line; every other byte is kept.
  void AddRunPiece(Inline piece, Block& block) const;
  static char ConvertChar(char b) { return b == '\f' ? '\n' : b; }

private:
  struct CharProps {
    bool bold = false, italic = false, underline = false;
    int font = 0;     // index into the font list, 0..255
    int size = 24;    // half-points
    int position = 0; // vertical position byte: 1..127 lowered, 128..255 raised
  };
  struct CharRun {
    uint32_t start, limit;
    CharProps props;
  };
  class CharRunCursor;

  void Parse(std::string_view bytes) override;
  void ReadHeader();
  void ReadFontTable();
  void ReadParagraphs();
  uint32_t ParagraphTextEnd(uint32_t limit) const;
  void ReadParagraphRuns(CharRunCursor& runs, uint32_t start, uint32_t end, Block& block);
  void AddAlignment(int justification, Block& block);
  void AddPageBreak(const Block& paragraph);
  Inline RunPiece(const CharProps& props);
  uint32_t StyleOf(const CharProps& props);
  std::string_view Page(uint64_t pageNumber) const;

  std::string_view FData; // the whole file while it is parsed
  uint32_t FTextEnd = 0;
  uint16_t FFirstParagraphPage = 0;
  uint16_t FFontTablePage = 0;
  uint16_t FPageCount = 0;
  WriteFontList FFonts;
  // The document's character styles by font index, half-points and
  // position, so that runs of equal formatting share one.
  std::map<std::tuple<int, int, int>, uint32_t> FStyles;
};

} // namespace scrivlet
