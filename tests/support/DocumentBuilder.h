// Documents built block by block for the tests of what reads a Document
// (the structure view, the writers), without a reader in between.
#pragma once

#include "document/Document.h"

#include <string>

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

inline Note NoteOf(std::u16string id, std::u16string label, std::u16string text) {
  Note note;
  note.id = std::move(id);
  note.label = std::move(label);
  note.blocks.push_back(Paragraph(std::move(text)));
  return note;
}

} // namespace scrivlet::test
