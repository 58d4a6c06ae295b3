// Word keeps no table objects in its text: a paragraph says how deep in
// tables it stands, the mark of a cell's last paragraph ends the cell and
// a paragraph of its own (with the row-end property) ends each row.  This
// turns those marks into the boundaries of tables, rows and cells
// (TableStart, RowStart, CellStart, RowEnd, TableEnd blocks), which hold no
// text: the described output stays as it was.
#pragma once

#include "document/Document.h"

#include <vector>

namespace scrivlet {

class WordTableNesting {
public:
  // Before the blocks of a paragraph at that depth (0: outside tables):
  // the tables, rows and cells it opens or closes.  The mark that ends a
  // row opens no cell.
  void EnterParagraph(int32_t depth, bool rowMark, std::vector<Block>& out);
  // After a paragraph whose mark ends a cell or a row.
  void EndCell();
  void EndRow(std::vector<Block>& out);
  // Closes every open table.
  void CloseAll(std::vector<Block>& out);

private:
  struct Level {
    bool rowOpen = false;
    bool cellOpen = false;
  };
  void OpenRowAndCell(Level& level, bool cell, std::vector<Block>& out);
  void CloseInnermost(std::vector<Block>& out);

  std::vector<Level> FLevels; // the open tables, innermost last
};

} // namespace scrivlet
