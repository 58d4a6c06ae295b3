// The widths of a CID font's glyphs, from its "/W" array: "c [w1 w2 ...]"
// gives consecutive CIDs from c their widths, "first last w" one width to a
// range.  Widths are in thousandths of an em in the file and in ems here.
// Many fonts of a document may share one array, so a parsed table is shared
// (held by std::shared_ptr) rather than parsed for each.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace scrivlet::pdf {

class CidWidths {
public:
  // Reads the array's text, "[" to "]"; what is not a number or a bracket
  // is skipped, ranges whose numbers are invalid are dropped.
  static CidWidths Parse(std::string_view array);

  // The width of a CID; none when the array does not give one.
  std::optional<double> Width(uint32_t cid) const;

  bool Empty() const { return FRanges.empty(); }
  // The ranges kept.
  size_t Size() const { return FRanges.size(); }

private:
  struct Range {
    uint32_t first, last;
    double width;
  };
  std::vector<Range> FRanges; // sorted by first
};

} // namespace scrivlet::pdf
