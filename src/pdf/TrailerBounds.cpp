#include "pdf/TrailerBounds.h"

#include "pdf/ObjectText.h"

#include <algorithm>

namespace scrivlet::pdf {

TrailerBounds::TrailerBounds(std::string_view data) : FData(data) {
  for (std::string_view keyword : {std::string_view("trailer"), std::string_view("startxref")})
    for (size_t at = data.find(keyword); at != std::string_view::npos;
         at = data.find(keyword, at + keyword.size()))
      FMarks.push_back(at);
  std::sort(FMarks.begin(), FMarks.end());
}

std::optional<std::string_view> TrailerBounds::DictionaryAfter(size_t keywordEnd) const {
  if (keywordEnd > FData.size())
    return std::nullopt;
  auto next = std::lower_bound(FMarks.begin(), FMarks.end(), keywordEnd);
  const size_t end = next == FMarks.end() ? FData.size() : *next;
  return DictionaryAt(FData.substr(keywordEnd, end - keywordEnd));
}

} // namespace scrivlet::pdf
