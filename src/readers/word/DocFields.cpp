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
#include "readers/word/DocReader.h"

#include <utility>

namespace scrivlet {
namespace {

constexpr char16_t kCellMark = 7, kTab = 9, kLineBreak = 11, kParagraphMark = 13, kColumnBreak = 14,
                   kFieldBegin = 19, kFieldSeparator = 20, kFieldEnd = 21, kNonBreakingHyphen = 30;
constexpr int32_t kMaxFieldPieces = 200;

// The line feed is text; the other characters below 32 are marks.
bool IsMark(char16_t c) {
  return c < 32 && c != u'\n';
}

bool IsText(InlineKind kind) {
  return kind == InlineKind::Text || kind == InlineKind::FieldCode ||
         kind == InlineKind::FieldResult;
}

// What a character gives: a piece, or the end of a block.
struct Token {
  enum class End : uint8_t { None, Paragraph, Cell, Row };
  End end = End::None;
  Inline piece;
};

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

Token EndToken(Token::End end) {
  Token token;
  token.end = end;
  return token;
}

// Appends a text character to the last piece when it is text of that
// kind, else as a piece of its own.
void AppendText(std::vector<Inline>& pieces, InlineKind kind, char16_t c) {
  if (pieces.empty() || pieces.back().kind != kind)
    pieces.push_back(Piece(kind));
  pieces.back().text += c;
}

// The blocks of a story as the tokens come.
class BlockList {
public:
  void Text(InlineKind kind, char16_t c) { AppendText(FBlock.content, kind, c); }

  void Put(Token token) {
    switch (token.end) {
    case Token::End::None:
      if (IsText(token.piece.kind) && !FBlock.content.empty() &&
          FBlock.content.back().kind == token.piece.kind)
        FBlock.content.back().text += token.piece.text;
      else
        FBlock.content.push_back(std::move(token.piece));
      break;
    case Token::End::Paragraph:
      FBlock.ending = kWordParagraphMark;
      FBlocks.push_back(std::exchange(FBlock, Block()));
      break;
    case Token::End::Cell:
    case Token::End::Row: {
      // The cell's last paragraph ends with the cell's mark.
      if (!FBlock.content.empty())
        FBlocks.push_back(std::exchange(FBlock, Block()));
      Block& cellEnd = FBlocks.emplace_back();
      cellEnd.kind = BlockKind::CellEnd;
      cellEnd.value = token.end == Token::End::Row ? 1 : 0;
      break;
    }
    }
  }

  // The text after the last mark is a paragraph too; an empty text is one
  // empty paragraph.
  std::vector<Block> Finish() {
    if (!FBlock.content.empty() || FBlocks.empty())
      FBlocks.push_back(std::move(FBlock));
    return std::move(FBlocks);
  }

private:
  Block FBlock;
  std::vector<Block> FBlocks;
};

// Reads a story's text character by character; an open field's tokens wait
// until the field ends (or is written as it stands).
class StoryText {
public:
  std::vector<Block> Convert(std::u16string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
      char16_t c = text[i];
      if (!IsMark(c)) {
        TextCharacter(c);
        continue;
      }
      if (FOpen && c == kFieldBegin)
        CloseField();
      if (FPieces > kMaxFieldPieces)
        FlushField();
      // A cell mark followed by another is a row end: both marks are read.
      bool rowEnd = c == kCellMark && i + 1 < text.size() && text[i + 1] == kCellMark;
      if (rowEnd)
        ++i;
      Mark(c, rowEnd);
    }
    if (FOpen)
      FlushField();
    return FBlocks.Finish();
  }

private:
  void TextCharacter(char16_t c) {
    if (!FOpen) {
      FBlocks.Text(InlineKind::Text, c);
      return;
    }
    InlineKind kind = FInResult ? InlineKind::FieldResult : InlineKind::FieldCode;
    if (FField.empty() || FField.back().end != Token::End::None || FField.back().piece.kind != kind)
      FField.push_back(PieceToken(kind));
    FField.back().piece.text += c;
    ++FPieces;
  }

  void Mark(char16_t c, bool rowEnd) {
    switch (c) {
    case kCellMark:
      Give(EndToken(rowEnd ? Token::End::Row : Token::End::Cell), rowEnd ? 2 : 1);
      break;
    case kTab: Give(PieceToken(InlineKind::Tab)); break;
    case kLineBreak: Give(PieceToken(InlineKind::LineBreak)); break;
    case kColumnBreak: Give(PieceToken(InlineKind::ColumnBreak)); break;
    case kParagraphMark: Give(EndToken(Token::End::Paragraph)); break;
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
    case kNonBreakingHyphen: TextCharacter(u'-'); break;
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
    FBlocks.Put(PieceToken(InlineKind::FieldBegin));
    MoveFieldTokens();
    FBlocks.Put(PieceToken(InlineKind::FieldEnd));
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
  std::vector<Token> FField; // the open field's tokens after its begin
  bool FOpen = false;
  bool FInResult = false; // past the open field's separator
  int32_t FPieces = 0;    // the open field's pieces, its begin included
};

} // namespace

std::vector<Block> StoryBlocks(std::u16string_view text, bool convert) {
  if (convert)
    return StoryText().Convert(text);
  Block block;
  block.kind = BlockKind::Preformatted;
  if (!text.empty())
    block.content.push_back(Piece(InlineKind::Text, std::u16string(text)));
  std::vector<Block> blocks;
  blocks.push_back(std::move(block));
  return blocks;
}

} // namespace scrivlet
