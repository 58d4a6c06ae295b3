// Word 2007+ documents (.docx): a ZIP package of XML parts.  Each part that
// holds text (the document, the endnotes, the footnotes, every header and
// footer part, the comments) becomes a story of its own, read inside the
// XML engine's events: a paragraph becomes a block as soon as it closes, a
// table a Table block of rows and cells.  The styles and numbering parts,
// read first, say which paragraphs are headings and list items; the notes
// that the text refers to become the document's notes.  The properties
// parts fill the summary record.
#pragma once

#include "readers/common/DocumentReader.h"
#include "readers/docx/DocxListCounter.h"
#include "readers/docx/DocxMarks.h"
#include "readers/docx/DocxMath.h"
#include "readers/docx/DocxNumbering.h"
#include "readers/docx/DocxRelationships.h"
#include "readers/docx/DocxStyles.h"

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

  // Whether the document read last was saved with a password.
  bool IsEncrypted() const override { return FEncrypted; }

private:
  void Parse(std::string_view bytes) override;
  // The package a compound file holds encrypted, or the "Package" stream of
  // one read from a stream; anything else is refused.
  std::string EmbeddedPackage(std::string_view bytes);
  // Raises the error for bytes that are not a Word document at all.
  [[noreturn]] void RefuseNonPackage() const;
  void ReadParts(const ZipArchive& zip);
  // Reads a member into story (the main story, or a new one of its kind).
  void ParseMember(const ZipArchive& zip, const std::string& member, StoryKind kind);
  void ParseXmlPart(std::string bytes, Story& story);
  // The styles and numbering parts; a damaged one only costs the structure.
  void ReadStyleParts(const ZipArchive& zip);
  void ParseReferencedParts(const ZipArchive& zip, const std::vector<std::u16string>& ids,
                            StoryKind kind);
  void ReadPropertiesPart(const ZipArchive& zip, const std::string& member);

  void DoTag(XmlNode* parent, const std::u16string& name, const std::u16string& value,
             const std::u16string& attributes, bool& accept);
  void DoAfterTag(XmlParser& sender, XmlNode*& node);
  // The properties of paragraphs, runs, rows and cells that the structure
  // needs; true when name was one of them (read from its attributes).
  bool ReadProperty(const XmlNode* parent, const std::u16string& name,
                    const std::u16string& attributes, bool& accept);
  void StartRun();
  void EndRun();
  void StartHyperlink(const std::u16string& attributes);
  void ReadFieldCharacter(const std::u16string& attributes);
  void AddNoteReference(const std::u16string& name, const std::u16string& attributes);
  void StartNote(const std::u16string& name, const std::u16string& attributes);
  void EndNote();
  // The label of the note that a reference names, given at its first
  // reference: footnotes 1, 2, 3 ..., endnotes i, ii, iii ...
  std::u16string NoteLabel(bool endnote, const std::u16string& id);
  std::u16string LinkTarget() const;
  void AddText(std::u16string text);
  void AddEquation(std::u16string text);
  void AddPiece(Inline piece);
  void StartRevision(Mark mark);
  void EndRevision(Mark mark);
  void StartTableElement(std::u16string_view name);
  void EndTableElement();
  void FinishParagraph();
  void PlacePageBreak();
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
    bool headerRow = false; // the open row repeats as the table's header
  };
  // What an open paragraph's properties say, beside its block.
  struct ParagraphProperties {
    std::u16string styleId;
    int32_t outlineLevel = -1; // its own w:outlineLvl; -1: none
    int32_t numId = -1;        // its own w:numPr; -1: none said
    int32_t ilvl = -1;
    bool breakBefore = false; // w:pageBreakBefore
    bool breakAfter = false;  // a page break (w:br w:type="page") inside
  };
  // Makes a paragraph a heading or list item as its properties and its
  // style say.
  void ApplyParagraphStructure(Block& paragraph, const ParagraphProperties& properties);
  // An open run's marks: its character style's and its own.
  struct RunProperties {
    MarkSettings style;
    MarkSettings direct;
  };
  // An open complex field (w:fldChar begin, separate, end).
  struct OpenField {
    std::u16string instruction;
    std::u16string target; // a HYPERLINK's, once its result starts
    std::u16string outer;  // the target in force where the field began
    bool inResult = false;
  };

  Story* FStory = nullptr;
  // The open paragraphs, innermost last (text-box content opens a
  // paragraph inside another one).
  std::vector<Block> FParagraphs;
  std::vector<ParagraphProperties> FParagraphProperties; // one per open paragraph
  std::vector<RunProperties> FRuns;                      // innermost last
  std::vector<std::u16string> FLinks;                    // open w:hyperlink targets
  std::vector<OpenField> FFields;                        // complex and simple fields
  std::vector<OpenTable> FTables;                        // innermost last
  std::vector<TableRole> FTableRoles;                    // one per open w:tbl, w:tr, w:tc
  int FDeletions = 0, FInsertions = 0;                   // open w:del and w:ins elements
  bool FHiddenRun = false;
  bool FEncrypted = false;
  std::vector<std::u16string> FHeaderIds, FFooterIds;

  DocxRelationships FRelationships;
  DocxStyles FStyles;
  DocxMath FMath; // the equation being read
  DocxNumbering FNumbering;
  DocxListCounter FListCounter;
  // Note identifier to label, per kind, as the references gave them.
  std::map<std::u16string, std::u16string> FFootnoteLabels, FEndnoteLabels;
  // The note being read in a notes part: where its blocks start in the
  // story; kept: a note the text refers to.
  size_t FNoteStart = 0;
  std::u16string FNoteId;
  bool FNoteOpen = false, FNoteKept = false, FNoteIsEndnote = false;
};

} // namespace scrivlet
