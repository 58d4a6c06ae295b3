// Word 2007+ documents (.docx): a ZIP package of XML parts.  Each part that
// holds text (the document, the endnotes, the footnotes, every header and
// footer part) becomes a story of its own, read inside the XML engine's
// events: a paragraph becomes a block as soon as it closes, a table a Table
// block of rows and cells.  The properties parts fill the summary record.
#pragma once

#include "readers/common/DocumentReader.h"

#include <map>
#include <string>
#include <vector>

namespace scrivlet {

class CompoundFile;
class XmlParser;
class XmlNode;
class ZipArchive;

class DocxReader : public DocumentReader {
public:
  // How a Table block ended (Block::ending): the part ended, or its reading
  // failed, inside the table, its last row or its last cell, which were
  // never closed.
  enum TableEnding : uint8_t { kTableClosed = 0, kTableOpen = 1, kRowOpen = 2, kCellOpen = 3 };

private:
  void Parse(std::string_view bytes) override;
  // The "Package" stream of a compound file read from a stream; anything
  // else is refused.
  std::string EmbeddedPackage(std::string_view bytes) const;
  // Raises the error for bytes that are not a package: an encrypted one in
  // a compound file, or not a Word document at all.
  [[noreturn]] void RefuseNonPackage(const CompoundFile* storage) const;
  void ReadParts(const ZipArchive& zip);
  // Reads a member into story (the main story, or a new one of its kind).
  void ParseMember(const ZipArchive& zip, const std::string& member, StoryKind kind);
  void ParseXmlPart(std::string bytes, Story& story);
  // Relationship identifier (letter case folded) to target part.
  using Relationships = std::map<std::u16string, std::string>;
  Relationships ReadRelationships(const ZipArchive& zip) const;
  void ParseReferencedParts(const ZipArchive& zip, const Relationships& relationships,
                            const std::vector<std::u16string>& ids, StoryKind kind);
  void ReadPropertiesPart(const ZipArchive& zip, const std::string& member);

  void DoTag(XmlNode* parent, const std::u16string& name, const std::u16string& value,
             const std::u16string& attributes, bool& accept);
  void DoAfterTag(XmlParser& sender, XmlNode*& node);
  void AddText(std::u16string text);
  void AddPiece(Inline piece);
  void StartRevision(Mark mark);
  void EndRevision(Mark mark);
  void StartTableElement(std::u16string_view name);
  void EndTableElement();
  void FinishParagraph();
  // Puts a finished block where it belongs: the open table cell, else the
  // story (counted: false for what a failure leaves, which must not fail).
  void PlaceBlock(Block block, bool counted = true);
  // Tables the part left open go into the story as far as they came.
  void PlaceOpenTables();
  Marks RunMarks() const;

  // What an open table element stands for in the table being built.
  enum class TableRole : uint8_t { Table, Row, Cell, None };
  struct OpenTable {
    Block block;
    bool rowOpen = false;
    bool cellOpen = false;
  };

  Story* FStory = nullptr;
  // The open paragraphs, innermost last (text-box content opens a
  // paragraph inside another one).
  std::vector<Block> FParagraphs;
  std::vector<OpenTable> FTables;      // innermost last
  std::vector<TableRole> FTableRoles;  // one per open w:tbl, w:tr, w:tc
  int FDeletions = 0, FInsertions = 0; // open w:del and w:ins elements
  bool FHiddenRun = false;
  std::vector<std::u16string> FHeaderIds, FFooterIds;
};

} // namespace scrivlet
