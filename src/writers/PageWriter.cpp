#include "writers/PageWriter.h"

#include "core/BidiIsolation.h"
#include "core/DateTime.h"
#include "core/Utf8.h"
#include "document/StructuredBlocks.h"
#include "writers/InlineRuns.h"
#include "writers/NoteNumbers.h"
#include "writers/PageStyle.h"
#include "writers/TextBudget.h"

#include <algorithm>
#include <cstdio>

namespace scrivlet {
namespace {

bool AllowedInHtml(uint32_t c) {
  if (c < 0x20)
    return c == u'\t' || c == u'\n' || c == u'\r';
  return !(c >= 0x7F && c <= 0x9F) && c != 0xFFFE && c != 0xFFFF;
}

bool IsWhiteSpace(std::u16string_view text) {
  for (char16_t c : text)
    if (c != u' ' && c != u'\t' && c != 0xA0)
      return false;
  return true;
}

void AppendText(std::string& out, std::u16string_view text) {
  AppendHtmlText(out, text);
}

// A title, an author or a file name among the page's own words: when it
// holds bidirectional controls, balanced and isolated in a <bdi>, so that
// none reorders what follows it.
void AppendIsolatedText(std::string& out, std::u16string_view text) {
  if (!HasBidiControls(text))
    return AppendText(out, text);
  out += "<bdi>";
  AppendText(out, BalancedBidiText(text));
  out += "</bdi>";
}

// Mark-up given by the site, one line end after it.
void AppendSiteMarkup(std::string& out, const std::string& markup) {
  if (markup.empty())
    return;
  out += markup;
  if (out.back() != '\n')
    out += '\n';
}

void AppendNumber(std::string& out, size_t number) {
  out += std::to_string(number);
}

// A link target as an attribute value: what a URL may not hold (spaces,
// quotes, angle brackets, characters beyond ASCII) percent-encoded as the
// bytes of its UTF-8.
std::string LinkAddress(std::u16string_view target) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : WideToUtf8(target)) {
    if (c <= 0x20 || c >= 0x7F || c == '"' || c == '<' || c == '>' || c == '\\' || c == '^' ||
        c == '`' || c == '{' || c == '|' || c == '}') {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else if (c == '&') {
      out += "&amp;";
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

// The elements a run's marks open, outermost first, after its link.
struct MarkElement {
  Marks mark;
  const char* name;
};
constexpr MarkElement kMarkElements[] = {
    {kBold, "strong"},     {kItalic, "em"},     {kUnderline, "u"}, {kStrike, "s"},
    {kSuperscript, "sup"}, {kSubscript, "sub"}, {kCode, "code"}};

// Writes runs of inline content: the elements of a run's link and marks
// stay open for the runs after it that keep them.
class InlineHtml {
public:
  InlineHtml(std::string& out, std::vector<bool>& referenced)
      : FOut(out), FReferenced(referenced) {}
  ~InlineHtml() { CloseTo(0); }

  void Write(const std::vector<InlineRun>& runs) {
    for (const InlineRun& run : runs) {
      switch (run.kind) {
      case InlineRun::Kind::Text:
        // White space alone takes no marks (an empty-looking element).
        Enter(IsWhiteSpace(run.text) ? 0 : run.marks, run.target);
        AppendText(FOut, run.text);
        break;
      case InlineRun::Kind::Break: FOut += "<br>"; break;
      case InlineRun::Kind::NoteReference: WriteNoteReference(run); break;
      }
    }
  }

private:
  struct Open {
    Marks mark = 0; // 0: the link
    std::u16string target;
    const char* name = "a";
  };

  void CloseTo(size_t kept) {
    while (FOpen.size() > kept) {
      FOut += "</";
      FOut += FOpen.back().name;
      FOut += '>';
      FOpen.pop_back();
    }
  }

  void Enter(Marks marks, const std::u16string& target) {
    std::vector<Open> wanted;
    if (!target.empty() && IsWebLink(target))
      wanted.push_back({0, target, "a"});
    for (const MarkElement& element : kMarkElements)
      if ((marks & element.mark) != 0)
        wanted.push_back({element.mark, {}, element.name});
    size_t kept = 0;
    while (kept < FOpen.size() && kept < wanted.size() && FOpen[kept].mark == wanted[kept].mark &&
           FOpen[kept].target == wanted[kept].target)
      ++kept;
    CloseTo(kept);
    for (size_t i = kept; i < wanted.size(); ++i) {
      if (wanted[i].mark == 0) {
        FOut += "<a href=\"" + LinkAddress(wanted[i].target) + "\">";
      } else {
        FOut += '<';
        FOut += wanted[i].name;
        FOut += '>';
      }
      FOpen.push_back(std::move(wanted[i]));
    }
  }

  // A numbered superscript link to the note; the first reference to a
  // note is where the note's link back leads.
  void WriteNoteReference(const InlineRun& run) {
    if (run.note == 0 || run.note > FReferenced.size()) {
      Enter(0, {});
      AppendText(FOut, u"[" + run.text + u"]");
      return;
    }
    if (!FOpen.empty() && FOpen.front().mark == 0)
      CloseTo(0); // a link holds no other link
    FOut += "<sup class=\"ref\"><a";
    if (!FReferenced[run.note - 1]) {
      FReferenced[run.note - 1] = true;
      FOut += " id=\"ref-";
      AppendNumber(FOut, run.note);
      FOut += '"';
    }
    FOut += " href=\"#note-";
    AppendNumber(FOut, run.note);
    FOut += "\">";
    AppendNumber(FOut, run.note);
    FOut += "</a></sup>";
  }

  std::string& FOut;
  std::vector<bool>& FReferenced;
  std::vector<Open> FOpen;
};

// The open lists of one sequence of blocks: a list item comes as a block
// with its level, and the lists open and close around it.
class ListNesting {
public:
  // Opens the item's <li> (its content follows; it stays open for a
  // deeper list).
  void StartItem(std::string& out, const Block& item) {
    const size_t level = std::clamp<size_t>(item.level, 1, kMaxStructureDepth);
    const int32_t number = std::max<int32_t>(item.value, 0);
    while (FOpen.size() > level)
      CloseOne(out);
    if (FOpen.size() == level && FOpen.back().ordered != item.ordered)
      CloseOne(out);
    while (FOpen.size() < level) {
      if (!FOpen.empty() && !FOpen.back().itemOpen) {
        out += "<li>";
        FOpen.back().itemOpen = true;
      }
      // A list opened only to reach a deeper level starts at 1.
      OpenList list;
      list.ordered = item.ordered;
      list.next = number > 0 && FOpen.size() + 1 == level ? number : 1;
      if (!list.ordered) {
        out += "<ul>";
      } else if (list.next != 1) {
        out += "<ol start=\"" + std::to_string(list.next) + "\">";
      } else {
        out += "<ol>";
      }
      FOpen.push_back(list);
    }
    OpenList& list = FOpen.back();
    if (list.itemOpen)
      out += "</li>";
    if (list.ordered && number > 0 && number != list.next) {
      out += "<li value=\"" + std::to_string(number) + "\">";
      list.next = number;
    } else {
      out += "<li>";
    }
    ++list.next;
    list.itemOpen = true;
  }

  void CloseAll(std::string& out) {
    while (!FOpen.empty())
      CloseOne(out);
  }

private:
  struct OpenList {
    bool ordered = false;
    bool itemOpen = false;
    int32_t next = 1;
  };

  void CloseOne(std::string& out) {
    if (FOpen.back().itemOpen)
      out += "</li>";
    out += FOpen.back().ordered ? "</ol>" : "</ul>";
    FOpen.pop_back();
    if (FOpen.empty())
      out += '\n';
  }

  std::vector<OpenList> FOpen;
};

// A sequence of blocks being written, or a table being written row by row.
// Tables hold blocks that hold tables as deep as a file makes them: the
// frames are an explicit stack.
struct Frame {
  const std::vector<Block>* blocks = nullptr;
  size_t next = 0;
  const char* closing = ""; // written when the sequence ends (a cell's end tag)
  ListNesting lists;
  BlockKind grouped = BlockKind::Paragraph; // an open <blockquote> or <pre>
  const Block* table = nullptr;
  size_t row = 0;
  size_t cell = 0;
};

class BlockHtml {
public:
  BlockHtml(std::string& out, const NoteNumbers& notes, TextBudget& budget,
            std::vector<bool>& referenced)
      : FOut(out), FNotes(notes), FBudget(budget), FReferenced(referenced) {}

  void Write(const std::vector<Block>& blocks) {
    std::vector<Frame> frames;
    frames.emplace_back().blocks = &blocks;
    while (!frames.empty()) {
      Frame& frame = frames.back();
      if (frame.table != nullptr)
        StepTable(frames);
      else if (frame.next < frame.blocks->size() && !FBudget.Spent())
        StepBlock(frames);
      else
        EndSequence(frames);
    }
  }

private:
  std::vector<InlineRun> Runs(const Block& block) { return InlineRuns(block, FNotes, FBudget); }

  void WriteRuns(const std::vector<InlineRun>& runs) { InlineHtml(FOut, FReferenced).Write(runs); }

  void CloseGroup(Frame& frame) {
    if (frame.grouped == BlockKind::Quote)
      FOut += "</blockquote>\n";
    else if (frame.grouped == BlockKind::Preformatted)
      FOut += "</pre>\n";
    frame.grouped = BlockKind::Paragraph;
  }

  void EndSequence(std::vector<Frame>& frames) {
    Frame& frame = frames.back();
    frame.lists.CloseAll(FOut);
    CloseGroup(frame);
    FOut += frame.closing;
    frames.pop_back();
  }

  void StepBlock(std::vector<Frame>& frames) {
    Frame& frame = frames.back();
    const Block& block = (*frame.blocks)[frame.next++];
    if (block.kind != BlockKind::ListItem)
      frame.lists.CloseAll(FOut);
    if (block.kind != frame.grouped)
      CloseGroup(frame);
    switch (block.kind) {
    case BlockKind::Heading: WriteHeading(block); break;
    case BlockKind::ListItem: WriteListItem(frame, block); break;
    case BlockKind::Quote: WriteQuote(frame, block); break;
    case BlockKind::Preformatted: WritePreformatted(frame, block); break;
    case BlockKind::PageBreak: WritePageBreak(block); break;
    case BlockKind::SlideBreak: WriteSlideBreak(block); break;
    case BlockKind::Picture: break;
    case BlockKind::Table:
      if (!block.rows.empty()) {
        FOut += "<table>\n";
        Frame& table = frames.emplace_back(); // frame is no longer valid
        table.table = &block;
      }
      break;
    default: WriteParagraph(block); break;
    }
  }

  // One step of a table: a row's start or end, or a cell, whose blocks
  // are a frame of their own.
  void StepTable(std::vector<Frame>& frames) {
    Frame& frame = frames.back();
    const Block& table = *frame.table;
    if (frame.row >= table.rows.size() || FBudget.Spent()) {
      FOut += "</table>\n";
      frames.pop_back();
      return;
    }
    const TableRow& row = table.rows[frame.row];
    if (frame.cell >= row.cells.size()) {
      if (!row.cells.empty())
        FOut += "</tr>\n";
      ++frame.row;
      frame.cell = 0;
      return;
    }
    if (frame.cell == 0)
      FOut += "<tr>";
    const TableCell& cell = row.cells[frame.cell++];
    FOut += cell.header ? "<th" : "<td";
    if (cell.columnSpan > 1)
      FOut += " colspan=\"" + std::to_string(cell.columnSpan) + "\"";
    FOut += '>';
    const char* closing = cell.header ? "</th>" : "</td>";
    // A cell of one paragraph holds its text as it is.
    if (cell.blocks.size() == 1 && cell.blocks[0].kind == BlockKind::Paragraph) {
      WriteRuns(Runs(cell.blocks[0]));
      FOut += closing;
      return;
    }
    Frame& content = frames.emplace_back(); // frame is no longer valid
    content.blocks = &cell.blocks;
    content.closing = closing;
  }

  void WriteParagraph(const Block& block) {
    std::vector<InlineRun> runs = Runs(block);
    if (runs.empty())
      return;
    FOut += "<p dir=\"auto\">";
    WriteRuns(runs);
    FOut += "</p>\n";
  }

  void WriteHeading(const Block& block) {
    std::vector<InlineRun> runs = Runs(block);
    if (runs.empty())
      return;
    const char level = static_cast<char>('0' + std::clamp<int>(block.level, 1, 6));
    FOut += "<h";
    FOut += level;
    FOut += '>';
    WriteRuns(runs);
    FOut += "</h";
    FOut += level;
    FOut += ">\n";
  }

  void WriteListItem(Frame& frame, const Block& block) {
    std::vector<InlineRun> runs = Runs(block);
    if (runs.empty())
      return;
    frame.lists.StartItem(FOut, block);
    WriteRuns(runs);
  }

  void WriteQuote(Frame& frame, const Block& block) {
    std::vector<InlineRun> runs = Runs(block);
    if (runs.empty())
      return;
    if (frame.grouped != BlockKind::Quote)
      FOut += "<blockquote>";
    frame.grouped = BlockKind::Quote;
    FOut += "<p dir=\"auto\">";
    WriteRuns(runs);
    FOut += "</p>";
  }

  void WritePreformatted(Frame& frame, const Block& block) {
    if (frame.grouped == BlockKind::Preformatted)
      FOut += '\n';
    else
      FOut += "<pre>";
    frame.grouped = BlockKind::Preformatted;
    WriteRuns(Runs(block));
  }

  void WritePageBreak(const Block& block) {
    FOut += "<hr aria-label=\"";
    if (block.value > 0) {
      FOut += "Page ";
      FOut += std::to_string(block.value);
    } else {
      FOut += "Page break";
    }
    FOut += "\">\n";
  }

  void WriteSlideBreak(const Block& block) {
    FOut += "<hr aria-label=\"";
    AppendText(FOut, block.style.empty() ? u"Slide" : block.style);
    FOut += "\">\n";
  }

  std::string& FOut;
  const NoteNumbers& FNotes;
  TextBudget& FBudget;
  std::vector<bool>& FReferenced;
};

std::u16string Trimmed(std::u16string_view text) {
  size_t begin = 0, end = text.size();
  while (begin < end && (text[begin] == u' ' || text[begin] == u'\t' || text[begin] == u'\n'))
    ++begin;
  while (end > begin && (text[end - 1] == u' ' || text[end - 1] == u'\t' || text[end - 1] == u'\n'))
    --end;
  return std::u16string(text.substr(begin, end - begin));
}

// The language as the lang attribute takes it, or "" when it is no
// language tag (letters, then parts of letters and digits).
std::string LanguageTag(std::u16string_view language) {
  std::string tag;
  size_t part = 0;
  for (char16_t c : language) {
    bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    bool digit = c >= u'0' && c <= u'9';
    if (c == u'-' || c == u'_') {
      if (part == 0)
        return {};
      tag += '-';
      part = 0;
    } else if ((letter || (digit && tag.find('-') != std::string::npos)) && part < 8) {
      tag += static_cast<char>(c);
      ++part;
    } else {
      return {};
    }
  }
  return part == 0 || tag.size() > 35 ? std::string() : tag;
}

std::u16string DocumentTitle(const Document& document) {
  return document.hasSummary ? Trimmed(document.summary.Title) : std::u16string();
}

// The page's title: the document's, else the file's name.
std::u16string PageTitle(const Document& document, const PageOptions& options) {
  std::u16string title = DocumentTitle(document);
  if (!title.empty())
    return title;
  std::u16string_view name = options.fileName;
  size_t slash = name.find_last_of(u"/\\");
  if (slash != std::u16string_view::npos)
    name.remove_prefix(slash + 1);
  return name.empty() ? u"Document" : std::u16string(name);
}

void AppendDate(std::string& out, const char* label, OleDate date) {
  DateTimeFields fields = DecodeDateTime(date);
  if (date == 0 || fields.year < 1 || fields.year > 9999)
    return;
  char buffer[96];
  std::snprintf(
      buffer, sizeof buffer,
      "%s<time datetime=\"%04d-%02d-%02dT%02d:%02d:%02d\">%04d-%02d-%02d %02d:%02d</time>", label,
      fields.year, fields.month, fields.day, fields.hour, fields.minute, fields.second, fields.year,
      fields.month, fields.day, fields.hour, fields.minute);
  out += buffer;
}

// Author and dates, one small line.
void WriteSummaryLine(std::string& out, const DocumentSummary& summary) {
  std::string line;
  auto separate = [&line] {
    if (!line.empty())
      line += " · ";
  };
  if (!Trimmed(summary.Author).empty()) {
    line += "By ";
    AppendIsolatedText(line, Trimmed(summary.Author));
  }
  std::string created, modified;
  AppendDate(created, "Created ", summary.Created);
  AppendDate(modified, "Modified ", summary.LastSaved);
  for (const std::string* part : {&created, &modified}) {
    if (part->empty())
      continue;
    separate();
    line += *part;
  }
  if (!line.empty())
    out += "<p class=\"summary\">" + line + "</p>\n";
}

bool StartsWithHeading(const std::vector<Block>& blocks, const std::u16string& title) {
  return !blocks.empty() && blocks.front().kind == BlockKind::Heading &&
         Trimmed(blocks.front().VisibleText()) == title;
}

// Everything before the page's content: the prologue, the title, the
// stylesheet and the site's head mark-up.
void WritePageHead(std::string& out, const std::string& lang, std::u16string_view title,
                   const PageOptions& options) {
  // A page must name its language for speech and hyphenation; "und"
  // (undetermined) where the document records none.
  out += "<!DOCTYPE html>\n<html lang=\"" + (lang.empty() ? std::string("und") : lang) +
         "\">\n<head>\n<meta charset=\"utf-8\">\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
  // A title admits no mark-up: its text is isolated by characters.
  AppendText(out, IsolatedBidiText(title));
  out += "</title>\n<style>";
  out += kPageStyle;
  out += "</style>\n";
  AppendSiteMarkup(out, options.siteHead);
  out += "</head>\n<body>\n";
}

void WritePageEnd(std::string& out, const PageOptions& options) {
  AppendSiteMarkup(out, options.siteEnd);
  out += "</body>\n</html>\n";
}

class Page {
public:
  Page(const Document& document, const PageOptions& options)
      : FDocument(document), FOptions(options), FNotes(document, options.notes),
        FBudget(options.maxTextLength), FReferenced(FNotes.Notes().size(), false) {}

  std::string Write() {
    WriteHead();
    if (FOptions.headers)
      WriteStories(StoryKind::Headers, "<header class=\"document-header\">\n", "</header>\n");
    FOut += "<main>\n";
    std::vector<Block> blocks;
    if (!FDocument.stories.empty())
      blocks = StructuredBlocks(FDocument.Main());
    std::u16string title = DocumentTitle(FDocument);
    if (!title.empty() && !StartsWithHeading(blocks, title)) {
      FOut += "<h1>";
      AppendIsolatedText(FOut, title);
      FOut += "</h1>\n";
    }
    if (FOptions.summary && FDocument.hasSummary)
      WriteSummaryLine(FOut, FDocument.summary);
    const size_t bodyStart = FOut.size();
    BlockHtml(FOut, FNotes, FBudget, FReferenced).Write(blocks);
    // A page whose main part would hold nothing (a document refused, or
    // empty) shows at least its title.
    if (FOut.size() == bodyStart && title.empty()) {
      FOut += "<h1>";
      AppendIsolatedText(FOut, PageTitle(FDocument, FOptions));
      FOut += "</h1>\n";
    }
    std::vector<bool> fromText = FReferenced;
    WriteNotes(fromText);
    if (FOptions.macros)
      WriteMacros();
    if (FOptions.comments)
      WriteStories(StoryKind::Comments, "<aside class=\"comments\">\n<h2>Comments</h2>\n",
                   "</aside>\n");
    FOut += "</main>\n";
    if (FOptions.headers)
      WriteStories(StoryKind::Footers, "<footer class=\"document-footer\">\n", "</footer>\n");
    WritePageEnd(FOut, FOptions);
    return std::move(FOut);
  }

private:
  void WriteHead() {
    WritePageHead(FOut, LanguageTag(Trimmed(FDocument.language)), PageTitle(FDocument, FOptions),
                  FOptions);
  }

  // The notes in order of number, each with a link back to where the text
  // first refers to it.
  void WriteNotes(const std::vector<bool>& fromText) {
    const auto& notes = FNotes.Notes();
    if (notes.empty() || FBudget.Spent())
      return;
    FOut += "<section class=\"notes\">\n<h2>Notes</h2>\n<ol>\n";
    for (size_t i = 0; i < notes.size() && !FBudget.Spent(); ++i) {
      FOut += "<li id=\"note-" + std::to_string(i + 1) + "\">";
      Story story;
      story.blocks = notes[i]->blocks;
      BlockHtml(FOut, FNotes, FBudget, FReferenced).Write(StructuredBlocks(story));
      if (fromText[i])
        FOut += "<a class=\"back\" href=\"#ref-" + std::to_string(i + 1) +
                "\" aria-label=\"Back to the text\">\xE2\x86\xA9</a>";
      FOut += "</li>\n";
    }
    FOut += "</ol>\n</section>\n";
  }

  void WriteMacros() {
    for (const Story& story : FDocument.stories) {
      if (story.kind != StoryKind::Macros || story.blocks.empty())
        continue;
      FOut += "<section class=\"macros\">\n<h2>Macros</h2>\n<pre><code>";
      for (const Block& block : story.blocks) {
        AppendText(FOut, FBudget.Take(block.VisibleText()));
        FOut += '\n';
      }
      FOut += "</code></pre>\n</section>\n";
    }
  }

  void WriteStories(StoryKind kind, const char* open, const char* close) {
    std::vector<Block> blocks;
    for (const Story& story : FDocument.stories) {
      if (story.kind != kind)
        continue;
      std::vector<Block> structured = StructuredBlocks(story);
      std::move(structured.begin(), structured.end(), std::back_inserter(blocks));
    }
    if (blocks.empty())
      return;
    FOut += open;
    BlockHtml(FOut, FNotes, FBudget, FReferenced).Write(blocks);
    FOut += close;
  }

  const Document& FDocument;
  const PageOptions& FOptions;
  NoteNumbers FNotes;
  TextBudget FBudget;
  std::vector<bool> FReferenced; // whether a reference to note n + 1 was written
  std::string FOut;
};

} // namespace

std::string MessagePage(std::u16string_view title, std::u16string_view message,
                        std::string_view extraHtml, const PageOptions& options) {
  std::string out;
  WritePageHead(out, "en", title, options); // the messages are English
  out += "<main>\n<h1>";
  AppendIsolatedText(out, message);
  out += "</h1>\n";
  out += extraHtml;
  out += "</main>\n";
  WritePageEnd(out, options);
  return out;
}

void AppendHtmlText(std::string& out, std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
      ++i;
    } else if ((c >= 0xD800 && c <= 0xDFFF) || !AllowedInHtml(c)) {
      c = 0xFFFD;
    }
    switch (c) {
    case '&': out += "&amp;"; break;
    case '<': out += "&lt;"; break;
    case '>': out += "&gt;"; break;
    case '"': out += "&quot;"; break;
    default: AppendUtf8(out, c); break;
    }
  }
}

std::string PageDocument(const Document& document, const PageOptions& options) {
  return Page(document, options).Write();
}

} // namespace scrivlet
