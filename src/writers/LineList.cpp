#include "writers/LineList.h"

namespace scrivlet {

// Under a limit the entries are joined with CR LF between them (the writer
// ends the one entry as it ends every entry): the cut text reads as the
// start of the whole output, with no line break it does not have.
void LineList::Add(std::u16string text) {
  if (FMaxLength <= 0) {
    FLines.Add(std::move(text));
    return;
  }
  const size_t limit = static_cast<size_t>(FMaxLength);
  if (FLines.Count() == 1) {
    // The usual case: the list already is one joined entry, which the new
    // text extends in place (joining it again on every call would make a
    // long document quadratic).
    std::u16string& joined = FLines.Entry(0);
    if (joined.size() >= limit) {
      joined.resize(limit);
      return;
    }
    joined += u"\r\n";
    joined += text;
    if (joined.size() > limit)
      joined.resize(limit);
    return;
  }
  FLines.Add(std::move(text));
  std::u16string joined = FLines.GetTextW();
  joined.resize(joined.size() - 2); // no line break after the last entry
  if (joined.size() > limit)
    joined.resize(limit);
  FLines.Clear();
  FLines.Add(std::move(joined));
}

} // namespace scrivlet
