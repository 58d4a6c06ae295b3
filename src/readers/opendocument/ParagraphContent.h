// The content of an OpenDocument paragraph or heading: its whole text cut
// into runs, each with the marks of the text styles around it and the
// target of the link it is part of, line breaks as pieces of their own.
// A note stands as a reference where it was cited (its body is no part of
// the sentence), an annotation is left out: the walk over the body gives
// their blocks elsewhere.
#pragma once

#include "document/Document.h"
#include "xml/XmlParser.h"

#include <functional>
#include <string>
#include <vector>

namespace scrivlet {

class StructureStyles;

// Takes a note (text:note) out of its paragraph: keeps it among the
// document's notes and returns the reference that stands for it.
using NoteCitation = std::function<Inline(XmlNode& note)>;

// Reads paragraphs one after the other, reusing its buffers.
class ParagraphContent : private XmlNode::TextVisitor {
public:
  ParagraphContent(StructureStyles& styles, NoteCitation citeNote)
      : FStyles(styles), FCiteNote(std::move(citeNote)) {}

  std::vector<Inline> Read(XmlNode& paragraph);

private:
  // What holds for a run: the marks of the styles around it and the link
  // it is part of (an index into FLinks, 0 for none).
  struct RunState {
    Marks marks = 0;
    size_t link = 0;
  };

  bool Enter(XmlNode& element) override;
  void Text(std::u16string_view text) override;
  void Leave(XmlNode& element) override;
  RunState StateOf(const XmlNode& item, const RunState& outer);
  RunState Between(const RunState& before, const RunState& after) const;
  void Append(std::u16string_view text, const RunState& state);
  void AppendText(std::u16string_view text, const RunState& state);
  void CloseRun();

  StructureStyles& FStyles;
  NoteCitation FCiteNote;
  std::vector<RunState> FStates; // the paragraph's, then one per element open
  std::vector<std::u16string> FLinks;
  std::u16string FRun; // the text of the run being gathered
  RunState FRunState;
  bool FRunOpen = false;
  bool FAfterText = false; // the last piece was text of the open run
  std::vector<Inline> FContent;
};

} // namespace scrivlet
