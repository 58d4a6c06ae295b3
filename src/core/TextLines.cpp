#include "core/TextLines.h"

#include "core/CodePage.h"
#include "core/Exception.h"

namespace scrivlet {

int TextLines::Add(std::u16string text) {
  FItems.push_back(std::move(text));
  return Count() - 1;
}

void TextLines::Insert(int index, std::u16string text) {
  if (index < 0 || index > Count())
    throw ListIndexError("WideStrings index out of bounds");
  FItems.insert(FItems.begin() + index, std::move(text));
}

std::u16string TextLines::Get(int index) const {
  if (index < 0 || index >= Count())
    return {};
  return FItems[static_cast<size_t>(index)];
}

std::u16string TextLines::GetTextW() const {
  size_t length = 0;
  for (const auto& item : FItems)
    length += item.size() + 2;
  std::u16string text;
  text.reserve(length);
  for (const auto& item : FItems) {
    text += item;
    text += u"\r\n";
  }
  return text;
}

std::string TextLines::GetText() const {
  return WideToAnsi(GetTextW());
}

} // namespace scrivlet
