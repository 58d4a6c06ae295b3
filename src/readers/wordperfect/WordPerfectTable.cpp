#include "readers/wordperfect/WordPerfectTable.h"

#include "core/ByteReader.h"

namespace scrivlet {
namespace {

constexpr uint8_t kPrefixIds = 0x80; // the group's flags: prefix identifiers follow
// The sub-group of a cell's spanning: its columns and rows, framed by its
// identifier.
constexpr uint8_t kCellSpanning = 0x85;

Block Boundary(BlockKind kind, int32_t value = 0) {
  Block block;
  block.kind = kind;
  block.value = value;
  return block;
}

} // namespace

void WordPerfectTable::Open(std::vector<Block>& out) {
  out.push_back(Boundary(BlockKind::TableStart));
  FOpen = true;
  FRowOpen = false;
  FCellOpen = false;
}

void WordPerfectTable::OpenCell(uint16_t columnSpan, std::vector<Block>& out) {
  out.push_back(Boundary(BlockKind::CellStart, columnSpan));
  FCellOpen = true;
}

void WordPerfectTable::CloseCell(std::vector<Block>& out) {
  if (FCellOpen)
    out.push_back(Boundary(BlockKind::CellEnd));
  FCellOpen = false;
}

void WordPerfectTable::CloseRow(std::vector<Block>& out) {
  CloseCell(out);
  if (FRowOpen)
    out.push_back(Boundary(BlockKind::RowEnd));
  FRowOpen = false;
}

// A second definition without the first table's end ends that table.
void WordPerfectTable::Define(std::vector<Block>& out) {
  End(out);
  Open(out);
}

void WordPerfectTable::Cell(uint16_t columnSpan, std::vector<Block>& out) {
  if (!FOpen)
    Open(out);
  CloseCell(out);
  if (!FRowOpen) {
    out.push_back(Boundary(BlockKind::RowStart));
    FRowOpen = true;
  }
  OpenCell(columnSpan, out);
}

void WordPerfectTable::Row(uint16_t columnSpan, std::vector<Block>& out) {
  if (!FOpen)
    Open(out);
  CloseRow(out);
  out.push_back(Boundary(BlockKind::RowStart));
  FRowOpen = true;
  OpenCell(columnSpan, out);
}

void WordPerfectTable::End(std::vector<Block>& out) {
  if (!FOpen)
    return;
  CloseRow(out);
  out.push_back(Boundary(BlockKind::TableEnd));
  FOpen = false;
}

// After the flags: the prefix identifiers (a count, then two bytes each)
// when the flags say so, the size of the data that must stay, the size of
// the data that may go and those bytes, then sub-groups, each framed by its
// identifier, and the group's closing size and code.  The spanning
// sub-group is looked for among the sub-groups, whose sizes differ by kind.
uint16_t WordPerfectTable::ColumnSpan(uint8_t flags, std::string_view data) {
  size_t at = 0;
  if ((flags & kPrefixIds) != 0) {
    if (data.empty())
      return 1;
    at = 1 + 2 * static_cast<size_t>(static_cast<uint8_t>(data[0]));
  }
  at += 2; // the size of the data that must stay
  if (at + 2 > data.size())
    return 1;
  at += 2 + ByteReader::Get16(data, at);
  for (; at + 3 < data.size(); ++at) {
    if (static_cast<uint8_t>(data[at]) == kCellSpanning &&
        static_cast<uint8_t>(data[at + 3]) == kCellSpanning) {
      const uint8_t columns = static_cast<uint8_t>(data[at + 1]);
      return columns > 1 ? columns : 1;
    }
  }
  return 1;
}

} // namespace scrivlet
