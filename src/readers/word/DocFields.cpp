// Word's control characters and fields, turned into the document's blocks
// and pieces.  Below 32 every character but the line feed is one of Word's
// marks: 13 ends a paragraph, 7 a table cell (two in a row end the row: the
// last cell's mark and the row's own), 11 is a line break, 14 a column
// break, 9 a tab, 30 a non-breaking hyphen; the others (the anchors of
// pictures and notes, page and section breaks) stand for no text.
//
// A field is 19 (begin), its instruction, 20 (separator), its result and 21
// (end).  Fields nest, in an instruction (whose text then includes the
// nested field's result) as in a result; the instruction's text is
// FieldCode, including all that fields nested in it hold.  A field without
// a separator shows what Word computes for it where that can be told (an
// equation's base text, a symbol), else nothing.  A field still open where
// the text ends is written as it stands: a RawField, then its pieces.
//
// With the document's formatting, a paragraph's properties (known at its
// mark) make it a heading or a list item and place it in tables; 12 (a
// page or section break) gives a page break block; the result of a
// HYPERLINK field links to the field's target.
#include "core/Numbers.h"
#include "readers/word/DocReader.h"

#include "readers/word/WordFieldInstructions.h"
#include "readers/word/WordFormatting.h"
#include "readers/word/WordTableNesting.h"

#include <utility>

namespace scrivlet {
namespace {

constexpr char16_t kCellMark = 7, kTab = 9, kLineBreak = 11, kPageBreak = 12, kParagraphMark = 13,
                   kColumnBreak = 14, kFieldBegin = 19, kFieldSeparator = 20, kFieldEnd = 21,
                   kNonBreakingHyphen = 30;

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
void AppendText(std::vector<Inline>& pieces, InlineKind kind, Marks marks,
                std::u16string_view text) {
  if (pieces.empty() || pieces.back().kind != kind || pieces.back().marks != marks ||
      !pieces.back().target.empty()) {
    pieces.push_back(Piece(kind));
    pieces.back().marks = marks;
  }
  pieces.back().text += text;
}

// The blocks of a story as the tokens come.  With a structure, each mark's
// paragraph properties give the block its kind and the table boundaries
// around it.
class BlockList {
public:
  explicit BlockList(const StoryStructure* structure)
      : FFormatting(structure != nullptr ? structure->formatting : nullptr),
        FCpStart(structure != nullptr ? structure->cpStart : 0),
        FAnchored(structure != nullptr ? &structure->anchored : nullptr) {}

  void Text(InlineKind kind, Marks marks, std::u16string_view text) {
    AppendText(FBlock.content, kind, marks, text);
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
      PutAnchored(token.cp);
      LeaveMark(token.cp, kParagraphMark);
      break;
    case Token::End::Cell:
    case Token::End::Row: {
      EnterMark(token.cp);
      // The cell's last paragraph ends with the cell's mark.
      if (!FBlock.content.empty())
        PushParagraph();
      PutAnchored(token.cp);
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
    PutAnchored(UINT32_MAX);
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

  // The blocks anchored up to cp, after the paragraph that ends there.
  void PutAnchored(uint32_t cp) {
    if (FAnchored == nullptr)
      return;
    for (; FNextAnchored < FAnchored->size() && (*FAnchored)[FNextAnchored].cp <= cp;
         ++FNextAnchored) {
      const std::vector<Block>& blocks = (*FAnchored)[FNextAnchored].blocks;
      FBlocks.insert(FBlocks.end(), blocks.begin(), blocks.end());
    }
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
    block.marker = item.ordered ? DecimalText(item.number) + u"." : u"\u2022";
  }

  WordFormatting* FFormatting;
  uint32_t FCpStart;
  const std::vector<AnchoredBlocks>* FAnchored;
  size_t FNextAnchored = 0;
  const ParagraphProperties* FParagraph = nullptr; // of the mark being placed
  WordTableNesting FTables;
  bool FPageBreakPending = false;
  Block FBlock;
  std::vector<Block> FBlocks;
};

// A field whose end has not come yet.
struct OpenField {
  size_t begin = 0;      // the place of its begin token in the held tokens
  bool inResult = false; // past its separator
  // The innermost field at or below this one on the stack that is still in
  // its instruction (-1: none): a character typed now belongs to that
  // field's instruction.
  ptrdiff_t instructionField = -1;
  std::u16string instruction; // its own instruction, nested fields' results included
  std::u16string target;      // the link its result's text is part of
};

// Reads a story's text character by character.  Fields nest: a field's
// instruction and result may hold whole fields.  The tokens of the
// outermost open field wait until it ends: a field still open where the
// text ends is written as it stands.
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
        if (!FFields.empty()) {
          TextCharacter(c, i);
          continue;
        }
        // Text outside fields goes as a whole run: up to the next mark,
        // note reference or change of formatting.
        const Marks marks = MarksAt(i);
        const size_t end = TextRunEnd(text, i);
        FBlocks.Text(InlineKind::Text, marks, text.substr(i, end - i));
        i = end - 1;
        continue;
      }
      // A cell mark followed by another is a row end: both marks are read.
      bool rowEnd = c == kCellMark && i + 1 < text.size() && text[i + 1] == kCellMark;
      Mark(c, rowEnd, i);
      if (rowEnd)
        ++i;
    }
    if (!FFields.empty())
      WriteOpenFieldsRaw();
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

  // Where the text run from start (no mark, its marks asked for) ends.
  size_t TextRunEnd(std::u16string_view text, size_t start) const {
    size_t limit = text.size();
    if (FStructure != nullptr && FNextNote < FStructure->notes.size())
      limit = std::min(limit, std::max<size_t>(FStructure->notes[FNextNote].cp, start + 1));
    if (FFormatting != nullptr && FMarksUntil > FStructure->cpStart)
      limit =
          std::min<size_t>(limit, std::max<size_t>(FMarksUntil - FStructure->cpStart, start + 1));
    size_t end = start + 1;
    while (end < limit && !IsMark(text[end]))
      ++end;
    return end;
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

  void TextCharacter(char16_t c, size_t cp) { FieldText(c, MarksAt(cp)); }

  // A character outside fields is text; inside, it belongs to the
  // instruction of the innermost field still in its instruction, else to
  // the innermost field's result.
  void FieldText(char16_t c, Marks marks) {
    if (FFields.empty()) {
      FBlocks.Text(InlineKind::Text, marks, std::u16string_view(&c, 1));
      return;
    }
    const OpenField& top = FFields.back();
    InlineKind kind = InlineKind::FieldResult;
    const std::u16string* target = &top.target;
    if (top.instructionField >= 0) {
      FFields[static_cast<size_t>(top.instructionField)].instruction += c;
      kind = InlineKind::FieldCode;
      target = &kNoTarget;
    }
    if (FField.back().end != Token::End::None || FField.back().piece.kind != kind ||
        FField.back().piece.marks != marks || FField.back().piece.target != *target) {
      FField.push_back(PieceToken(kind));
      FField.back().piece.marks = marks;
      FField.back().piece.target = *target;
    }
    FField.back().piece.text += c;
  }

  void Mark(char16_t c, bool rowEnd, size_t cp) {
    switch (c) {
    case kCellMark: Give(EndToken(rowEnd ? Token::End::Row : Token::End::Cell, cp)); break;
    case kTab: Give(PieceToken(InlineKind::Tab)); break;
    case kLineBreak: Give(PieceToken(InlineKind::LineBreak)); break;
    case kColumnBreak: Give(PieceToken(InlineKind::ColumnBreak)); break;
    case kPageBreak:
      if (FFormatting != nullptr)
        Give(PieceToken(InlineKind::PageBreak));
      break;
    case kParagraphMark: Give(EndToken(Token::End::Paragraph, cp)); break;
    case kFieldBegin: BeginField(); break;
    case kFieldSeparator:
      Give(PieceToken(InlineKind::FieldSeparator));
      if (!FFields.empty() && !FFields.back().inResult)
        EnterResult();
      break;
    case kFieldEnd:
      if (!FFields.empty())
        EndField(cp);
      break;
    case kNonBreakingHyphen: TextCharacter(u'-', cp); break;
    default: break; // marks without text
    }
  }

  // A token into the open fields' held tokens, or into the blocks.
  void Give(Token token) {
    if (FFields.empty())
      FBlocks.Put(std::move(token));
    else
      FField.push_back(std::move(token));
  }

  void BeginField() {
    OpenField& field = FFields.emplace_back();
    field.begin = FField.size();
    field.instructionField = static_cast<ptrdiff_t>(FFields.size() - 1);
    FField.push_back(PieceToken(InlineKind::FieldBegin));
  }

  // Past the separator the innermost field's characters are its result: a
  // hyperlink's result links to its target, another field's result is part
  // of the link around it, if any.
  void EnterResult() {
    OpenField& field = FFields.back();
    const size_t index = FFields.size() - 1;
    field.inResult = true;
    field.instructionField = index > 0 ? FFields[index - 1].instructionField : -1;
    if (MayBeHyperlink(field.instruction))
      field.target = HyperlinkFieldTarget(field.instruction);
    if (field.target.empty() && index > 0)
      field.target = FFields[index - 1].target;
  }

  // A field without a result shows what Word would compute for it where
  // that can be told (an equation's base text, a symbol), as its result.
  void EndField(size_t cp) {
    if (!FFields.back().inResult) {
      std::u16string shown = ShownWithoutResult(FFields.back().instruction);
      if (!shown.empty()) {
        FField.push_back(PieceToken(InlineKind::FieldSeparator));
        EnterResult();
        Marks marks = MarksAt(cp);
        for (char16_t c : shown)
          FieldText(c, marks);
      }
    }
    FField.push_back(PieceToken(InlineKind::FieldEnd));
    FFields.pop_back();
    if (FFields.empty())
      PutHeldTokens();
  }

  // Whether the instruction's first word starts as HYPERLINK does: most
  // fields are not parsed further.
  static bool MayBeHyperlink(std::u16string_view instruction) {
    for (char16_t c : instruction)
      if (c != u' ')
        return c == u'H' || c == u'h';
    return false;
  }

  // The open fields where the text ends: each begins as a field written as
  // it stands.
  void WriteOpenFieldsRaw() {
    for (const OpenField& field : FFields)
      FField[field.begin] = PieceToken(InlineKind::RawField);
    FFields.clear();
    PutHeldTokens();
  }

  void PutHeldTokens() {
    for (Token& token : FField)
      FBlocks.Put(std::move(token));
    FField.clear();
  }

  static inline const std::u16string kNoTarget;

  BlockList FBlocks;
  const StoryStructure* FStructure;
  WordFormatting* FFormatting;
  size_t FNextNote = 0;
  Marks FMarks = 0;
  uint32_t FMarksFrom = 1, FMarksUntil = 0; // where FMarks holds
  std::vector<OpenField> FFields;           // the open fields, the innermost last
  std::vector<Token> FField;                // the tokens from the outermost open field's begin
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
