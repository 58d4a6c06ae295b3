// The output list of a reader: an ordered list of UTF-16 lines.
#pragma once

#include <string>
#include <vector>

namespace scrivlet {

// An ordered list of UTF-16 lines.
class TextLines {
public:
  virtual ~TextLines() = default;

  int Add(std::u16string text);
  // Index 0..Count; Count appends.  Any other index raises ListIndexError
  // "WideStrings index out of bounds".
  void Insert(int index, std::u16string text);
  // The entry, or an empty string outside 0..Count-1.
  std::u16string Get(int index) const;
  int Count() const { return static_cast<int>(FItems.size()); }
  // The entry itself, for changing it in place; index must be 0..Count-1.
  std::u16string& Entry(int index) { return FItems.at(static_cast<size_t>(index)); }
  void Clear() { FItems.clear(); }

  // All entries, each followed by CR LF.
  virtual std::u16string GetTextW() const;
  // The same in the system code page.
  std::string GetText() const;

private:
  std::vector<std::u16string> FItems;
};

} // namespace scrivlet
