// The order in which a document's notes are read: as the main text refers
// to them, each at its first reference, then the notes no reference names
// in the order the document holds them (no note is lost).
#pragma once

#include "document/Document.h"

#include <vector>

namespace scrivlet {

std::vector<const Note*> NotesInReferenceOrder(const Document& document);

// A note's text: its paragraphs' visible text, one line each.
std::u16string NoteText(const Note& note);

} // namespace scrivlet
