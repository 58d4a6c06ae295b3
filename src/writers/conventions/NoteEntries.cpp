// The notes after the main text, the same in every format's described
// output: they are text the document holds, wherever its format keeps them.
#include "document/NoteOrder.h"
#include "writers/conventions/Convention.h"

namespace scrivlet::conventions {
namespace {

std::u16string NoteEntry(OutputFormat format, const Note& note) {
  const std::u16string text = u"[" + note.label + u"] " + NoteText(note);
  std::u16string entry = format == OutputFormat::Html ? u"<p>" : u"";
  for (char16_t c : text) {
    if (c == u'\n')
      entry += LineBreak(format);
    else
      AppendEscaped(format, c, entry);
  }
  if (format == OutputFormat::Html)
    entry += u"</p>";
  else if (format == OutputFormat::Rtf)
    entry += u"\\par ";
  return entry;
}

} // namespace

std::vector<std::u16string> NoteEntries(const Context& context) {
  std::vector<std::u16string> entries;
  if (!context.options.notes || context.document.notes.empty())
    return entries;
  entries.emplace_back();
  for (const Note* note : NotesInReferenceOrder(context.document))
    entries.push_back(NoteEntry(context.Format(), *note));
  return entries;
}

void AddNotes(const Context& context, LineList& list) {
  for (std::u16string& entry : NoteEntries(context))
    list.Add(std::move(entry));
}

void AppendNotes(const Context& context, std::u16string& out) {
  std::vector<std::u16string> entries = NoteEntries(context);
  if (entries.empty())
    return;
  if (!out.empty() && out.back() != u'\n')
    out += u"\r\n";
  for (const std::u16string& entry : entries) {
    out += entry;
    out += u"\r\n";
  }
}

} // namespace scrivlet::conventions
