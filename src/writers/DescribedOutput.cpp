#include "writers/DescribedOutput.h"

#include "writers/conventions/Convention.h"

namespace scrivlet {
namespace {

conventions::StoryWriter WriterFor(MarkupConvention convention) {
  switch (convention) {
  case MarkupConvention::Word: return conventions::WriteWordStory;
  case MarkupConvention::WordXml: return conventions::WriteWordXmlStory;
  case MarkupConvention::WordPerfect: return conventions::WriteWordPerfectStory;
  case MarkupConvention::Write: return conventions::WriteWriteStory;
  case MarkupConvention::OpenDocument: return conventions::WriteOpenDocumentStory;
  case MarkupConvention::FictionBook:
  case MarkupConvention::Epub: return conventions::WriteBookStory;
  case MarkupConvention::Pdf: return conventions::WritePdfStory;
  }
  return conventions::WriteBookStory;
}

conventions::Context ContextFor(const Document& document, const DescribedOutputOptions& options) {
  return {document, options, PrologueText(options.format, options.codePage, options.created),
          EpilogueText(options.format)};
}

TextLines* ListOf(StoryLists& lists, StoryKind kind) {
  switch (kind) {
  case StoryKind::Footnotes: return &lists.Footnotes;
  case StoryKind::Headers: return &lists.Headers;
  case StoryKind::Footers: return &lists.Footers;
  case StoryKind::Comments: return &lists.Comments;
  case StoryKind::Endnotes: return &lists.Endnotes;
  case StoryKind::TextBoxes: return &lists.TextBoxes;
  case StoryKind::Macros: return &lists.Macros;
  default: return nullptr;
  }
}

} // namespace

TextLines DescribedLines(const Document& document, const DescribedOutputOptions& options) {
  const conventions::Context context = ContextFor(document, options);
  LineList list(options.maxTextLength);
  WriterFor(document.markup)(context, document.Main(), true, list);
  return list.Take();
}

StoryLists DescribedStories(const Document& document, const DescribedOutputOptions& options) {
  const conventions::Context context = ContextFor(document, options);
  const conventions::StoryWriter writer = WriterFor(document.markup);
  StoryLists lists;
  for (size_t i = 1; i < document.stories.size(); ++i) {
    const Story& story = document.stories[i];
    TextLines* target = ListOf(lists, story.kind);
    if (target == nullptr)
      continue;
    // Each list keeps its entries as the stories of its kind gave them,
    // under the same length limit as the main text.
    LineList list(options.maxTextLength);
    for (int k = 0; k < target->Count(); ++k)
      list.AddUnlimited(target->Get(k));
    writer(context, story, false, list);
    *target = list.Take();
  }
  return lists;
}

} // namespace scrivlet
