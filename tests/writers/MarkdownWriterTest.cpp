#include "writers/MarkdownWriter.h"

#include "core/Limits.h"
#include "core/Utf8.h"
#include "support/ChildProcess.h"
#include "support/DocumentBuilder.h"
#include "support/TempDir.h"

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm-extension_api.h>
#include <cmark-gfm.h>

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <unistd.h>

namespace scrivlet {
namespace {

using test::BlockWith;
using test::DocumentOf;
using test::Heading;
using test::LinkPiece;
using test::ListItem;
using test::NoteReferencePiece;
using test::Paragraph;
using test::PieceOf;
using test::TableOf;
using test::TextCell;
using test::TextPiece;

std::string Markdown(const Document& document, MarkdownOptions options = {}) {
  return MarkdownDocument(document, options);
}

// Text that Markdown would read as mark-up if it were written as it is.
const std::vector<std::u16string>& HostileLines() {
  static const std::vector<std::u16string> lines{
      u"# not a heading #",
      u"###### nor this",
      u"* not a bullet",
      u"- not a bullet either",
      u"+ nor this",
      u"1. not a number",
      u"2) nor this",
      u"> not a quote",
      u"| a | b |",
      u"|---|---|",
      u"[link](http://example.com/x) and ![image](y.png) and [ref][1]",
      u"[1]: /url \"title\"",
      u"[^1] and [^1]: a note's definition",
      u"<b>bold</b> <!-- comment --> <div> &amp; &#38; &copy; &#x26;",
      u"`code` ``more`` ```fence",
      u"~~~",
      u"*em* _em_ **strong** __strong__ ~~strike~~ ~one~",
      u"\\ backslash \\* \\_ \\",
      u"---",
      u"===",
      u"***",
      u"___",
      u"- - -",
      u"<http://example.com> <mail@example.com>",
      u"a_b_c snake_case_name 2*3*4",
      u"!important [x] [ ] - [ ] task",
      u"100. a hundred",
      u"1.5 is a number, 3. at the end 4.",
      u"tab\tinside and trailing backslash\\",
  };
  return lines;
}

// The text of a parsed node's inlines, and whether anything but text and
// breaks was found.
struct ParsedText {
  std::vector<std::string> blocks; // the text of each top-level block
  std::set<std::string> otherNodes;
};

ParsedText ParseWithCmark(const std::string& markdown) {
  cmark_gfm_core_extensions_ensure_registered();
  cmark_parser* parser = cmark_parser_new(CMARK_OPT_FOOTNOTES);
  for (const char* name : {"table", "strikethrough"})
    cmark_parser_attach_syntax_extension(parser, cmark_find_syntax_extension(name));
  cmark_parser_feed(parser, markdown.data(), markdown.size());
  cmark_node* root = cmark_parser_finish(parser);
  ParsedText parsed;
  for (cmark_node* block = cmark_node_first_child(root); block != nullptr;
       block = cmark_node_next(block)) {
    if (cmark_node_get_type(block) != CMARK_NODE_PARAGRAPH)
      parsed.otherNodes.insert(cmark_node_get_type_string(block));
    std::string text;
    cmark_iter* iter = cmark_iter_new(block);
    for (cmark_event_type event; (event = cmark_iter_next(iter)) != CMARK_EVENT_DONE;) {
      cmark_node* node = cmark_iter_get_node(iter);
      if (event != CMARK_EVENT_ENTER || node == block)
        continue;
      cmark_node_type type = cmark_node_get_type(node);
      if (type == CMARK_NODE_TEXT)
        text += cmark_node_get_literal(node);
      else if (type == CMARK_NODE_LINEBREAK || type == CMARK_NODE_SOFTBREAK)
        text += '\n';
      else
        parsed.otherNodes.insert(cmark_node_get_type_string(node));
    }
    cmark_iter_free(iter);
    parsed.blocks.push_back(text);
  }
  cmark_node_free(root);
  cmark_parser_free(parser);
  return parsed;
}

// White space runs as one space, none at the edges: what Markdown keeps
// of a line's spacing.
std::string Collapsed(const std::string& text) {
  std::string out;
  for (char c : text) {
    bool space = c == ' ' || c == '\t' || c == '\n';
    if (space && (out.empty() || out.back() == ' '))
      continue;
    out += space ? ' ' : c;
  }
  if (!out.empty() && out.back() == ' ')
    out.pop_back();
  return out;
}

Document HostileDocument() {
  std::vector<Block> blocks;
  for (const std::u16string& line : HostileLines())
    blocks.push_back(Paragraph(line));
  // Each line again after a line break inside one paragraph: a line's
  // start is where most mark-up begins.
  std::vector<Inline> pieces;
  for (const std::u16string& line : HostileLines()) {
    if (!pieces.empty())
      pieces.push_back(PieceOf(InlineKind::LineBreak));
    pieces.push_back(TextPiece(line));
  }
  blocks.push_back(BlockWith(BlockKind::Paragraph, pieces));
  return DocumentOf(std::move(blocks));
}

std::string JoinedLines(const std::string& separator) {
  std::string joined;
  for (const std::u16string& line : HostileLines())
    joined += (joined.empty() ? "" : separator) + WideToUtf8(line);
  return joined;
}

TEST(MarkdownWriter, MarkupCharactersInTheTextReadBackAsText) {
  const std::string markdown = Markdown(HostileDocument());
  ParsedText parsed = ParseWithCmark(markdown);
  EXPECT_TRUE(parsed.otherNodes.empty())
      << "read as mark-up: " << *parsed.otherNodes.begin() << "\n"
      << markdown;
  const auto& lines = HostileLines();
  ASSERT_EQ(parsed.blocks.size(), lines.size() + 1) << markdown;
  for (size_t i = 0; i < lines.size(); ++i)
    EXPECT_EQ(Collapsed(parsed.blocks[i]), Collapsed(WideToUtf8(lines[i]))) << markdown;
  EXPECT_EQ(Collapsed(parsed.blocks.back()), Collapsed(JoinedLines("\n")));
}

TEST(MarkdownWriter, MarkupCharactersInHeadingsItemsAndCellsStayText) {
  Document document = DocumentOf({Heading(2, u"# *a* | b_ [c]"), ListItem(1, false, u"- `x` > y"),
                                  TableOf({{TextCell(u"h|1"), TextCell(u"*h2*")},
                                           {TextCell(u"a | b \\|"), TextCell(u"<td> ~~c~~")}})});
  const std::string markdown = Markdown(document);
  cmark_gfm_core_extensions_ensure_registered();
  cmark_parser* parser = cmark_parser_new(CMARK_OPT_DEFAULT);
  cmark_parser_attach_syntax_extension(parser, cmark_find_syntax_extension("table"));
  cmark_parser_feed(parser, markdown.data(), markdown.size());
  cmark_node* root = cmark_parser_finish(parser);
  std::vector<std::string> texts;
  std::set<std::string> types;
  cmark_iter* iter = cmark_iter_new(root);
  for (cmark_event_type event; (event = cmark_iter_next(iter)) != CMARK_EVENT_DONE;) {
    cmark_node* node = cmark_iter_get_node(iter);
    if (event != CMARK_EVENT_ENTER)
      continue;
    types.insert(cmark_node_get_type_string(node));
    if (cmark_node_get_type(node) == CMARK_NODE_TEXT)
      texts.push_back(cmark_node_get_literal(node));
  }
  cmark_iter_free(iter);
  cmark_node_free(root);
  cmark_parser_free(parser);
  EXPECT_EQ(types,
            (std::set<std::string>{"document", "heading", "list", "item", "paragraph", "table",
                                   "table_header", "table_row", "table_cell", "text"}))
      << markdown;
  std::string all;
  for (const std::string& text : texts)
    all += text;
  EXPECT_EQ(all, "# *a* | b_ [c]- `x` > yh|1*h2*a | b \\|<td> ~~c~~") << markdown;
}

// The program of that name on the PATH, or "".
std::string ProgramOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string directories = path != nullptr ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= directories.size()) {
    size_t end = directories.find(':', start);
    if (end == std::string::npos)
      end = directories.size();
    std::filesystem::path candidate =
        std::filesystem::path(directories.substr(start, end - start)) / name;
    if (access(candidate.c_str(), X_OK) == 0)
      return candidate.string();
    start = end + 1;
  }
  return {};
}

// The text of pandoc's JSON: its Str, Space and break elements in order.
std::string PandocText(const std::string& json, std::set<std::string>& elements) {
  std::string text;
  size_t at = 0;
  while ((at = json.find("{\"t\":\"", at)) != std::string::npos) {
    at += 6;
    size_t end = json.find('"', at);
    std::string type = json.substr(at, end - at);
    at = end;
    if (type == "Space" || type == "SoftBreak" || type == "LineBreak" || type == "Para") {
      text += ' ';
    } else if (type == "Str") {
      at = json.find("\"c\":\"", at) + 5;
      for (; at < json.size() && json[at] != '"'; ++at) {
        if (json[at] != '\\') {
          text += json[at];
          continue;
        }
        char escaped = json[++at];
        if (escaped == 'u') {
          uint32_t code = std::stoul(json.substr(at + 1, 4), nullptr, 16);
          AppendUtf8(text, code);
          at += 4;
        } else {
          text += escaped == 'n' ? '\n' : escaped == 't' ? '\t' : escaped;
        }
      }
    } else if (type != "Link") {
      // GitHub's Markdown links a bare URL (its text stays as it is).
      elements.insert(type);
    }
  }
  return text;
}

TEST(MarkdownWriter, PandocReadsTheMarkupCharactersAsText) {
  const std::string pandoc = ProgramOnPath("pandoc");
  if (pandoc.empty())
    GTEST_SKIP() << "pandoc is not installed: the Markdown is not read back by pandoc";
  test::TempDir dir;
  std::string file = dir.Write("hostile.md", Markdown(HostileDocument()));
  auto result = test::RunChild(pandoc, {"-f", "gfm", "-t", "json", file}, {"LANG=C.UTF-8"});
  ASSERT_EQ(result.status, 0) << result.err;
  std::set<std::string> elements;
  std::string text = PandocText(result.out, elements);
  EXPECT_TRUE(elements.empty()) << "read as mark-up: " << *elements.begin() << "\n" << result.out;
  EXPECT_EQ(Collapsed(text), Collapsed(JoinedLines(" ") + " " + JoinedLines(" ")));
}

TEST(MarkdownWriter, HeadingsListsAndBreaks) {
  Document document =
      DocumentOf({Heading(1, u"Title"), Heading(3, u"Third"), Heading(9, u"Ninth"),
                  Paragraph(u"Text."), ListItem(1, true, u"three", 3), ListItem(2, false, u"inner"),
                  ListItem(1, true, u"four", 4), ListItem(3, true, u"deep", 7), test::PageBreak(2),
                  Paragraph(u"After."), test::SlideBreak(u"Slide 2")});
  EXPECT_EQ(Markdown(document), "# Title\n\n### Third\n\n###### Ninth\n\nText.\n\n"
                                "3.  three\n      - inner\n4.  four\n    1.  7.  deep\n\n"
                                "-----\n\nAfter.\n\n-----\n");
}

TEST(MarkdownWriter, AnOrderedListWhoseNumbersRestartIsTwoLists) {
  Document document = DocumentOf({ListItem(1, true, u"a", 1), ListItem(1, true, u"b", 2),
                                  ListItem(1, true, u"c", 1), ListItem(1, false, u"d")});
  std::string markdown = Markdown(document);
  EXPECT_EQ(markdown, "1.  a\n2.  b\n\n<!-- end list -->\n\n1.  c\n\n<!-- end list -->\n\n"
                      "  - d\n");
}

TEST(MarkdownWriter, MarksAndLinks) {
  Document document = DocumentOf({BlockWith(
      BlockKind::Paragraph,
      {TextPiece(u"plain "), TextPiece(u"bold ", kBold), TextPiece(u"both", kBold | kItalic),
       TextPiece(u" and "), TextPiece(u"gone", kStrike), TextPiece(u" x"),
       TextPiece(u"2", kSuperscript), TextPiece(u" "), TextPiece(u"a|b", kCode), TextPiece(u" "),
       LinkPiece(u"site", u"https://example.com/a b"), TextPiece(u" "),
       LinkPiece(u"script", u"javascript:alert(1)"), TextPiece(u" word"),
       TextPiece(u"\"q\"", kItalic), TextPiece(u"s")})});
  EXPECT_EQ(Markdown(document), "plain **bold** ***both*** and ~~gone~~ x<sup>2</sup> `a|b` "
                                "[site](https://example.com/a%20b) script word\"q\"s\n");
}

TEST(MarkdownWriter, NoEmphasisRightAfterALink) {
  Document document = DocumentOf(
      {BlockWith(BlockKind::Paragraph, {LinkPiece(u"Open", u"https://example.com/f", kBold),
                                        TextPiece(u"Expires:", kBold), TextPiece(u" soon")})});
  EXPECT_EQ(Markdown(document), "[**Open**](https://example.com/f)Expires: soon\n");
}

TEST(MarkdownWriter, TablesAsPipeTables) {
  Block nested = TableOf({{TextCell(u"n1"), TextCell(u"n2")}});
  Document document = DocumentOf({TableOf({
      {TextCell(u"Head", 1, true), TextCell(u"Wide head", 2, true)},
      {test::CellOf({Paragraph(u"two"), Paragraph(u"lines")}), test::CellOf({nested}),
       TextCell(u"c")},
      {TextCell(u"short row")},
  })});
  // The header row gives the columns; a shorter row holds its own cells,
  // which a reader fills.
  const std::string markdown = Markdown(document);
  EXPECT_EQ(markdown, "| Head | Wide head |  |\n"
                      "| --- | --- | --- |\n"
                      "| two<br> lines | n1<br> n2 | c |\n"
                      "| short row |\n");
  EXPECT_EQ(
      ParseWithCmark(markdown).otherNodes,
      (std::set<std::string>{"table", "table_header", "table_row", "table_cell", "html_inline"}));
}

// One row of a thousand cells, then a thousand rows of one: the other rows
// are not padded to the widest, which made a million cells of them.
TEST(MarkdownWriter, AWideRowWidensNoOtherRow) {
  std::vector<std::vector<TableCell>> rows(1001, {TextCell(u"x")});
  rows[0].assign(1000, TextCell(u"h"));
  const std::string markdown = Markdown(DocumentOf({TableOf(std::move(rows))}));
  EXPECT_LT(markdown.size(), 20000u);
  EXPECT_NE(markdown.find("\n| x |\n| x |\n"), std::string::npos);
}

// Every node is paid for from the output limit before it is made, so that
// the Markdown library is never given more than the limit allows (it
// aborts the process when an allocation fails): past the limit the writing
// ends with the limit's message.
TEST(MarkdownWriter, NodesPastTheOutputLimitAreNeverMade) {
  std::vector<std::vector<TableCell>> rows(1, std::vector<TableCell>(2000, TextCell(u"x")));
  MarkdownOptions options;
  options.outputCharacters = 10000;
  try {
    Markdown(DocumentOf({TableOf(rows)}), options);
    ADD_FAILURE() << "no limit raised";
  } catch (const LimitExceeded& error) {
    EXPECT_STREQ(error.what(), "The document exceeds the limit of 10000 output characters");
  }
  options.outputCharacters = 200000;
  EXPECT_NE(Markdown(DocumentOf({TableOf(rows)}), options).find("| x | x |"), std::string::npos);
}

// The tree is rendered a few blocks at a time: a document of many blocks
// never holds the nodes of them all, only their text.  Empty paragraphs
// and lists next to lists (whose end mark depends on the block after them)
// on either side of where the renderings join come out as one rendering
// writes them.
TEST(MarkdownWriter, ManyBlocksAreRenderedAFewAtATime) {
  std::vector<Block> blocks;
  std::string expected;
  for (int i = 0; i < 3000; ++i) {
    const std::u16string text = u"p" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26));
    if (i % 97 == 0) {
      blocks.push_back(Paragraph(u"\u3000"));
      continue;
    }
    if (i % 61 == 0) {
      blocks.push_back(ListItem(1, i % 2 == 0, text));
      blocks.push_back(ListItem(1, i % 2 != 0, text));
      blocks.push_back(ListItem(1, i % 2 == 0, text));
      const std::string item = WideToUtf8(text);
      const std::string bullet = "  - " + item + "\n", number = "1.  " + item + "\n";
      const std::string end = "\n<!-- end list -->\n\n";
      expected += i % 2 == 0 ? number + end + bullet + end + number + "\n"
                             : bullet + end + number + end + bullet + "\n";
      continue;
    }
    blocks.push_back(Paragraph(text));
    expected += WideToUtf8(text) + "\n\n";
  }
  expected.pop_back();
  MarkdownOptions options;
  // Far less than the nodes of every block, more than their text.
  options.outputCharacters = 40000;
  EXPECT_EQ(Markdown(DocumentOf(std::move(blocks)), options), expected);
}

TEST(MarkdownWriter, NotesAsReferencesAndDefinitions) {
  Document document = DocumentOf({BlockWith(
      BlockKind::Paragraph, {TextPiece(u"See"), NoteReferencePiece(u"*", u"n2"), TextPiece(u" and"),
                             NoteReferencePiece(u"a", u"n1"), TextPiece(u" and"),
                             NoteReferencePiece(u"?", u"missing")})});
  document.notes.push_back(test::NoteOf(u"n1", u"a", u"First *note*."));
  Note second = test::NoteOf(u"n2", u"*", u"Second, line one.");
  second.blocks.push_back(Paragraph(u"- line two"));
  document.notes.push_back(second);
  EXPECT_EQ(Markdown(document), "See[^1] and[^2] and\\[?\\]\n"
                                "\n[^1]: Second, line one.\n\n    \\- line two\n"
                                "\n[^2]: First \\*note\\*.\n");
  MarkdownOptions noNotes;
  noNotes.notes = false;
  EXPECT_EQ(Markdown(document, noNotes), "See and and\n");
}

// Emphasis that goes on across a line break closes before it and opens
// again after it: "**a<br>**b" or "**a  \n**b" would leave the asterisks as
// text.  A blank follows a cell's break, so that the words stay apart where
// the HTML is dropped.
TEST(MarkdownWriter, EmphasisClosesAtLineBreaks) {
  auto broken = [](BlockKind kind) {
    return BlockWith(kind,
                     {TextPiece(u"B "), TextPiece(u"First", kBold), PieceOf(InlineKind::LineBreak),
                      TextPiece(u"B", kBold), TextPiece(u" Second")});
  };
  Block heading = broken(BlockKind::Heading);
  heading.level = 2;
  Document document = DocumentOf({broken(BlockKind::Paragraph), heading,
                                  TableOf({{test::CellOf({broken(BlockKind::Paragraph)})}})});
  EXPECT_EQ(Markdown(document), "B **First**  \n**B** Second\n\n## B **First** **B** Second\n\n"
                                "| B **First**<br> **B** Second |\n| --- |\n");
}

TEST(MarkdownWriter, NotesWithoutAReferenceAreReferredToAfterTheText) {
  Document document = DocumentOf(
      {BlockWith(BlockKind::Paragraph, {TextPiece(u"Text"), NoteReferencePiece(u"1", u"n1")})});
  document.notes = {test::NoteOf(u"n1", u"1", u"Cited."), test::NoteOf(u"n2", u"2", u"Loose."),
                    test::NoteOf(u"n3", u"3", u"Also loose.")};
  EXPECT_EQ(Markdown(document), "Text[^1]\n\n[^2] [^3]\n\n[^1]: Cited.\n\n[^2]: Loose.\n"
                                "\n[^3]: Also loose.\n");
}

TEST(MarkdownWriter, NotesReferToEachOtherByLabelInBrackets) {
  Document document = DocumentOf(
      {BlockWith(BlockKind::Paragraph, {TextPiece(u"Text"), NoteReferencePiece(u"a", u"n1")})});
  document.notes = {test::NoteOf(u"n1", u"a", u"See"), test::NoteOf(u"n2", u"b", u"Back")};
  document.notes[0].blocks[0].content.push_back(NoteReferencePiece(u"b", u"n2"));
  document.notes[1].blocks[0].content.push_back(NoteReferencePiece(u"a", u"n1"));
  EXPECT_EQ(Markdown(document), "Text[^1]\n\n[^2]\n\n[^1]: See\\[b\\]\n\n[^2]: Back\\[a\\]\n");
}

TEST(MarkdownWriter, SummaryAsYamlFrontMatter) {
  Document document = DocumentOf({Paragraph(u"Body")});
  document.hasSummary = true;
  document.summary.Title = u"A \"quoted\" title: with\\colon\nand a line";
  document.summary.Author = u"Zoë";
  document.summary.Created = 38484.5; // 2005-05-12 12:00
  MarkdownOptions options;
  options.summary = true;
  EXPECT_EQ(Markdown(document, options),
            "---\ntitle: \"A \\\"quoted\\\" title: with\\\\colon\\nand a line\"\n"
            "author: \"Zo\xC3\xAB\"\ncreated: \"2005-05-12T12:00:00\"\n---\n\nBody\n");
  options.summary = false;
  EXPECT_EQ(Markdown(document, options), "Body\n");
}

TEST(MarkdownWriter, MaxLengthCutsTheText) {
  Document document =
      DocumentOf({Paragraph(u"abcdef"), Paragraph(u"ghij"), TableOf({{TextCell(u"klm")}})});
  MarkdownOptions options;
  options.maxTextLength = 8;
  EXPECT_EQ(Markdown(document, options), "abcdef\n\ngh\n");
}

TEST(MarkdownWriter, QuotesAndPreformattedTextGroupTheirBlocks) {
  Document document = DocumentOf({test::BlockOf(BlockKind::Quote, u"first"),
                                  test::BlockOf(BlockKind::Quote, u"second"),
                                  test::BlockOf(BlockKind::Preformatted, u"  code ```"),
                                  test::BlockOf(BlockKind::Preformatted, u"more")});
  EXPECT_EQ(Markdown(document), "> first\n> \n> second\n\n```` \n  code ```\nmore\n````\n");
}

TEST(MarkdownWriter, DeepListsAndTablesNeedNoDeepRecursionInTheWriter) {
  // A table nested 60 deep inside its first cell, and a list item 200
  // levels deep: both written without the writer's stack growing with them.
  Block table = TableOf({{TextCell(u"innermost")}});
  for (int i = 0; i < 60; ++i)
    table = TableOf({{test::CellOf({table})}});
  Document document = DocumentOf({table, ListItem(200, false, u"deep")});
  std::string markdown = Markdown(document);
  EXPECT_NE(markdown.find("| innermost |"), std::string::npos);
  EXPECT_NE(markdown.find("- deep"), std::string::npos);
}

} // namespace
} // namespace scrivlet
