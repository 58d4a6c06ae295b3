// Word's control characters and fields, turned into the document's blocks
// and pieces.  Below 32 every character but the line feed is one of Word's
// marks: 13 ends a paragraph, 7 a table cell (two in a row end the row: the
// last cell's mark and the row's own), 11 is a line break, 14 a column
// break, 9 a tab, 30 a non-breaking hyphen; the others (the anchors of
// pictures and notes, page and section breaks) stand for no text.
//
// A field is 19 (begin), its instruction, 20 (separator), its result and 21
// (end); a field begin while a field is open ends the open one.  A field
// that holds more than 200 pieces (characters and marks) at one of the
// marks, or that is still open where the text ends, is written as it
// stands: a RawField, then its pieces, and what follows is text again.
//
// With the document's formatting, a paragraph's properties (known at its
// mark) make it a heading or a list item and place it in tables; 12 (a
// page or section break) gives a page break block; the result of a
// HYPERLINK field links to the field's target.
#include "readers/word/DocReader.h"

#include "core/Ascii.h"
#include "readers/word/WordFormatting.h"
#include "readers/word/WordTableNesting.h"

#include <utility>

namespace scrivlet {
namespace {

constexpr char16_t kCellMark = 7, kTab = 9, kLineBreak = 11, kPageBreak = 12, kParagraphMark = 13,
                   kColumnBreak = 14, kFieldBegin = 19, kFieldSeparator = 20, kFieldEnd = 21,
                   kNonBreakingHyphen = 30;
constexpr int32_t kMaxFieldPieces = 200;

// The line feed is text; the other characters below 32 are marks.
bool IsMark(char16_t c) {
  return c < 32 && c != u'\n';
}

bool IsText(InlineKind kind) {
  return kind == InlineKind::Text || kind == InlineKind::FieldCode ||
         kind == InlineKind::FieldResult;
}

// What a character gives: a piece, or the end of a block (cp: the
// position of its mark in the story; a row end's second mark follows).
struct Token {
  enum class End : uint8_t { None, Paragraph, Cell, Row };
  End end = End::None;
  uint32_t cp = 0;
  Inline piece;
};

bool SameRun(const Inline& a, const Inline& b) {
  return a.kind == b.kind && a.marks == b.marks && a.target == b.target;
}

Inline Piece(InlineKind kind, std::u16string text = {}) {
  Inline piece;
  piece.kind = kind;
  piece.text = std::move(text);
  return piece;
}

Token PieceToken(InlineKind kind) {
  Token token;
  token.piece = Piece(kind);
  return token;
}

Token EndToken(Token::End end, size_t cp) {
  Token token;
  token.end = end;
  token.cp = static_cast<uint32_t>(cp);
  return token;
}

// Appends a text character to the last piece when it is text of that
// kind and those marks, else as a piece of its own.
void AppendText(std::vector<Inline>& pieces, InlineKind kind, Marks marks, char16_t c) {
  if (pieces.empty() || pieces.back().kind != kind || pieces.back().marks != marks ||
      !pieces.back().target.empty()) {
    pieces.push_back(Piece(kind));
    pieces.back().marks = marks;
  }
  pieces.back().text += c;
}

std::u16string NumberText(int32_t number) {
  std::u16string text;
  for (char c : std::to_string(number))
    text += static_cast<char16_t>(c);
  return text;
}

// The arguments of a field instruction after its name: quoted or
// separated by blanks.
std::vector<std::u16string> FieldArguments(std::u16string_view instruction) {
  std::vector<std::u16string> arguments;
  size_t at = 0;
  while (at < instruction.size()) {
    if (instruction[at] == u' ') {
      ++at;
      continue;
    }
    std::u16string& argument = arguments.emplace_back();
    if (instruction[at] == u'"') {
      size_t end = instruction.find(u'"', at + 1);
      if (end == std::u16string_view::npos)
        end = instruction.size();
      argument = instruction.substr(at + 1, end - at - 1);
      at = end + 1;
      continue;
    }
    size_t end = instruction.find(u' ', at);
    if (end == std::u16string_view::npos)
      end = instruction.size();
    argument = instruction.substr(at, end - at);
    at = end;
  }
  return arguments;
}

// The target of a HYPERLINK field: its address, "#" and the place a \l
// switch names; empty for any other field.
std::u16string HyperlinkTarget(std::u16string_view instruction) {
  std::vector<std::u16string> arguments = FieldArguments(instruction);
  if (arguments.empty() || AsciiUpperCase(arguments[0]) != u"HYPERLINK")
    return {};
  std::u16string address, place;
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::u16string& argument = arguments[i];
    if (argument.size() == 2 && argument[0] == u'\\') {
      char16_t name = static_cast<char16_t>(argument[1] | 0x20);
      // \l, \o and \t take an argument; \m and \n none.
      if ((name == u'l' || name == u'o' || name == u't') && i + 1 < arguments.size()) {
        if (name == u'l')
          place = arguments[i + 1];
        ++i;
      }
    } else if (address.empty()) {
      address = argument;
    }
  }
  return place.empty() ? address : address + u"#" + place;
}

// The blocks of a story as the tokens come.  With a structure, each mark's
// paragraph properties give the block its kind and the table boundaries
// around it.
class BlockList {
public:
  explicit BlockList(const StoryStructure* structure)
      : FFormatting(structure != nullptr ? structure->formatting : nullptr),
        FCpStart(structure != nullptr ? structure->cpStart : 0) {}

  void Text(InlineKind kind, Marks marks, char16_t c) {
    AppendText(FBlock.content, kind, marks, c);
  }

  void Put(Token token) {
    switch (token.end) {
    case Token::End::None:
      if (token.piece.kind == InlineKind::PageBreak) {
        PageBreak();
      } else if (IsText(token.piece.kind) && !FBlock.content.empty() &&
                 SameRun(FBlock.content.back(), token.piece)) {
        FBlock.content.back().text += token.piece.text;
      } else {
        FBlock.content.push_back(std::move(token.piece));
      }
      break;
    case Token::End::Paragraph:
      EnterMark(token.cp);
      FBlock.ending = kWordParagraphMark;
      PushParagraph();
      LeaveMark(token.cp, kParagraphMark);
      break;
    case Token::End::Cell:
    case Token::End::Row: {
      EnterMark(token.cp);
      // The cell's last paragraph ends with the cell's mark.
      if (!FBlock.content.empty())
        PushParagraph();
      Block& cellEnd = FBlocks.emplace_back();
      cellEnd.kind = BlockKind::CellEnd;
      cellEnd.value = token.end == Token::End::Row ? 1 : 0;
      LeaveMark(token.cp, kCellMark);
      if (token.end == Token::End::Row) {
        EnterMark(token.cp + 1);
        LeaveMark(token.cp + 1, kCellMark);
      }
      break;
    }
    }
  }

  // The text after the last mark is a paragraph too; an empty text is one
  // empty paragraph.
  std::vector<Block> Finish() {
    if (!FBlock.content.empty() || FBlocks.empty())
      FBlocks.push_back(std::move(FBlock));
    if (FFormatting != nullptr) {
      PutPendingPageBreak();
      FTables.CloseAll(FBlocks);
    }
    return std::move(FBlocks);
  }

private:
  // A page break where the paragraph has no text yet stands before it,
  // else after it.
  void PageBreak() {
    if (FFormatting == nullptr)
      return;
    if (FBlock.content.empty())
      FBlocks.emplace_back().kind = BlockKind::PageBreak;
    else
      FPageBreakPending = true;
  }

  void PutPendingPageBreak() {
    if (std::exchange(FPageBreakPending, false))
      FBlocks.emplace_back().kind = BlockKind::PageBreak;
  }

  const ParagraphProperties* PropertiesAt(uint32_t cp) const {
    return FFormatting == nullptr ? nullptr : &FFormatting->ParagraphAt(FCpStart + cp);
  }

  static bool IsRowMark(const ParagraphProperties& paragraph) {
    int32_t depth = paragraph.TableDepth();
    return depth == 1 ? paragraph.rowEnd : depth > 1 && paragraph.innerRowEnd;
  }

  // Before the blocks a mark ends: the tables it opens or closes.
  void EnterMark(uint32_t cp) {
    FParagraph = PropertiesAt(cp);
    if (FParagraph != nullptr)
      FTables.EnterParagraph(FParagraph->TableDepth(), IsRowMark(*FParagraph), FBlocks);
  }

  // After them: the cell or row the mark ends.
  void LeaveMark(uint32_t cp, char16_t mark) {
    const ParagraphProperties* paragraph = PropertiesAt(cp);
    if (paragraph == nullptr)
      return;
    int32_t depth = paragraph->TableDepth();
    if (IsRowMark(*paragraph))
      FTables.EndRow(FBlocks);
    else if (depth == 1 ? mark == kCellMark : depth > 1 && paragraph->innerCellEnd)
      FTables.EndCell();
    PutPendingPageBreak();
  }

  void PushParagraph() {
    if (FParagraph != nullptr && !IsRowMark(*FParagraph))
      GiveKind(*FParagraph, FBlock);
    FBlocks.push_back(std::exchange(FBlock, Block()));
  }

  // A heading by its style or outline level, else a list item by its list.
  void GiveKind(const ParagraphProperties& paragraph, Block& block) {
    if (uint8_t level = FFormatting->HeadingLevel(paragraph); level > 0) {
      block.kind = BlockKind::Heading;
      block.level = level;
      return;
    }
    WordListTables& lists = FFormatting->Lists();
    if (!lists.IsList(paragraph.ilfo))
      return;
    WordListTables::Item item = lists.NextItem(paragraph.ilfo, paragraph.ilvl);
    block.kind = BlockKind::ListItem;
    block.level = static_cast<uint8_t>(std::min<int>(paragraph.ilvl, 8) + 1);
    block.ordered = item.ordered;
    block.value = item.ordered ? item.number : 0;
    block.marker = item.ordered ? NumberText(item.number) + u"." : u"\u2022";
  }

  WordFormatting* FFormatting;
  uint32_t FCpStart;
  const ParagraphProperties* FParagraph = nullptr; // of the mark being placed
  WordTableNesting FTables;
  bool FPageBreakPending = false;
  Block FBlock;
  std::vector<Block> FBlocks;
};

// Reads a story's text character by character; an open field's tokens wait
// until the field ends (or is written as it stands).
class StoryText {
public:
  explicit StoryText(const StoryStructure* structure)
      : FBlocks(structure), FStructure(structure),
        FFormatting(structure != nullptr ? structure->formatting : nullptr) {}

  std::vector<Block> Convert(std::u16string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
      char16_t c = text[i];
      if (IsNoteReference(i)) {
        NoteReference();
        continue;
      }
      if (!IsMark(c)) {
        TextCharacter(c, i);
        continue;
      }
      if (FOpen && c == kFieldBegin)
        CloseField();
      if (FPieces > kMaxFieldPieces)
        FlushField();
      // A cell mark followed by another is a row end: both marks are read.
      bool rowEnd = c == kCellMark && i + 1 < text.size() && text[i + 1] == kCellMark;
      Mark(c, rowEnd, i);
      if (rowEnd)
        ++i;
    }
    if (FOpen)
      FlushField();
    return FBlocks.Finish();
  }

private:
  bool IsNoteReference(size_t cp) {
    if (FStructure == nullptr)
      return false;
    const std::vector<NoteAnchor>& notes = FStructure->notes;
    while (FNextNote < notes.size() && notes[FNextNote].cp < cp)
      ++FNextNote;
    return FNextNote < notes.size() && notes[FNextNote].cp == cp;
  }

  // The note's mark (its number's place, or its own mark) gives way to the
  // reference.
  void NoteReference() {
    const NoteAnchor& note = FStructure->notes[FNextNote++];
    Token token = PieceToken(InlineKind::NoteReference);
    token.piece.text = note.label;
    token.piece.target = note.id;
    Give(std::move(token));
  }

  // The marks change only where a run ends: the formatting is asked there.
  Marks MarksAt(size_t cp) {
    if (FFormatting == nullptr)
      return 0;
    const uint32_t at = FStructure->cpStart + static_cast<uint32_t>(cp);
    if (at < FMarksFrom || at >= FMarksUntil) {
      FMarks = FFormatting->MarksAt(at, FMarksUntil);
      FMarksFrom = at;
    }
    return FMarks;
  }

  void TextCharacter(char16_t c, size_t cp) {
    Marks marks = MarksAt(cp);
    if (!FOpen) {
      FBlocks.Text(InlineKind::Text, marks, c);
      return;
    }
    InlineKind kind = FInResult ? InlineKind::FieldResult : InlineKind::FieldCode;
    if (FField.empty() || FField.back().end != Token::End::None ||
        FField.back().piece.kind != kind || FField.back().piece.marks != marks) {
      FField.push_back(PieceToken(kind));
      FField.back().piece.marks = marks;
    }
    FField.back().piece.text += c;
    ++FPieces;
  }

  void Mark(char16_t c, bool rowEnd, size_t cp) {
    switch (c) {
    case kCellMark:
      Give(EndToken(rowEnd ? Token::End::Row : Token::End::Cell, cp), rowEnd ? 2 : 1);
      break;
    case kTab: Give(PieceToken(InlineKind::Tab)); break;
    case kLineBreak: Give(PieceToken(InlineKind::LineBreak)); break;
    case kColumnBreak: Give(PieceToken(InlineKind::ColumnBreak)); break;
    case kPageBreak:
      if (FFormatting != nullptr)
        Give(PieceToken(InlineKind::PageBreak), 0);
      break;
    case kParagraphMark: Give(EndToken(Token::End::Paragraph, cp)); break;
    case kFieldBegin:
      FField.clear();
      FOpen = true;
      FInResult = false;
      FPieces = 1;
      break;
    case kFieldSeparator:
      Give(PieceToken(InlineKind::FieldSeparator));
      FInResult = FOpen;
      break;
    case kFieldEnd:
      if (FOpen)
        CloseField();
      break;
    case kNonBreakingHyphen: TextCharacter(u'-', cp); break;
    default: break; // marks without text
    }
  }

  // A token into the open field (pieces: how many it counts for), or into
  // the blocks.
  void Give(Token token, int32_t pieces = 1) {
    if (!FOpen) {
      FBlocks.Put(std::move(token));
      return;
    }
    FField.push_back(std::move(token));
    FPieces += pieces;
  }

  void CloseField() {
    LinkResult();
    FBlocks.Put(PieceToken(InlineKind::FieldBegin));
    MoveFieldTokens();
    FBlocks.Put(PieceToken(InlineKind::FieldEnd));
  }

  // A hyperlink's result text links to its target.
  void LinkResult() {
    if (!MayBeHyperlink())
      return;
    std::u16string instruction;
    for (const Token& token : FField) {
      if (token.end != Token::End::None || token.piece.kind == InlineKind::FieldSeparator)
        break;
      if (token.piece.kind == InlineKind::FieldCode)
        instruction += token.piece.text;
    }
    std::u16string target = HyperlinkTarget(instruction);
    if (target.empty())
      return;
    for (Token& token : FField)
      if (token.end == Token::End::None && token.piece.kind == InlineKind::FieldResult)
        token.piece.target = target;
  }

  // Whether the instruction's first word starts as HYPERLINK does: most
  // fields are not parsed further.
  bool MayBeHyperlink() const {
    for (const Token& token : FField) {
      if (token.end != Token::End::None || token.piece.kind != InlineKind::FieldCode)
        return false;
      for (char16_t c : token.piece.text)
        if (c != u' ')
          return c == u'H' || c == u'h';
    }
    return false;
  }

  void FlushField() {
    FBlocks.Put(PieceToken(InlineKind::RawField));
    MoveFieldTokens();
  }

  void MoveFieldTokens() {
    for (Token& token : FField)
      FBlocks.Put(std::move(token));
    FField.clear();
    FOpen = false;
    FInResult = false;
    FPieces = 0;
  }

  BlockList FBlocks;
  const StoryStructure* FStructure;
  WordFormatting* FFormatting;
  size_t FNextNote = 0;
  Marks FMarks = 0;
  uint32_t FMarksFrom = 1, FMarksUntil = 0; // where FMarks holds
  std::vector<Token> FField;                // the open field's tokens after its begin
  bool FOpen = false;
  bool FInResult = false; // past the open field's separator
  int32_t FPieces = 0;    // the open field's pieces, its begin included
};

} // namespace

std::vector<Block> StoryBlocks(std::u16string_view text, bool convert,
                               const StoryStructure* structure) {
  if (convert)
    return StoryText(structure).Convert(text);
  Block block;
  block.kind = BlockKind::Preformatted;
  if (!text.empty())
    block.content.push_back(Piece(InlineKind::Text, std::u16string(text)));
  std::vector<Block> blocks;
  blocks.push_back(std::move(block));
  return blocks;
}

} // namespace scrivlet
