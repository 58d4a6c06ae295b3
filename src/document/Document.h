// A converted document: what a reader found, before any writer formats it.
//
// A reader fills one Document: the summary record, and the stories of the
// document (the main text; notes, headers, footers, comments, text boxes;
// macro source), each a sequence of blocks made of inline pieces.  All text
// is UTF-16.  Writers turn a Document into bytes (plain text, RTF, HTML,
// JSON); the document itself knows nothing of any output format.
//
// The described output of the older formats keeps details that differ from
// format to format (how a paragraph ends, which font a run names): the
// document carries them as data (MarkupConvention, Block::ending, the
// character styles), never as formatted text.
#pragma once

#include "core/DocumentSummary.h"

#include <cstdint>
#include <string>
#include <vector>

namespace scrivlet {

// Character marks, as a bit set.
enum Mark : uint16_t {
  kBold = 1u << 0,
  kItalic = 1u << 1,
  kUnderline = 1u << 2,
  kStrike = 1u << 3,
  kSuperscript = 1u << 4,
  kSubscript = 1u << 5,
  kCode = 1u << 6,
  kInserted = 1u << 7,
  kDeleted = 1u << 8,
  kHidden = 1u << 9,
};
using Marks = uint16_t;

enum class InlineKind : uint8_t {
  Text,      // text: the marks and the character style apply
  LineBreak, // a line break inside the block
  // Where the source ends a line inside a paragraph: views that flow text
  // show a blank, the described output of formats that keep their lines
  // ends the line there.
  SoftBreak,
  Tab,           // a tab character
  NoteReference, // text: the note's label; target: the note's identifier
  Picture,       // target: the picture's source
  // What the older binary formats record in the middle of their text and
  // their described output keeps: value and style say what changed.
  FontChange, // style: the character style now in force
  Alignment,  // value: the alignment now in force (a format's own number)
  Indent,     // value: the measure; style: 0 first line, 1 right
  ParagraphEnd,
  PageBreak,
  ColumnBreak,
  FieldResult, // text: the visible result of a field
  RawField,    // a field left as it was written: its pieces follow (see FieldBegin)
  // A format's code that switches a mark on or off where it stands (the
  // text pieces' marks say what is in force): marks the mark, value the
  // code's own number.
  MarkOn,
  MarkOff,
  // Where a tracked change begins and ends (marks: kDeleted or kInserted),
  // also where it holds no text (a paragraph mark inserted or deleted).
  RevisionStart,
  RevisionEnd,
  // A field as the Word binary format writes it: FieldBegin, its code
  // (FieldCode text and the pieces between), FieldSeparator, its result
  // (FieldResult text and the pieces between), FieldEnd.  A field written
  // as it stands starts with RawField (its text empty) instead of
  // FieldBegin and has no FieldEnd.
  FieldBegin,
  FieldCode, // text: a run of the field's instruction
  FieldSeparator,
  FieldEnd,
  // The properties of a StyleRule block, one piece each:
  StyleFamily, // text: the family of the style (paragraph, text, graphic, ...)
  TextFont,    // a style's font: text its name, value its size in points, marks its
               // bold, italic, underline
  TextColor,   // value: the text colour of a style, red in the low byte
  Background,  // value: the background colour of a style, red in the low byte
  // (and Alignment: 0 left, 1 right, 2 centred)
};

// One piece of a block's content.  A text piece with a target is the text
// of a hyperlink to that target.
struct Inline {
  InlineKind kind = InlineKind::Text;
  Marks marks = 0;
  uint32_t style = 0; // index into Document::characterStyles; 0 when none
  int32_t value = 0;
  std::u16string text;
  std::u16string target; // link target, picture source or note identifier
};

enum class BlockKind : uint8_t {
  Paragraph,
  Heading,      // level 1-9
  ListItem,     // level, ordered, marker; value: the item's number, 0 when none
  Quote,        // a quoted paragraph (epigraph, cite, blockquote)
  Preformatted, // text whose lines and spaces stand as they are
  Table,        // rows
  Picture,      // content: one Picture inline
  EmptyLine,    // an empty line the format writes on purpose
  SectionEnd,   // the end of a section or chapter
  PageBreak,    // value: the page that follows, 0 when unknown
  SlideBreak,   // style: the slide's name
  CellEnd,      // the end of a table cell or row, where the format keeps no table
  // Tables and lists given as the boundaries of their parts, where the
  // format lets text stand between the parts (outside any cell or item):
  TableStart, // style: the table's style name
  TableEnd,
  RowStart,
  RowEnd,
  CellStart, // value: the columns it spans (0 or 1: one); header: a heading cell;
             // a cell ends with CellEnd
  ListStart, // ordered: a numbered list
  ListEnd,
  ListItemStart,
  ListItemEnd,
  StyleRule,   // a style the document defines: style its name, content its properties
  DocumentEnd, // the reader reached the end of the document (none after an error)
};

struct Block;

struct TableCell {
  std::vector<Block> blocks;
  uint16_t columnSpan = 1;
  bool header = false;
};

struct TableRow {
  std::vector<TableCell> cells;
};

struct Block {
  BlockKind kind = BlockKind::Paragraph;
  uint8_t level = 0;    // heading level, list nesting (1 the outermost)
  bool ordered = false; // list item of a numbered list
  // How the source ended the block, where its described output shows it (a
  // format's own code: a paragraph mark, a line break, ...).
  uint8_t ending = 0;
  int32_t value = 0;
  std::u16string style;  // the paragraph's or table's style name
  std::u16string marker; // a list item's number or bullet
  bool header = false;   // CellStart: the cell heads its column or row
  std::vector<Inline> content;
  std::vector<TableRow> rows; // tables only

  // The text of the content and its note references ("[label]"), the
  // other pieces left out.
  std::u16string Text() const;
  // The text a reader of the document sees: text and field results, a note
  // reference as "[label]", line breaks as LF and tabs, without deleted or
  // hidden text.
  std::u16string VisibleText() const;
};

enum class StoryKind : uint8_t {
  Main,
  Footnotes,
  Headers,
  Footers,
  Comments,
  Endnotes,
  TextBoxes,
  Macros,
  StyleSheet, // style rules the format defines (kept for its described HTML)
};

struct Story {
  StoryKind kind = StoryKind::Main;
  std::vector<Block> blocks;
};

// A footnote or endnote: its body, and the label its references show (the
// format's own mark, or the reader's count where the format numbers them).
struct Note {
  std::u16string id; // what the references' target names
  std::u16string label;
  bool endnote = false;
  std::vector<Block> blocks;
};

// Which format's described mark-up the plain, RTF and HTML writers
// reproduce for the document: each older format has its own conventions.
enum class MarkupConvention : uint8_t {
  Word,         // Word 97-2003, Word 6/95, Word 2
  WordXml,      // Word 2007+
  WordPerfect,  // WordPerfect 6-9
  Write,        // Windows Write
  OpenDocument, // OpenDocument text and presentation
  FictionBook,  // FictionBook 2
  Epub,         // EPUB
  Pdf,          // PDF
};

// Character formatting the older formats record per run.
struct CharacterStyle {
  std::u16string fontName;
  int32_t fontNumber = -1; // the font's number in the document's font table
  int32_t halfPoints = 0;  // size in half-points; 0 when the format gives none
  uint8_t position = 0;    // 0 normal, below 128 subscript, from 128 superscript
};

class Document {
public:
  Document();

  MarkupConvention markup = MarkupConvention::Word;
  // The summary record; hasSummary is false for formats that keep none.
  DocumentSummary summary;
  bool hasSummary = false;
  std::u16string language; // BCP 47 tag, where the format records one
  // Whether the text was asked for (and so read): some formats' described
  // output has no prologue without it.
  bool textRead = false;
  // Whether the reader got as far as the text (a document refused for its
  // password, say, fails before), and whether it read to the end without
  // failing: the described output's prologue and epilogue show both.
  bool textStarted = false;
  bool complete = false;
  // Every story in document order; stories[0] is the main text.  A kind
  // may occur more than once (a package part each).
  std::vector<Story> stories;
  // Index 0 is "no style".
  std::vector<CharacterStyle> characterStyles;
  // The footnotes and endnotes, in the order the document holds them; the
  // main text refers to them with NoteReference pieces.
  std::vector<Note> notes;

  Story& Main() { return stories.front(); }
  const Story& Main() const { return stories.front(); }
  // A new story of that kind, after the others.
  Story& AddStory(StoryKind kind);
  // The first story of that kind, or nullptr.
  const Story* Find(StoryKind kind) const;
  // Adds a character style; returns its index.
  uint32_t AddCharacterStyle(CharacterStyle style);
};

} // namespace scrivlet
