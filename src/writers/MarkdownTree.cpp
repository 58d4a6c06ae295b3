#include "writers/MarkdownTree.h"

#include <cstring>

namespace scrivlet {
namespace {

// Blocks added between two renderings: few enough to keep the tree small,
// enough that the renderer's own set-up costs little.
constexpr int kBlocksPerRender = 64;

const char* LiteralOf(cmark_node* node) {
  if (cmark_node_get_type(node) == CMARK_NODE_LINK)
    return cmark_node_get_url(node);
  return cmark_node_get_literal(node);
}

// What a node and those below it were paid for.
uint64_t Cost(cmark_node* top) {
  uint64_t cost = 0;
  cmark_iter* iter = cmark_iter_new(top);
  for (cmark_event_type event; (event = cmark_iter_next(iter)) != CMARK_EVENT_DONE;) {
    if (event != CMARK_EVENT_ENTER)
      continue;
    cmark_node* node = cmark_iter_get_node(iter);
    const char* literal = LiteralOf(node);
    cost += MarkdownTree::kNodeCharacters + (literal != nullptr ? std::strlen(literal) : 0);
  }
  cmark_iter_free(iter);
  return cost;
}

} // namespace

MarkdownTree::MarkdownTree(OutputBudget& budget) : FBudget(budget) {
  FRoot.reset(New(CMARK_NODE_DOCUMENT));
}

cmark_node* MarkdownTree::New(cmark_node_type type, cmark_syntax_extension* extension) {
  FBudget.Spend(kNodeCharacters);
  return extension != nullptr ? cmark_node_new_with_ext(type, extension) : cmark_node_new(type);
}

cmark_node* MarkdownTree::NewLiteral(cmark_node_type type, const std::string& literal) {
  FBudget.Spend(literal.size());
  cmark_node* node = New(type);
  cmark_node_set_literal(node, literal.c_str());
  return node;
}

cmark_node* MarkdownTree::NewLink(const std::string& url) {
  FBudget.Spend(url.size());
  cmark_node* node = New(CMARK_NODE_LINK);
  cmark_node_set_url(node, url.c_str());
  return node;
}

void MarkdownTree::RenderFinished() {
  if (++FBlocksSinceRender < kBlocksPerRender)
    return;
  cmark_node* end = cmark_node_last_child(FRoot.get());
  for (int steps = 0; end != nullptr; ++steps) {
    cmark_node* previous = cmark_node_previous(end);
    if (previous == nullptr || steps == kBlocksPerRender)
      return; // nothing finished yet, or a long run of lists: later
    if (cmark_node_get_type(previous) != CMARK_NODE_LIST)
      break;
    end = previous;
  }
  FBlocksSinceRender = 0;
  NodeHandle finished(New(CMARK_NODE_DOCUMENT));
  for (cmark_node* node = cmark_node_first_child(FRoot.get()); node != end;
       node = cmark_node_first_child(FRoot.get())) {
    cmark_node_unlink(node);
    cmark_node_append_child(finished.get(), node);
  }
  Render(finished.get());
}

// The rendering of a document node, its nodes' cost given back and its
// text's spent; renderings join with the blank line that parts blocks.  The
// renderer ends what it writes with line breaks, also where blocks write
// nothing (an empty paragraph): such a rendering adds nothing.
void MarkdownTree::Render(cmark_node* document) {
  const uint64_t cost = Cost(document);
  char* rendered = cmark_render_commonmark(document, CMARK_OPT_DEFAULT, 0);
  size_t size = rendered != nullptr ? std::strlen(rendered) : 0;
  if (std::strspn(rendered != nullptr ? rendered : "", "\n") == size &&
      (!FOut.empty() || document != FRoot.get()))
    size = 0;
  FBudget.Refund(cost);
  try {
    FBudget.Spend(size + 1);
  } catch (...) {
    cmark_get_default_mem_allocator()->free(rendered);
    throw;
  }
  if (!FOut.empty() && size > 0)
    FOut += '\n';
  FOut.append(rendered != nullptr ? rendered : "", size);
  cmark_get_default_mem_allocator()->free(rendered);
}

std::string MarkdownTree::Finish() {
  if (FOut.empty() || cmark_node_first_child(FRoot.get()) != nullptr)
    Render(FRoot.get());
  FRoot.reset();
  return std::move(FOut);
}

} // namespace scrivlet
