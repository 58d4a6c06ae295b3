// Documents built block by block for the tests of what reads a Document
// (the structure view, the writers), without a reader in between.
#pragma once

#include "document/Document.h"

#include <string>
#include <vector>

namespace scrivlet::test {

inline Inline TextPiece(std::u16string text, Marks marks = 0) {
  Inline piece;
  piece.text = std::move(text);
  piece.marks = marks;
  return piece;
}

inline Inline NoteReferencePiece(std::u16string label, std::u16string id) {
  Inline piece;
  piece.kind = InlineKind::NoteReference;
  piece.text = std::move(label);
  piece.target = std::move(id);
  return piece;
}

inline Block BlockOf(BlockKind kind, std::u16string text = {}) {
  Block block;
  block.kind = kind;
  if (!text.empty())
    block.content.push_back(TextPiece(std::move(text)));
  return block;
}

inline Block Paragraph(std::u16string text) {
  return BlockOf(BlockKind::Paragraph, std::move(text));
}

inline Block Heading(int level, std::u16string text) {
  Block block = BlockOf(BlockKind::Heading, std::move(text));
  block.level = static_cast<uint8_t>(level);
  return block;
}

inline Block ListStart(bool ordered) {
  Block block = BlockOf(BlockKind::ListStart);
  block.ordered = ordered;
  return block;
}

inline Block CellStart(int span = 1) {
  Block block = BlockOf(BlockKind::CellStart);
  block.value = span;
  return block;
}

inline Inline LinkPiece(std::u16string text, std::u16string target, Marks marks = 0) {
  Inline piece = TextPiece(std::move(text), marks);
  piece.target = std::move(target);
  return piece;
}

inline Inline PieceOf(InlineKind kind) {
  Inline piece;
  piece.kind = kind;
  return piece;
}

// A block of the given pieces.
inline Block BlockWith(BlockKind kind, std::vector<Inline> content) {
  Block block;
  block.kind = kind;
  block.content = std::move(content);
  return block;
}

inline Block ListItem(int level, bool ordered, std::u16string text, int value = 0) {
  Block block = BlockOf(BlockKind::ListItem, std::move(text));
  block.level = static_cast<uint8_t>(level);
  block.ordered = ordered;
  block.value = value;
  return block;
}

inline Block PageBreak(int page) {
  Block block = BlockOf(BlockKind::PageBreak);
  block.value = page;
  return block;
}

inline Block SlideBreak(std::u16string name) {
  Block block = BlockOf(BlockKind::SlideBreak);
  block.style = std::move(name);
  return block;
}

inline TableCell CellOf(std::vector<Block> blocks, int span = 1, bool header = false) {
  TableCell cell;
  cell.blocks = std::move(blocks);
  cell.columnSpan = static_cast<uint16_t>(span);
  cell.header = header;
  return cell;
}

inline TableCell TextCell(std::u16string text, int span = 1, bool header = false) {
  return CellOf({Paragraph(std::move(text))}, span, header);
}

// A whole table block, row by row.
inline Block TableOf(std::vector<std::vector<TableCell>> rows) {
  Block table = BlockOf(BlockKind::Table);
  for (auto& cells : rows)
    table.rows.push_back(TableRow{std::move(cells)});
  return table;
}

// A document whose main story holds the blocks.
inline Document DocumentOf(std::vector<Block> blocks) {
  Document document;
  document.Main().blocks = std::move(blocks);
  return document;
}

inline Note NoteOf(std::u16string id, std::u16string label, std::u16string text) {
  Note note;
  note.id = std::move(id);
  note.label = std::move(label);
  note.blocks.push_back(Paragraph(std::move(text)));
  return note;
}

} // namespace scrivlet::test
