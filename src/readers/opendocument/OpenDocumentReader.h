// OpenDocument text and presentation documents (.odt, .odp): a ZIP package
// whose "content.xml" holds the body and "meta.xml" the properties.  Each
// paragraph and heading gives one block (its runs marked as its text
// styles say); tables and lists give the boundaries of their parts, slides
// a break before theirs; notes go to the document's notes and annotations
// to a story of comments; the automatic styles become the document's style
// sheet.
#pragma once

#include "core/DocumentSummary.h"
#include "readers/common/DocumentReader.h"
#include "readers/opendocument/PackageManifest.h"
#include "readers/opendocument/ParagraphContent.h"
#include "readers/opendocument/StructureStyles.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
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
  // Whether the document read last was saved with a password.
  bool IsEncrypted() const override { return FEncrypted; }

  // The automatic styles of the document read last.
  const OpenDocumentStyles& Styles() const { return FStyles; }

  // Appends one style per child of the automatic-styles node.
  void ReadStyles(XmlNode& automaticStyles);

protected:
  OpenDocumentReader(std::string bodyName, std::string contentName)
      : FBodyName(std::move(bodyName)), FContentName(std::move(contentName)) {}

private:
  // Where the walk puts blocks: the main text, a note's body (notes: its
  // index among the document's notes) or the comments.
  // Where an item's blocks go; a tracked change's record of deleted text
  // gives none (the text reads as accepted).
  enum class Target : uint8_t { Main, Note, Comments, Nowhere };
  struct Place {
    Target target = Target::Main;
    size_t note = 0;
    int paragraphDepth = 0; // paragraphs around the item in this place
  };
  // An open list: its style (shared by the lists nested in it that name
  // none of their own), nesting level and the number its next item gets.
  struct OpenList {
    const std::u16string* style = nullptr;
    int level = 1;
    bool ordered = false;
    int32_t next = 1;
  };

  void Parse(std::string_view bytes) override;
  // A member's bytes, decrypted when the manifest lists it as encrypted
  // (PasswordError when the password does not open it).
  std::string Member(const ZipArchive& zip, const std::string& name);
  void ParseContent(const ZipArchive& zip, const std::string& member);
  void ReadCommonStyles(const ZipArchive& zip);
  void AddStyleSheet();
  void WalkContent(XmlNode& content);
  Place EnterItem(XmlNode& item, const Place& outer);
  void LeaveItem(XmlNode& item, const Place& place);
  Block TextBlock(XmlNode& item);
  Inline CiteNote(XmlNode& note);
  Place NotePlace(XmlNode& note);
  Place CommentPlace(XmlNode& annotation);
  Block ListStart(XmlNode& list);
  Block ListItemStart(XmlNode& item);
  void EndList();
  void Put(const Place& place, Block block);
  void ReadMeta(const ZipArchive& zip, const std::string& member);

  OpenDocumentStyles FStyles;
  bool FEncrypted = false;
  std::map<std::string, EncryptedMember> FEncryptedMembers;
  std::string FBodyName, FContentName;
  StructureStyles FStructure;
  ParagraphContent FParagraphs{FStructure, [this](XmlNode& note) { return CiteNote(note); }};
  std::vector<OpenList> FLists;
  // The list style names met, each kept once.
  std::unordered_set<std::u16string> FListStyles;
  // The number after a list's last item, by list style and level, for a
  // list that continues the numbering of the one before.
  std::map<std::pair<const std::u16string*, int>, int32_t> FListNumbers;
  std::unordered_map<const XmlNode*, size_t> FCitedNotes; // note element -> index
  std::unordered_set<std::u16string> FNoteIds;
  Story FComments{StoryKind::Comments, {}};
  Story FScratch; // a block on its way into a note, counted as output
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
