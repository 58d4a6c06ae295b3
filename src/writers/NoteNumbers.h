// The numbers the structured views give a document's notes: 1, 2, ... in
// the order the main text refers to them (notes no reference names come
// last), so that a reference and its note show the same number whatever
// label the source gave.
#pragma once

#include "document/Document.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace scrivlet {

class NoteNumbers {
public:
  // No notes at all when shown is false (the notes were not asked for).
  NoteNumbers(const Document& document, bool shown);

  // The note's number, 0 when no note has that identifier.
  size_t NumberOf(const std::u16string& id) const;
  // The notes, note n at index n - 1.
  const std::vector<const Note*>& Notes() const { return FNotes; }

private:
  std::vector<const Note*> FNotes;
  std::unordered_map<std::u16string, size_t> FNumbers;
};

} // namespace scrivlet
