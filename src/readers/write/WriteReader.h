// Windows Write documents (.wri).
//
// A Write file is a sequence of 128-byte pages: the header page, the text
// from byte 128 on, then pages of character properties, pages of paragraph
// properties and the font table.  Each paragraph's text is cut into runs of
// equal character formatting and each run wrapped in the mark-up of the
// chosen formatting.  The whole document goes to the output list as one
// entry.
#pragma once

#include "core/LegacyReader.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace scrivlet {

struct WriteFont {
  uint8_t FontFamily = 0;
  std::string FontName; // up to its first zero byte
};

using WriteFontList = std::vector<WriteFont>;

class WriteReader : public LegacyReader {
public:
  const char* ClassName() const override { return "WriteReader"; }

  void Clear() override;
  void ParseStream(Stream& stream) override;
  void LoadFromFile(const std::string& fileName) override { ParseFile(fileName); }

  const WriteFontList& Fonts() const { return FFonts; }

  // A form feed ends a line; every other byte is kept.
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

  void ReadHeader();
  void ReadFontTable();
  std::string ReadParagraphs();
  uint32_t ParagraphTextEnd(uint32_t limit) const;
  void WriteParagraphRuns(CharRunCursor& runs, uint32_t start, uint32_t end, std::string& out);
  void OpenRun(const CharProps& props, std::string& out) const;
  void CloseRun(const CharProps& props, std::string& out) const;
  std::string_view Page(uint64_t pageNumber) const;

  std::string FData; // the whole file while it is parsed
  uint32_t FTextEnd = 0;
  uint16_t FFirstParagraphPage = 0;
  uint16_t FFontTablePage = 0;
  uint16_t FPageCount = 0;
  WriteFontList FFonts;
};

} // namespace scrivlet
