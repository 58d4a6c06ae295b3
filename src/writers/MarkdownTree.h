// The node tree the Markdown is rendered from, every node paid for from the
// output budget before it is made: the Markdown library aborts the process
// when an allocation fails, so it is only ever given what the budget
// allowed.  The tree is rendered a few top-level blocks at a time, their
// nodes freed and their text kept, so that a long document never holds the
// tree of all its blocks at once.
#pragma once

#include "writers/OutputBudget.h"

#include <cmark-gfm.h>

#include <cstdint>
#include <memory>
#include <string>

namespace scrivlet {

class MarkdownTree {
public:
  // What a node costs besides the text it holds: about the memory it
  // takes, in characters of the output it stands for.
  static constexpr uint64_t kNodeCharacters = 32;

  explicit MarkdownTree(OutputBudget& budget);
  MarkdownTree(const MarkdownTree&) = delete;
  MarkdownTree& operator=(const MarkdownTree&) = delete;

  cmark_node* Root() const { return FRoot.get(); }

  // A node of that type (of that extension, when given), paid for.
  cmark_node* New(cmark_node_type type, cmark_syntax_extension* extension = nullptr);
  // A text, code or HTML node holding literal.
  cmark_node* NewLiteral(cmark_node_type type, const std::string& literal);
  // A link to url.
  cmark_node* NewLink(const std::string& url);

  // Renders the top-level blocks that nothing will be added to any more:
  // all but the last (which an open list or quote may still grow), and
  // none that a list ends, whose rendering depends on the block after it.
  void RenderFinished();
  // The Markdown of the whole tree.
  std::string Finish();

private:
  struct NodeFree {
    void operator()(cmark_node* node) const { cmark_node_free(node); }
  };
  using NodeHandle = std::unique_ptr<cmark_node, NodeFree>;

  void Render(cmark_node* document);

  OutputBudget& FBudget;
  NodeHandle FRoot;
  std::string FOut; // what is rendered so far
  int FBlocksSinceRender = 0;
};

} // namespace scrivlet
