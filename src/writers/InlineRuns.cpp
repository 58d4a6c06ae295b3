#include "writers/InlineRuns.h"

namespace scrivlet {
namespace {

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
  if (text.size() < prefix.size())
    return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char16_t c = text[i];
    if (c >= u'A' && c <= u'Z')
      c = static_cast<char16_t>(c - u'A' + u'a');
    if (c != prefix[i])
      return false;
  }
  return true;
}

class RunList {
public:
  explicit RunList(TextBudget& budget) : FBudget(budget) {}

  // Text with its line breaks as breaks.
  void AddText(std::u16string_view text, Marks marks, const std::u16string& target) {
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
      if (i < text.size() && text[i] != u'\r' && text[i] != u'\n')
        continue;
      AddLine(text.substr(start, i - start), marks, target);
      if (i < text.size()) {
        AddBreak();
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
          ++i;
      }
      start = i + 1;
    }
  }

  // A blank where the source ended a line that the text flows over: part
  // of the text run before it.
  void AddBlank(Marks marks) {
    if (FBudget.Spent())
      return;
    if (!FRuns.empty() && FRuns.back().kind == InlineRun::Kind::Text) {
      FRuns.back().text += FBudget.Take(u" ");
      return;
    }
    InlineRun& run = FRuns.emplace_back();
    run.marks = marks;
    run.text = FBudget.Take(u" ");
  }

  void AddBreak() {
    InlineRun& run = FRuns.emplace_back();
    run.kind = InlineRun::Kind::Break;
  }

  void AddNoteReference(const Inline& piece, size_t number) {
    InlineRun& run = FRuns.emplace_back();
    run.kind = InlineRun::Kind::NoteReference;
    run.text = FBudget.Take(piece.text);
    run.note = number;
  }

  std::vector<InlineRun> Take() { return std::move(FRuns); }

private:
  void AddLine(std::u16string_view line, Marks marks, const std::u16string& target) {
    if (line.empty() || FBudget.Spent())
      return;
    std::u16string text;
    text.reserve(line.size());
    for (char16_t c : line)
      if (c != 0)
        text += c;
    text = FBudget.Take(std::move(text));
    if (!FRuns.empty() && FRuns.back().kind == InlineRun::Kind::Text &&
        FRuns.back().marks == marks && FRuns.back().target == target) {
      FRuns.back().text += text;
      return;
    }
    InlineRun& run = FRuns.emplace_back();
    run.marks = marks;
    run.text = std::move(text);
    run.target = target;
  }

  TextBudget& FBudget;
  std::vector<InlineRun> FRuns;
};

} // namespace

std::vector<InlineRun> InlineRuns(const Block& block, const NoteNumbers& notes,
                                  TextBudget& budget) {
  RunList runs(budget);
  static const std::u16string kNoTarget;
  for (const Inline& piece : block.content) {
    if ((piece.marks & (kDeleted | kHidden)) != 0 || budget.Spent())
      continue;
    const Marks marks = piece.marks & kShownMarks;
    switch (piece.kind) {
    case InlineKind::Text:
    case InlineKind::FieldResult: runs.AddText(piece.text, marks, piece.target); break;
    case InlineKind::Tab: runs.AddText(u"\t", marks, kNoTarget); break;
    case InlineKind::LineBreak: runs.AddBreak(); break;
    case InlineKind::SoftBreak: runs.AddBlank(marks); break;
    case InlineKind::NoteReference:
      if (!notes.Notes().empty())
        runs.AddNoteReference(piece, notes.NumberOf(piece.target));
      break;
    default: break;
    }
  }
  return runs.Take();
}

bool IsWebLink(std::u16string_view target) {
  return StartsWithNoCase(target, u"http://") || StartsWithNoCase(target, u"https://") ||
         StartsWithNoCase(target, u"mailto:");
}

} // namespace scrivlet
