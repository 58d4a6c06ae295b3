// Builds Windows Write files byte by byte: header page, text, character and
// paragraph property pages, font table.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace scrivlet::test {

struct WriteCharProps {
  bool bold = false, italic = false, underline = false;
  int font = 0;
  int halfPoints = 24;
  int position = 0;
  // The property bytes 1..6 (the count byte is added by the builder).
  std::string Bytes() const;
};

class WriteBuilder {
public:
  // Property bytes of one run or paragraph; nullopt writes 0xFFFF
  // (defaults).  The builder puts the count byte in front.
  using Props = std::optional<std::string>;

  std::string text; // the document text, from file offset 128

  // A run or paragraph ending at this text index (exclusive), as a file
  // offset limit.
  void AddRun(size_t textEnd, Props props = std::nullopt);
  void AddParagraph(size_t textEnd, Props props = std::nullopt);
  void AddFont(uint8_t family, std::string name) { fonts.push_back({family, std::move(name)}); }

  // Paragraph property bytes whose byte 17 holds the flags.
  static std::string ParagraphFlags(uint8_t flags);

  size_t entriesPerPage = 8;
  bool withFontTable = true;
  bool continueFontTableAfterFirst = false; // 0xFFFF after the first font
  std::vector<std::pair<uint32_t, Props>> runs, paragraphs;
  std::vector<std::pair<uint8_t, std::string>> fonts;

  std::string Build() const;

  // Where the built file has its first character and paragraph pages.
  size_t FirstCharPage() const { return (128 + text.size() + 127) / 128; }
};

} // namespace scrivlet::test
