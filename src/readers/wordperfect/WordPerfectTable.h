// The boundaries of a WordPerfect table as its codes in the text give them.
//
// A table begins with its definition (a group of the character group), and
// its text follows: a row-and-cell code opens the first row and its first
// cell, a cell code ends a cell and opens the next, another row-and-cell
// code ends the row and opens the next, and a table-off code ends the last
// cell, row and table.  Each call gives the boundary blocks to add, in order;
// the codes that come without a table (a damaged file) open one.
#pragma once

#include "document/Document.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace scrivlet {

class WordPerfectTable {
public:
  bool IsOpen() const { return FOpen; }

  void Define(std::vector<Block>& out);
  void Cell(uint16_t columnSpan, std::vector<Block>& out);
  void Row(uint16_t columnSpan, std::vector<Block>& out);
  void End(std::vector<Block>& out);

  // The columns a cell spans, from the data of the end-of-line group that
  // opens it (the bytes after its flags); 1 when it gives none.
  static uint16_t ColumnSpan(uint8_t flags, std::string_view data);

private:
  void Open(std::vector<Block>& out);
  void OpenCell(uint16_t columnSpan, std::vector<Block>& out);
  void CloseCell(std::vector<Block>& out);
  void CloseRow(std::vector<Block>& out);

  bool FOpen = false;
  bool FRowOpen = false;
  bool FCellOpen = false;
};

} // namespace scrivlet
