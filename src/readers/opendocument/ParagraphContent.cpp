#include "readers/opendocument/ParagraphContent.h"

#include "readers/opendocument/ElementAttribute.h"
#include "readers/opendocument/StructureStyles.h"

#include <string_view>

namespace scrivlet {

ParagraphContent::RunState ParagraphContent::StateOf(const XmlNode& item, const RunState& outer) {
  RunState state = outer;
  const std::string_view name = item.Name; // compared by length first
  if (name == "text:span") {
    state.marks = FStyles.MarksOf(ElementAttribute(item, "text:style-name"), outer.marks);
  } else if (name == "text:a") {
    std::u16string target = ElementAttribute(item, "xlink:href");
    if (!target.empty()) {
      FLinks.push_back(std::move(target));
      state.link = FLinks.size() - 1;
    }
    state.marks = FStyles.MarksOf(ElementAttribute(item, "text:style-name"), outer.marks);
  }
  return state;
}

// A note gives its reference and an annotation nothing; their text is
// passed over.
bool ParagraphContent::Enter(XmlNode& element) {
  const std::string_view name = element.Name;
  if (name == "office:annotation")
    return false;
  if (name == "text:note") {
    CloseRun();
    FContent.push_back(FCiteNote(element));
    FAfterText = false;
    return false;
  }
  FStates.push_back(StateOf(element, FStates.back()));
  return true;
}

void ParagraphContent::Leave(XmlNode&) {
  if (FStates.size() > 1)
    FStates.pop_back();
}

// The marks a blank between two runs gets: what both have (white space
// between two runs mostly stands in what holds both).
ParagraphContent::RunState ParagraphContent::Between(const RunState& before,
                                                     const RunState& after) const {
  RunState common;
  common.marks = static_cast<Marks>(before.marks & after.marks);
  if (before.link == after.link || FLinks[before.link] == FLinks[after.link])
    common.link = before.link;
  return common;
}

// A piece of the whole text.  The blank that joins it to the text before
// begins it; it goes with what the runs on both sides have in common.
void ParagraphContent::Text(std::u16string_view text) {
  const RunState& state = FStates.back();
  if (FAfterText && !text.empty() && text.front() == u' ') {
    Append(u" ", Between(FRunState, state));
    text.remove_prefix(1);
  }
  Append(text, state);
}

// Text with line feeds (the engine's line breaks), which become pieces of
// their own.
void ParagraphContent::Append(std::u16string_view text, const RunState& state) {
  while (!text.empty()) {
    size_t lineFeed = text.find(u'\n');
    AppendText(text.substr(0, lineFeed), state);
    if (lineFeed == std::u16string_view::npos)
      break;
    CloseRun();
    Inline lineBreak;
    lineBreak.kind = InlineKind::LineBreak;
    FContent.push_back(std::move(lineBreak));
    FAfterText = false;
    text.remove_prefix(lineFeed + 1);
  }
}

// Text joins the open run when marks and link agree; otherwise that run
// is done and a new one begins.
void ParagraphContent::AppendText(std::u16string_view text, const RunState& state) {
  if (text.empty())
    return;
  if (FRunOpen && (FRunState.marks != state.marks ||
                   (FRunState.link != state.link && FLinks[FRunState.link] != FLinks[state.link])))
    CloseRun();
  if (!FRunOpen) {
    FRunState = state;
    FRunOpen = true;
  }
  FRun += text;
  FAfterText = true;
}

// The open run becomes a piece of the content (its text copied at its
// size: the buffer stays for the next run).
void ParagraphContent::CloseRun() {
  if (!FRunOpen)
    return;
  Inline run;
  run.marks = FRunState.marks;
  run.text = FRun;
  run.target = FLinks[FRunState.link];
  FContent.push_back(std::move(run));
  FRun.clear();
  FRunOpen = false;
}

std::vector<Inline> ParagraphContent::Read(XmlNode& paragraph) {
  FStates.clear();
  FLinks.assign(1, std::u16string());
  FContent.clear();
  FRun.clear();
  FRunOpen = false;
  FAfterText = false;
  FStates.push_back(StateOf(paragraph, RunState()));
  if (!paragraph.VisitWholeText(*this)) {
    // An entity cut by a tag reads otherwise in pieces: the paragraph's
    // text as a whole, without its runs' marks.
    FContent.clear();
    FRun.clear();
    FRunOpen = false;
    Append(paragraph.WholeText(), FStates.front());
  }
  CloseRun();
  return std::move(FContent);
}

} // namespace scrivlet
