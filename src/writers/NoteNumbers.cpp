#include "writers/NoteNumbers.h"

#include "document/NoteOrder.h"

namespace scrivlet {

NoteNumbers::NoteNumbers(const Document& document, bool shown) {
  if (!shown)
    return;
  FNotes = NotesInReferenceOrder(document);
  for (size_t i = 0; i < FNotes.size(); ++i)
    FNumbers.emplace(FNotes[i]->id, i + 1); // the first of two equal identifiers
}

size_t NoteNumbers::NumberOf(const std::u16string& id) const {
  auto found = FNumbers.find(id);
  return found == FNumbers.end() ? 0 : found->second;
}

} // namespace scrivlet
