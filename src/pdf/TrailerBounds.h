// Where a trailer dictionary may end at the latest: at the next "trailer"
// or "startxref" keyword of the file.  A trailer whose "<<" is never
// closed would otherwise run to the end of the file, and be read to the end
// again for every trailer keyword and every key asked of it: with many such
// trailers the cost grows with the square of the file's size.  Bounded,
// the trailers lie apart and reading all of them reads the file once.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace scrivlet::pdf {

class TrailerBounds {
public:
  // One pass over the data for each keyword.
  explicit TrailerBounds(std::string_view data);

  // The dictionary after the "trailer" keyword that ends at keywordEnd (the
  // offset just past it), cut at the next keyword; nullopt when no "<<"
  // follows.
  std::optional<std::string_view> DictionaryAfter(size_t keywordEnd) const;

private:
  std::string_view FData;
  std::vector<size_t> FMarks; // sorted starts of the keywords
};

} // namespace scrivlet::pdf
