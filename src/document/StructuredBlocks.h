// The shape of a story as one sequence of structural blocks: headings,
// paragraphs, list items, tables (rows of cells holding blocks), quotes,
// preformatted text, breaks.  Readers give tables and lists either as
// whole blocks or as the boundaries of their parts (TableStart, CellStart,
// ListItemStart, ...), as their format writes them; here the boundaries
// become table blocks and list items with their nesting level, and what
// only the described output keeps (style rules, empty paragraphs, the
// marks of a story's end) is left out.
#pragma once

#include "document/Document.h"

#include <vector>

namespace scrivlet {

// Tables and lists nested deeper than this are read as their parts' text
// at the depth reached.
constexpr size_t kMaxStructureDepth = 64;

std::vector<Block> StructuredBlocks(const Story& story);

// Whether a block holds nothing a reader would see: no visible text other
// than white space, and no picture.
bool IsBlank(const Block& block);

} // namespace scrivlet
