// An output list as the described writers fill it: entries added one by
// one, the whole list cut to a length limit as it grows.
#pragma once

#include "core/TextLines.h"

#include <cstdint>
#include <string>

namespace scrivlet {

class LineList {
public:
  // maxLength: characters the joined list may keep; 0 or less for no limit.
  explicit LineList(int32_t maxLength = 0) : FMaxLength(maxLength) {}

  // Appends an entry.  Under a limit the list becomes one entry: all
  // entries joined with CR LF between them, cut to the limit.  The cut is
  // made on the wide text, so characters outside any code page survive it.
  void Add(std::u16string text);
  // Appends an entry whatever the limit.
  void AddUnlimited(std::u16string text) { FLines.Add(std::move(text)); }
  // Inserts an entry (index 0..Count).
  void Insert(int index, std::u16string text) { FLines.Insert(index, std::move(text)); }

  const TextLines& Lines() const { return FLines; }
  TextLines Take() { return std::move(FLines); }

private:
  TextLines FLines;
  int32_t FMaxLength;
};

} // namespace scrivlet
