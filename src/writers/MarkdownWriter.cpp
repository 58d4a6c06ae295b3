#include "writers/MarkdownWriter.h"

#include "core/BidiIsolation.h"
#include "core/DateTime.h"
#include "core/Utf8.h"
#include "document/BlockWalk.h"
#include "document/StructuredBlocks.h"
#include "writers/InlineRuns.h"
#include "writers/MarkdownTree.h"
#include "writers/NoteNumbers.h"
#include "writers/TextBudget.h"

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm-extension_api.h>
#include <cmark-gfm.h>

#include <algorithm>
#include <cstdio>
#include <memory>

// The node types of the table and strikethrough extensions: the library
// exports them, its installed headers do not declare them.
extern "C" {
extern cmark_node_type CMARK_NODE_TABLE;
extern cmark_node_type CMARK_NODE_TABLE_ROW;
extern cmark_node_type CMARK_NODE_TABLE_CELL;
extern cmark_node_type CMARK_NODE_STRIKETHROUGH;
}

namespace scrivlet {
namespace {

// The extensions, registered once for every thread: registering is not
// safe to run twice at the same time.
struct Extensions {
  cmark_syntax_extension* table = nullptr;
  cmark_syntax_extension* strikethrough = nullptr;
};

const Extensions& LoadedExtensions() {
  static const Extensions extensions = [] {
    cmark_gfm_core_extensions_ensure_registered();
    Extensions found;
    found.table = cmark_find_syntax_extension("table");
    found.strikethrough = cmark_find_syntax_extension("strikethrough");
    return found;
  }();
  return extensions;
}

// Appends child to parent; returns the child (freed and nullptr when the
// parent cannot hold it).
cmark_node* Append(cmark_node* parent, cmark_node* child) {
  if (cmark_node_append_child(parent, child))
    return child;
  cmark_node_free(child);
  return nullptr;
}

bool IsWhiteSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == 0xA0 || c == 0x3000 || (c >= 0x2000 && c <= 0x200A);
}

bool IsPunctuation(char16_t c) {
  return (c >= u'!' && c <= u'/') || (c >= u':' && c <= u'@') || (c >= u'[' && c <= u'`') ||
         (c >= u'{' && c <= u'~') || (c >= 0x2010 && c <= 0x205E) || c == 0xAB || c == 0xBB ||
         (c >= 0x3001 && c <= 0x3003) || (c >= 0x300C && c <= 0x3011);
}

// Whether a delimiter run may stand between these two characters (0: the
// line's edge): next to punctuation on its inner side, emphasis opens or
// closes only with white space or punctuation on its outer side.
bool Flanks(char16_t outer, char16_t inner) {
  return !IsPunctuation(inner) || outer == 0 || IsWhiteSpace(outer) || IsPunctuation(outer);
}

constexpr Marks kDelimitedMarks = kBold | kItalic | kStrike;

// Where a run of text stands: its line breaks and the mark-up it may use
// depend on it.
enum class InlinePlace { Paragraph, Heading, Cell };

// Writes a block's runs as inline nodes under one parent: the link and the
// emphasis open as nodes that later runs with the same marks go on
// filling.
class InlineWriter {
public:
  // Inside a note, references to notes are written as their label in
  // brackets: notes that refer to each other would otherwise send some
  // readers (pandoc among them) round the cycle for ever.
  InlineWriter(MarkdownTree& tree, cmark_node* parent, InlinePlace place, bool referencesAsText)
      : FTree(tree), FParent(parent), FPlace(place), FReferencesAsText(referencesAsText) {}

  void Write(const std::vector<InlineRun>& runs) {
    for (size_t i = 0; i < runs.size(); ++i) {
      const InlineRun& run = runs[i];
      if (run.kind == InlineRun::Kind::Break)
        WriteBreak();
      else if (run.kind == InlineRun::Kind::NoteReference)
        WriteNoteReference(run);
      else
        WriteText(run, i + 1 < runs.size() ? NextCharacter(runs[i + 1]) : 0);
    }
  }

private:
  // One open link or emphasis node.
  struct Open {
    Marks mark = 0; // 0: the link
    std::u16string target;
    cmark_node* node = nullptr;
  };

  static char16_t NextCharacter(const InlineRun& run) {
    return run.kind == InlineRun::Kind::Text && !run.text.empty() ? run.text.front() : 0;
  }

  // Whether text with this target goes on in the link that is open.
  bool WithinOpenLink(const std::u16string& target) const {
    return !FOpen.empty() && FOpen.front().mark == 0 && FOpen.front().target == target;
  }

  cmark_node* Container() const { return FOpen.empty() ? FParent : FOpen.back().node; }

  // The link and emphasis in force, outermost first.
  static std::vector<Open> Wanted(Marks marks, const std::u16string& target) {
    std::vector<Open> wanted;
    if (!target.empty() && IsWebLink(target))
      wanted.push_back({0, target, nullptr});
    for (Marks mark : {Marks{kBold}, Marks{kItalic}, Marks{kStrike}})
      if ((marks & mark) != 0)
        wanted.push_back({mark, {}, nullptr});
    return wanted;
  }

  // Closes what the text does not carry, opens what it carries besides.
  void Enter(Marks marks, const std::u16string& target) {
    std::vector<Open> wanted = Wanted(marks, target);
    size_t kept = 0;
    while (kept < FOpen.size() && kept < wanted.size() && FOpen[kept].mark == wanted[kept].mark &&
           FOpen[kept].target == wanted[kept].target)
      ++kept;
    FOpen.resize(kept);
    for (size_t i = kept; i < wanted.size(); ++i) {
      cmark_node* node = nullptr;
      if (wanted[i].mark == 0) {
        node = FTree.NewLink(WideToUtf8(wanted[i].target));
      } else if (wanted[i].mark == kStrike) {
        node = FTree.New(CMARK_NODE_STRIKETHROUGH, LoadedExtensions().strikethrough);
      } else {
        node = FTree.New(wanted[i].mark == kBold ? CMARK_NODE_STRONG : CMARK_NODE_EMPH);
      }
      wanted[i].node = Append(Container(), node);
      if (wanted[i].node == nullptr)
        break;
      FOpen.push_back(std::move(wanted[i]));
    }
  }

  // Text for the renderer to escape, but for what it leaves as it is: "|",
  // which the table extension reads anywhere, and "&#", which starts a
  // character reference.  Those are written escaped here.
  void AppendText(std::u16string_view text) {
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
      const bool pipe = text[i] == u'|';
      if (!pipe && !(text[i] == u'&' && i + 1 < text.size() && text[i + 1] == u'#'))
        continue;
      if (i > start)
        Append(Container(),
               FTree.NewLiteral(CMARK_NODE_TEXT, WideToUtf8(text.substr(start, i - start))));
      AppendHtml(pipe ? "\\|" : "\\&");
      start = i + 1;
    }
    if (start < text.size())
      Append(Container(), FTree.NewLiteral(CMARK_NODE_TEXT, WideToUtf8(text.substr(start))));
  }

  void AppendHtml(const char* html) {
    Append(Container(), FTree.NewLiteral(CMARK_NODE_HTML_INLINE, html));
  }

  // Text with its code, superscript and subscript marks.
  void AppendMarked(std::u16string_view text, Marks marks) {
    // A note reference at a line's start followed by a colon would read as
    // a note's definition.
    if (FAfterStartingReference && !text.empty() && text.front() == u':') {
      AppendHtml("&#58;");
      text.remove_prefix(1);
    }
    FAfterStartingReference = false;
    if (text.empty())
      return;
    const char* close = nullptr;
    if ((marks & kSuperscript) != 0) {
      AppendHtml("<sup>");
      close = "</sup>";
    } else if ((marks & kSubscript) != 0) {
      AppendHtml("<sub>");
      close = "</sub>";
    }
    // A code span in a table cell keeps "|" literal, which would split the
    // cell: such code is written as text.
    bool code = (marks & kCode) != 0 &&
                !(FPlace == InlinePlace::Cell && text.find(u'|') != std::u16string_view::npos);
    if (code)
      Append(Container(), FTree.NewLiteral(CMARK_NODE_CODE, WideToUtf8(text)));
    else
      AppendText(text);
    if (close != nullptr)
      AppendHtml(close);
    FLast = text.back();
    FLineStart = false;
    FLinkOpen = !FOpen.empty() && FOpen.front().mark == 0;
  }

  void WriteText(const InlineRun& run, char16_t next) {
    std::u16string_view text = run.text;
    // White space at a line's start would read as indentation.
    if (FLineStart)
      while (!text.empty() && IsWhiteSpace(text.front()))
        text.remove_prefix(1);
    size_t begin = 0, end = text.size();
    while (begin < end && IsWhiteSpace(text[begin]))
      ++begin;
    while (end > begin && IsWhiteSpace(text[end - 1]))
      --end;
    if (begin == end) {
      if (!text.empty()) { // white space alone takes no marks
        Enter(0, run.target);
        AppendMarked(text, 0);
      }
      return;
    }
    // Emphasis holds no white space at its edges, and none where its
    // delimiters would not be read as such: there the text goes plain.
    Marks outer = run.marks & ~kDelimitedMarks;
    if (begin > 0) {
      Enter(outer, run.target);
      AppendMarked(text.substr(0, begin), run.marks);
    }
    std::u16string_view core = text.substr(begin, end - begin);
    char16_t after = end < text.size() ? text[end] : next;
    // Right after a link's ")", some readers (pandoc) take no emphasis.
    const bool afterLink = begin == 0 && FLinkOpen && !WithinOpenLink(run.target);
    bool flanked = !afterLink && Flanks(FLast, core.front()) && Flanks(after, core.back());
    Enter(flanked ? run.marks : outer, run.target);
    AppendMarked(core, run.marks);
    if (end < text.size()) {
      Enter(outer, run.target);
      AppendMarked(text.substr(end), run.marks);
    }
  }

  // Emphasis closes before a break and opens again after it: a delimiter
  // run next to a line's end or to "<br>" would not be read as one.
  void WriteBreak() {
    CloseEmphasis();
    switch (FPlace) {
    case InlinePlace::Heading:
      AppendText(u" ");
      FLast = u' ';
      return;
    case InlinePlace::Cell:
      // A blank after the break keeps the words apart for a reader that
      // drops the HTML ("not applicable<br>arrangements" read as one word).
      AppendHtml("<br>");
      AppendText(u" ");
      FLast = u' ';
      FLineStart = false;
      return;
    case InlinePlace::Paragraph: Append(Container(), FTree.New(CMARK_NODE_LINEBREAK)); break;
    }
    FLast = 0;
    FLineStart = true;
  }

  // Closes the open emphasis; a link stays open.
  void CloseEmphasis() { FOpen.resize(!FOpen.empty() && FOpen.front().mark == 0 ? 1 : 0); }

  void WriteNoteReference(const InlineRun& run) {
    // No such note, or a note in a note: the source's label as text.
    if (run.note == 0 || FReferencesAsText) {
      Enter(0, {});
      AppendMarked(u"[" + run.text + u"]", 0);
      return;
    }
    // Outside any link: a reference is a link of its own.
    if (!FOpen.empty() && FOpen.front().mark == 0)
      FOpen.clear();
    std::string reference = "[^" + std::to_string(run.note) + "]";
    AppendHtml(reference.c_str());
    FAfterStartingReference = FLineStart;
    FLast = u']';
    FLineStart = false;
  }

  MarkdownTree& FTree;
  cmark_node* FParent;
  InlinePlace FPlace;
  bool FReferencesAsText;
  std::vector<Open> FOpen;
  char16_t FLast = 0; // the last character written, 0 at a line's start
  bool FLineStart = true;
  bool FAfterStartingReference = false;
  bool FLinkOpen = false; // the last text written was a link's
};

// The blocks of a story as a node tree under a document node.  List items
// come as blocks with their level; the open lists are a stack, as deep as
// the items' levels.
class TreeBuilder {
public:
  // referenced, when given, learns which notes (note n at n - 1) the text
  // refers to.
  TreeBuilder(MarkdownTree& tree, const NoteNumbers& notes, TextBudget& budget,
              std::vector<bool>* referenced, bool inNote)
      : FTree(tree), FRoot(tree.Root()), FNotes(notes), FBudget(budget), FReferenced(referenced),
        FInNote(inNote) {}

  void Add(const Block& block) {
    if (block.kind != BlockKind::ListItem)
      FLists.clear();
    if (block.kind != BlockKind::Preformatted)
      FlushCode();
    if (block.kind != BlockKind::Quote)
      FQuote = nullptr;
    switch (block.kind) {
    case BlockKind::Heading: AddHeading(block); break;
    case BlockKind::ListItem: AddListItem(block); break;
    case BlockKind::Quote: AddQuote(block); break;
    case BlockKind::Preformatted: AddCodeLine(block.VisibleText()); break;
    case BlockKind::Table: AddTable(block); break;
    case BlockKind::PageBreak:
    case BlockKind::SlideBreak: Append(FRoot, FTree.New(CMARK_NODE_THEMATIC_BREAK)); break;
    case BlockKind::Picture: break;
    default: AddParagraph(FRoot, block); break;
    }
  }

  // A code block of its own (the macro listings).
  void AddCode(const std::u16string& text) {
    FlushCode();
    AddCodeLine(text);
    FlushCode();
  }

  void Finish() { FlushCode(); }

private:
  struct OpenList {
    cmark_node* list = nullptr;
    cmark_node* item = nullptr;
    bool ordered = false;
    int32_t next = 1; // the number the next item gets
  };

  std::vector<InlineRun> Runs(const Block& block) {
    std::vector<InlineRun> runs = InlineRuns(block, FNotes, FBudget);
    if (FReferenced != nullptr)
      for (const InlineRun& run : runs)
        if (run.kind == InlineRun::Kind::NoteReference && run.note != 0 &&
            run.note <= FReferenced->size())
          (*FReferenced)[run.note - 1] = true;
    return runs;
  }

  void AddParagraph(cmark_node* parent, const Block& block) {
    std::vector<InlineRun> runs = Runs(block);
    if (runs.empty())
      return;
    cmark_node* paragraph = Append(parent, FTree.New(CMARK_NODE_PARAGRAPH));
    if (paragraph != nullptr)
      InlineWriter(FTree, paragraph, InlinePlace::Paragraph, FInNote).Write(runs);
  }

  void AddHeading(const Block& block) {
    std::vector<InlineRun> runs = Runs(block);
    if (runs.empty())
      return;
    cmark_node* heading = Append(FRoot, FTree.New(CMARK_NODE_HEADING));
    if (heading == nullptr)
      return;
    cmark_node_set_heading_level(heading, std::clamp<int>(block.level, 1, 6));
    InlineWriter(FTree, heading, InlinePlace::Heading, FInNote).Write(runs);
  }

  void AddQuote(const Block& block) {
    if (FQuote == nullptr)
      FQuote = Append(FRoot, FTree.New(CMARK_NODE_BLOCK_QUOTE));
    if (FQuote != nullptr)
      AddParagraph(FQuote, block);
  }

  void AddCodeLine(std::u16string line) {
    std::u16string text = FBudget.Take(std::move(line));
    for (char16_t& c : text)
      if (c == u'\r' || c == 0)
        c = c == 0 ? 0xFFFD : u'\n';
    FCode += WideToUtf8(text);
    FCode += '\n';
    FCodeOpen = true;
  }

  void FlushCode() {
    if (!FCodeOpen)
      return;
    cmark_node* code = FTree.NewLiteral(CMARK_NODE_CODE_BLOCK, FCode);
    cmark_node_set_fenced(code, 1, 3, 0, '`');
    Append(FRoot, code);
    FCode.clear();
    FCodeOpen = false;
  }

  cmark_node* NewList(cmark_node* parent, bool ordered, int32_t start) {
    cmark_node* list = Append(parent, FTree.New(CMARK_NODE_LIST));
    if (list == nullptr)
      return nullptr;
    cmark_node_set_list_type(list, ordered ? CMARK_ORDERED_LIST : CMARK_BULLET_LIST);
    cmark_node_set_list_delim(list, CMARK_PERIOD_DELIM);
    cmark_node_set_list_start(list, start);
    cmark_node_set_list_tight(list, 1);
    return list;
  }

  void NewItem(OpenList& list) {
    list.item = Append(list.list, FTree.New(CMARK_NODE_ITEM));
    ++list.next;
  }

  void AddListItem(const Block& block) {
    const size_t level = std::clamp<size_t>(block.level, 1, kMaxStructureDepth);
    // Markdown numbers an ordered list's items from its start on: a number
    // that does not follow starts a new list.
    const int32_t number = std::clamp<int32_t>(block.value, 0, 999999999);
    while (FLists.size() > level)
      FLists.pop_back();
    if (FLists.size() == level && (FLists.back().ordered != block.ordered ||
                                   (block.ordered && number > 0 && number != FLists.back().next)))
      FLists.pop_back();
    while (FLists.size() < level) {
      cmark_node* parent = FRoot;
      if (!FLists.empty()) {
        if (FLists.back().item == nullptr)
          NewItem(FLists.back());
        parent = FLists.back().item;
      }
      // A list opened only to reach a deeper level starts at 1.
      OpenList list;
      list.ordered = block.ordered;
      list.next = number > 0 && FLists.size() + 1 == level ? number : 1;
      list.list = parent != nullptr ? NewList(parent, list.ordered, list.next) : nullptr;
      if (list.list == nullptr)
        return;
      FLists.push_back(list);
    }
    NewItem(FLists.back());
    if (FLists.back().item != nullptr)
      AddParagraph(FLists.back().item, block);
  }

  // Pipe tables: the first row is the header; a merged cell is followed
  // by empty cells for the columns it spans.  The header row is filled to
  // the widest row, which gives the table its columns; the other rows hold
  // their own cells only (a reader fills a shorter row), so that one wide
  // row does not widen every other.
  void AddTable(const Block& table) {
    size_t columns = 1;
    for (const TableRow& row : table.rows) {
      size_t width = 0;
      for (const TableCell& cell : row.cells)
        width += std::max<size_t>(cell.columnSpan, 1);
      columns = std::max(columns, width);
    }
    if (table.rows.empty() || FBudget.Spent())
      return;
    columns = std::min<size_t>(columns, UINT16_MAX);
    const Extensions& extensions = LoadedExtensions();
    cmark_node* node = Append(FRoot, FTree.New(CMARK_NODE_TABLE, extensions.table));
    if (node == nullptr)
      return;
    std::vector<uint8_t> alignments(columns, 0);
    cmark_gfm_extensions_set_table_columns(node, static_cast<uint16_t>(columns));
    cmark_gfm_extensions_set_table_alignments(node, static_cast<uint16_t>(columns),
                                              alignments.data());
    for (size_t r = 0; r < table.rows.size(); ++r) {
      cmark_node* row = Append(node, FTree.New(CMARK_NODE_TABLE_ROW, extensions.table));
      if (row == nullptr)
        return;
      if (r == 0)
        cmark_gfm_extensions_set_table_row_is_header(row, 1);
      size_t filled = 0;
      for (const TableCell& cell : table.rows[r].cells) {
        for (size_t span = 0; span < std::max<size_t>(cell.columnSpan, 1) && filled < columns;
             ++span, ++filled) {
          cmark_node* node = Append(row, NewTableCell(extensions.table));
          if (node != nullptr && span == 0)
            AddCellContent(node, cell);
        }
      }
      // A row holds one cell at least: "|" alone is no row.
      for (const size_t width = r == 0 ? columns : 1; filled < width; ++filled)
        Append(row, NewTableCell(extensions.table));
    }
  }

  // A cell node of the table extension.  The extension gives a cell made
  // with it a parser's record that its free function never releases (this
  // version of the library leaks it), and writing a cell never reads that
  // record: the cell is made plain and then given the extension.
  cmark_node* NewTableCell(cmark_syntax_extension* table) {
    cmark_node* cell = FTree.New(CMARK_NODE_TABLE_CELL);
    if (cell != nullptr)
      cmark_node_set_syntax_extension(cell, table);
    return cell;
  }

  // A cell's blocks on one line, parted by <br>; a table inside the cell
  // is its cells' text (an explicit stack: tables nest as deep as a file
  // makes them).
  void AddCellContent(cmark_node* node, const TableCell& cell) {
    InlineWriter writer(FTree, node, InlinePlace::Cell, FInNote);
    bool first = true;
    VisitBlocksInReadingOrder(cell.blocks, [&](const Block& block) {
      std::vector<InlineRun> runs = Runs(block);
      if (runs.empty())
        return;
      if (!first)
        runs.insert(runs.begin(), InlineRun{InlineRun::Kind::Break, 0, {}, {}, 0});
      first = false;
      writer.Write(runs);
    });
  }

  MarkdownTree& FTree;
  cmark_node* FRoot;
  const NoteNumbers& FNotes;
  TextBudget& FBudget;
  std::vector<bool>* FReferenced;
  bool FInNote;
  std::vector<OpenList> FLists;
  cmark_node* FQuote = nullptr;
  std::string FCode;
  bool FCodeOpen = false;
};

// Markdown of a sequence of structural blocks.
std::string BlocksMarkdown(const std::vector<Block>& blocks, const NoteNumbers& notes,
                           TextBudget& budget, OutputBudget& output,
                           const std::vector<const Story*>& macros = {},
                           std::vector<bool>* referenced = nullptr, bool inNote = false) {
  MarkdownTree tree(output);
  TreeBuilder builder(tree, notes, budget, referenced, inNote);
  for (const Block& block : blocks) {
    if (budget.Spent())
      break;
    builder.Add(block);
    tree.RenderFinished();
  }
  builder.Finish();
  for (const Story* story : macros) {
    std::u16string listing;
    for (const Block& block : story->blocks) {
      listing += block.VisibleText();
      listing += u'\n';
    }
    if (!listing.empty()) {
      listing.pop_back();
      builder.AddCode(listing);
    }
  }
  return tree.Finish();
}

// A note's definition: "[^n]: " before its first line, its other lines
// indented by four spaces.
std::string NoteDefinition(size_t number, const std::string& body) {
  std::string out = "[^" + std::to_string(number) + "]:";
  bool lineStart = false;
  if (!body.empty() && body.front() != '\n')
    out += ' ';
  for (char c : body) {
    if (lineStart && c != '\n')
      out += "    ";
    out += c;
    lineStart = c == '\n';
  }
  if (out.back() != '\n')
    out += '\n';
  return out;
}

// References to the notes the text does not refer to, as a paragraph of
// their own: a note's definition without a reference is no footnote to a
// Markdown reader, which leaves it out.
std::string UnreferencedNotes(const std::vector<bool>& referenced) {
  std::string references;
  for (size_t i = 0; i < referenced.size(); ++i)
    if (!referenced[i])
      references += (references.empty() ? "[^" : " [^") + std::to_string(i + 1) + "]";
  return references.empty() ? references : "\n" + references + "\n";
}

std::string NotesMarkdown(const NoteNumbers& notes, TextBudget& budget, OutputBudget& output) {
  std::string out;
  for (size_t i = 0; i < notes.Notes().size() && !budget.Spent(); ++i) {
    Story story;
    story.blocks = notes.Notes()[i]->blocks;
    std::string body =
        BlocksMarkdown(StructuredBlocks(story), notes, budget, output, {}, nullptr, true);
    out += '\n';
    out += NoteDefinition(i + 1, body);
  }
  return out;
}

// A YAML double-quoted string: the quote, the backslash, control
// characters and the line breaks YAML knows are escaped, and so are the
// bidirectional formatting characters, which would otherwise turn the
// front matter round where it is shown as text.
std::string YamlString(std::u16string_view text) {
  std::string out = "\"";
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    char escape[12];
    switch (c) {
    case u'"': out += "\\\""; continue;
    case u'\\': out += "\\\\"; continue;
    case u'\n': out += "\\n"; continue;
    case u'\r': out += "\\r"; continue;
    case u'\t': out += "\\t"; continue;
    case 0x85: out += "\\N"; continue;
    case 0x2028: out += "\\L"; continue;
    case 0x2029: out += "\\P"; continue;
    default: break;
    }
    if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0) || c == 0xFEFF ||
        HasBidiControls(std::u16string_view(&c, 1))) {
      std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
      out += escape;
      continue;
    }
    size_t run = 1;
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF)
      run = 2;
    out += WideToUtf8(text.substr(i, run)); // a lone surrogate becomes U+FFFD
    i += run - 1;
  }
  return out + "\"";
}

std::string YamlDate(OleDate date) {
  DateTimeFields fields = DecodeDateTime(date);
  if (date == 0 || fields.year < 1 || fields.year > 9999)
    return {};
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "\"%04d-%02d-%02dT%02d:%02d:%02d\"", fields.year,
                fields.month, fields.day, fields.hour, fields.minute, fields.second);
  return buffer;
}

std::string FrontMatter(const DocumentSummary& summary) {
  std::string fields;
  // A title or author with bidirectional controls is isolated, as a page
  // made from the front matter must show it.
  if (!summary.Title.empty())
    fields += "title: " + YamlString(IsolatedBidiText(summary.Title)) + "\n";
  if (!summary.Author.empty())
    fields += "author: " + YamlString(IsolatedBidiText(summary.Author)) + "\n";
  if (std::string date = YamlDate(summary.Created); !date.empty())
    fields += "created: " + date + "\n";
  if (std::string date = YamlDate(summary.LastSaved); !date.empty())
    fields += "modified: " + date + "\n";
  return fields.empty() ? std::string() : "---\n" + fields + "---\n\n";
}

} // namespace

std::string MarkdownDocument(const Document& document, const MarkdownOptions& options) {
  std::string out;
  if (options.summary && document.hasSummary)
    out = FrontMatter(document.summary);
  if (document.stories.empty())
    return out;
  NoteNumbers notes(document, options.notes);
  TextBudget budget(options.maxTextLength);
  OutputBudget output(options.outputCharacters);
  std::vector<const Story*> macros;
  if (options.macros)
    for (const Story& story : document.stories)
      if (story.kind == StoryKind::Macros)
        macros.push_back(&story);
  std::vector<bool> referenced(notes.Notes().size(), false);
  out +=
      BlocksMarkdown(StructuredBlocks(document.Main()), notes, budget, output, macros, &referenced);
  if (!budget.Spent())
    out += UnreferencedNotes(referenced);
  out += NotesMarkdown(notes, budget, output);
  return out;
}

} // namespace scrivlet
