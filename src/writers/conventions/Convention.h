// What each format's described mark-up writer gets: the document, the
// options, the prologue and epilogue, and the list to fill.  One writer per
// MarkupConvention, each in its own file.
#pragma once

#include "document/Document.h"
#include "writers/DescribedOutput.h"
#include "writers/LineList.h"

#include <string>
#include <vector>

namespace scrivlet::conventions {

struct Context {
  const Document& document;
  const DescribedOutputOptions& options;
  std::u16string prologue; // empty for plain text
  std::u16string epilogue;
  OutputFormat Format() const { return options.format; }
};

// The document's notes after its main text: an empty entry, then each note
// as "[label] text" in the format's mark-up, in order of reference.  Nothing
// when the document has no notes or they were not asked for.
std::vector<std::u16string> NoteEntries(const Context& context);
// The same entries added to the list, or appended to one entry's text
// (each after a line break), for the formats whose text is one entry.
void AddNotes(const Context& context, LineList& list);
void AppendNotes(const Context& context, std::u16string& out);

// Writes one story into list.  main: the document's main text (the other
// stories are written into the lists of their kind, one after another).
using StoryWriter = void (*)(const Context& context, const Story& story, bool main, LineList& list);

void WriteWordStory(const Context&, const Story&, bool main, LineList&);
void WriteWordXmlStory(const Context&, const Story&, bool main, LineList&);
void WriteWordPerfectStory(const Context&, const Story&, bool main, LineList&);
void WriteWriteStory(const Context&, const Story&, bool main, LineList&);
void WriteOpenDocumentStory(const Context&, const Story&, bool main, LineList&);
void WriteBookStory(const Context&, const Story&, bool main, LineList&); // FictionBook, EPUB
void WritePdfStory(const Context&, const Story&, bool main, LineList&);

} // namespace scrivlet::conventions
