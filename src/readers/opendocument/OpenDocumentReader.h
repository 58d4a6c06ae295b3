// OpenDocument text and presentation documents (.odt, .odp): a ZIP package
// whose "content.xml" holds the body and "meta.xml" the properties.  Each
// paragraph and heading gives one line; tables and lists are framed with
// HTML mark-up; for RTF and HTML the automatic styles are collected, and in
// HTML written out as a CSS block.
#pragma once

#include "core/LegacyReader.h"
#include "core/DocumentSummary.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace scrivlet {

class XmlParser;
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
// "#rrggbb" in lower case.
std::string ColorToHtml(RgbColor color);
std::string AlignmentToCss(TextAlignment alignment);
// The digits at the start of the text.
std::u16string LeadingDigits(std::u16string_view text);
// "rect(A B C D)" gives left A, top B, right A + C, bottom B + D; other
// texts leave the rectangle as it is.
void ParseClipRect(std::u16string_view text, ClipRectangle& rect);
// "PTnHnMnS" in seconds.
int64_t ParseDuration(std::u16string_view text);

class OpenDocumentReader : public LegacyReader {
public:
  const char* ClassName() const override { return "OpenDocumentReader"; }

  void Clear() override;
  void ParseStream(Stream& stream) override;
  void LoadFromFile(const std::string& fileName) override { ParseFile(fileName); }

  const OpenDocumentStyles& Styles() const { return FStyles; }

  // Appends one style per child of the automatic-styles node.
  void ReadStyles(XmlNode& automaticStyles);
  // The CSS block of the styles, into the list (HTML).
  void WriteStylesCss(TextLines& list);

protected:
  OpenDocumentReader(std::string bodyName, std::string contentName)
      : FBodyName(std::move(bodyName)), FContentName(std::move(contentName)) {
    KeepSummaryInformation();
  }

private:
  void ParseContentMember(const ZipArchive& zip, const std::string& member, TextLines& list);
  void ParseContent(Stream& stream, TextLines& list);
  void DoTag(XmlParser& sender, XmlNode* parent, const std::u16string& name,
             const std::u16string& value, const std::u16string& attributes);
  void WalkContent(XmlNode& content, TextLines& list);
  void ReadMeta(const ZipArchive& zip, const std::string& member);

  OpenDocumentStyles FStyles;
  std::string FBodyName, FContentName;
};

class OpenDocumentTextReader : public OpenDocumentReader {
public:
  OpenDocumentTextReader() : OpenDocumentReader("office:body", "office:text") {}
  const char* ClassName() const override { return "OpenDocumentTextReader"; }
};

class OpenDocumentPresentationReader : public OpenDocumentReader {
public:
  OpenDocumentPresentationReader() : OpenDocumentReader("office:body", "office:presentation") {}
  const char* ClassName() const override { return "OpenDocumentPresentationReader"; }
};

} // namespace scrivlet
