// The characters of text a view of the document may still show:
// --max-length cuts the structured views (the JSON blocks, the page, the
// Markdown) as it cuts the described lines, piece by piece in reading order.
#pragma once

#include <cstdint>
#include <string>

namespace scrivlet {

class TextBudget {
public:
  // limit 0 or less: no limit.
  explicit TextBudget(int32_t limit)
      : FLeft(limit > 0 ? static_cast<size_t>(limit) : std::u16string::npos) {}
  bool Spent() const { return FLeft == 0; }
  // The text as far as the budget reaches, which it spends.
  std::u16string Take(std::u16string text) {
    if (text.size() > FLeft)
      text.resize(FLeft);
    if (FLeft != std::u16string::npos)
      FLeft -= text.size();
    return text;
  }

private:
  size_t FLeft;
};

} // namespace scrivlet
