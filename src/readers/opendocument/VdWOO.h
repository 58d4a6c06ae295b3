// OpenDocument text and presentation documents (.odt, .odp): a ZIP package
// whose "content.xml" holds the body and "meta.xml" the properties.  Each
// paragraph and heading gives one line; tables and lists are framed with
// HTML mark-up; for RTF and HTML the automatic styles are collected, and in
// HTML written out as a CSS block.
#pragma once

#include "core/VdWBase.h"
#include "core/VdW_Sum.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace scrivlet {

class TKxXMLEngine;
class TKxXMLItem;
class TZipArchive;

// Colours: red in the low byte, green in the middle, blue in the high byte.
using TColor = uint32_t;
enum TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };

struct TOOFont {
  std::string Name = "Arial";
  int Size = 8;
  TColor Color = 0x000000; // the window-text colour
  bool Bold = false, Italic = false, Underline = false;
};

struct TOOClipRect {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

class TOOStyle {
public:
  virtual ~TOOStyle() = default;
  std::string StyleName;
  std::string StyleFamily;
  TOOStyle* StyleParent = nullptr; // never set by the reader
};

class TOOStyleText : public TOOStyle {
public:
  TOOFont TextFont;
  TColor Color = 0xFFFFFF;
  TAlignment Alignment = taLeftJustify;
};

class TOOStyleGraphic : public TOOStyle {
public:
  TOOClipRect ClipRect;
};

class TOOStyleNumList : public TOOStyle {
public:
  std::string NumPrefix, NumSufix, NumFormat;
  int SpaceBefore = 0;
  std::string BulletChar = "\x07";
};

using TOOStyles = std::vector<std::unique_ptr<TOOStyle>>;

// "#rrggbb" as a colour; a pair that is no hexadecimal number raises
// "'$xx' is not a valid integer value".
TColor ColorFromHex(std::u16string_view text);
// "#rrggbb" in lower case.
std::string ColorToHtml(TColor color);
std::string AlignmentToCss(TAlignment alignment);
// The digits at the start of the text.
std::u16string LeadingDigits(std::u16string_view text);
// "rect(A B C D)" gives left A, top B, right A + C, bottom B + D; other
// texts leave the rectangle as it is.
void ParseClipRect(std::u16string_view text, TOOClipRect& rect);
// "PTnHnMnS" in seconds.
int64_t ParseDuration(std::u16string_view text);

class TCustomOpenOfficeDocument : public TVdWBaseDocument {
public:
  const char* ClassName() const override { return "TCustomOpenOfficeDocument"; }

  void Clear() override;
  void ParseStream(TStream& stream) override;
  void LoadFromFile(const std::u16string& fileName) override { ParseFile(fileName); }

  const TKxWordSummaryInformation* SummaryInformation() const override {
    return &FSummaryInformation;
  }
  void SetSummaryInformation(const TKxWordSummaryInformation& summary) {
    FSummaryInformation.Assign(summary);
  }
  const TOOStyles& Styles() const { return FStyles; }

  // Appends one style per child of the automatic-styles node.
  void ReadStyles(TKxXMLItem& automaticStyles);
  // The CSS block of the styles, into the list (HTML).
  void WriteStylesCss(TWideStrings& list);

protected:
  TCustomOpenOfficeDocument(std::string bodyName, std::string contentName)
      : FBodyName(std::move(bodyName)), FContentName(std::move(contentName)) {}

private:
  void ParseContentMember(const TZipArchive& zip, const std::string& member, TWideStrings& list);
  void ParseContent(TStream& stream, TWideStrings& list);
  void DoTag(TKxXMLEngine& sender, TKxXMLItem* parent, const std::u16string& name,
             const std::u16string& value, const std::u16string& attributes);
  void WalkContent(TKxXMLItem& content, TWideStrings& list);
  void ReadMeta(const TZipArchive& zip, const std::string& member);

  TKxWordSummaryInformation FSummaryInformation;
  TOOStyles FStyles;
  std::string FBodyName, FContentName;
};

class TOpenOfficeTextDocument : public TCustomOpenOfficeDocument {
public:
  TOpenOfficeTextDocument() : TCustomOpenOfficeDocument("office:body", "office:text") {}
  const char* ClassName() const override { return "TOpenOfficeTextDocument"; }
};

class TOpenOfficePresentation : public TCustomOpenOfficeDocument {
public:
  TOpenOfficePresentation() : TCustomOpenOfficeDocument("office:body", "office:presentation") {}
  const char* ClassName() const override { return "TOpenOfficePresentation"; }
};

} // namespace scrivlet
