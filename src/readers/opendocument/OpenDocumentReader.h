// OpenDocument text and presentation documents (.odt, .odp): a ZIP package
// whose "content.xml" holds the body and "meta.xml" the properties.  Each
// paragraph and heading gives one block; tables, lists and slides give the
// boundaries of their parts; the automatic styles become the document's
// style sheet.
#pragma once

#include "core/DocumentSummary.h"
#include "readers/common/DocumentReader.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace scrivlet {

class XmlNode;
class ZipArchive;

// Colours: red in the low byte, green in the middle, blue in the high byte.
using RgbColor = uint32_t;
enum TextAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };

struct FontFace {
  std::string Name = "Arial";
  int Size = 8;
  RgbColor Color = 0x000000; // the window-text colour
  bool Bold = false, Italic = false, Underline = false;
};

struct ClipRectangle {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

class OpenDocumentStyle {
public:
  virtual ~OpenDocumentStyle() = default;
  std::string StyleName;
  std::string StyleFamily;
  OpenDocumentStyle* StyleParent = nullptr; // never set by the reader
};

class TextStyle : public OpenDocumentStyle {
public:
  FontFace TextFont;
  RgbColor Color = 0xFFFFFF;
  TextAlignment Alignment = taLeftJustify;
};

class GraphicStyle : public OpenDocumentStyle {
public:
  ClipRectangle ClipRect;
};

class ListStyle : public OpenDocumentStyle {
public:
  std::string NumPrefix, NumSufix, NumFormat;
  int SpaceBefore = 0;
  std::string BulletChar = "\x07";
};

using OpenDocumentStyles = std::vector<std::unique_ptr<OpenDocumentStyle>>;

// "#rrggbb" as a colour; a pair that is no hexadecimal number raises
// "'$xx' is not a valid integer value".
RgbColor ColorFromHex(std::u16string_view text);
// The digits at the start of the text.
std::u16string LeadingDigits(std::u16string_view text);
// "rect(A B C D)" gives left A, top B, right A + C, bottom B + D; other
// texts leave the rectangle as it is.
void ParseClipRect(std::u16string_view text, ClipRectangle& rect);
// "PTnHnMnS" in seconds.
int64_t ParseDuration(std::u16string_view text);

class OpenDocumentReader : public DocumentReader {
public:
  // The automatic styles of the document read last.
  const OpenDocumentStyles& Styles() const { return FStyles; }

  // Appends one style per child of the automatic-styles node.
  void ReadStyles(XmlNode& automaticStyles);

protected:
  OpenDocumentReader(std::string bodyName, std::string contentName)
      : FBodyName(std::move(bodyName)), FContentName(std::move(contentName)) {}

private:
  void Parse(std::string_view bytes) override;
  void ParseContent(const ZipArchive& zip, const std::string& member);
  void AddStyleSheet();
  void WalkContent(XmlNode& content, Story& story);
  void ReadMeta(const ZipArchive& zip, const std::string& member);

  OpenDocumentStyles FStyles;
  std::string FBodyName, FContentName;
};

class OpenDocumentTextReader : public OpenDocumentReader {
public:
  OpenDocumentTextReader() : OpenDocumentReader("office:body", "office:text") {}
};

class OpenDocumentPresentationReader : public OpenDocumentReader {
public:
  OpenDocumentPresentationReader() : OpenDocumentReader("office:body", "office:presentation") {}
};

} // namespace scrivlet
