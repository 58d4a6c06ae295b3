#include "writers/JsonWriter.h"

#include "core/CodePage.h"
#include "core/DocumentSummary.h"
#include "core/StoryLists.h"
#include "core/Utf8.h"
#include "document/BlockWalk.h"
#include "document/NoteOrder.h"
#include "document/StructuredBlocks.h"
#include "writers/Markup.h"
#include "writers/TextBudget.h"

#include <cmath>
#include <cstdio>

namespace scrivlet {
namespace {

void AppendEscape(std::string& out, unsigned value) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "\\u%04x", value);
  out += buffer;
}

std::string JsonAnsiString(std::string_view bytes, int codePage) {
  return JsonString(AnsiToWide(bytes, codePage));
}

std::u16string AsciiText(std::string_view text) {
  return std::u16string(text.begin(), text.end());
}

// The text of a JSON string literal, without its quotes: UTF-8, with
// control characters and unpaired surrogates as \uXXXX escapes.
void AppendJsonText(std::string& out, std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    bool highSurrogate = c >= 0xD800 && c <= 0xDBFF;
    bool paired =
        highSurrogate && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    if (c == u'"') {
      out += "\\\"";
    } else if (c == u'\\') {
      out += "\\\\";
    } else if (c < 0x20 || (c >= 0xD800 && c <= 0xDFFF && !paired)) {
      AppendEscape(out, c);
    } else if (paired) {
      AppendUtf8(out, 0x10000 + ((uint32_t{c} - 0xD800) << 10) + (uint32_t{text[i + 1]} - 0xDC00));
      ++i;
    } else {
      AppendUtf8(out, c);
    }
  }
}

// The "text" of the object: the entries, each followed by a line break,
// as the program writes them (LF in plain text; RTF as ASCII), converted
// entry by entry rather than joined first.
std::string JsonText(const TextLines& lines, bool rtf) {
  std::string out = "\"";
  std::u16string entry;
  for (int i = 0; i < lines.Count(); ++i) {
    entry = lines.Get(i);
    entry += u"\r\n";
    if (rtf) {
      std::string ascii = RtfUnicodeText(entry);
      AppendJsonText(out, AsciiText(ascii));
    } else {
      ToLineFeeds(entry);
      AppendJsonText(out, entry);
    }
  }
  return out + "\"";
}

std::string JsonLines(const TextLines& lines) {
  std::string out = "[";
  for (int i = 0; i < lines.Count(); ++i) {
    if (i > 0)
      out += ", ";
    out += JsonString(lines.Get(i));
  }
  return out + "]";
}

// The "lines" of the object: the text's lines, one element each, without
// their line breaks (CR LF, a lone CR or LF) — the "text" cut at its LFs.
std::string JsonTextLines(const TextLines& lines) {
  std::string out = "[";
  bool first = true;
  std::u16string entry;
  for (int i = 0; i < lines.Count(); ++i) {
    entry = lines.Get(i);
    entry += u"\r\n";
    ToLineFeeds(entry);
    size_t start = 0;
    for (size_t end = entry.find(u'\n'); end != std::u16string::npos;
         start = end + 1, end = entry.find(u'\n', start)) {
      out += first ? "" : ", ";
      first = false;
      out += JsonString(std::u16string_view(entry).substr(start, end - start));
    }
  }
  return out + "]";
}

// The story lists of the Word formats; null for the others.
std::string JsonStories(const StoryLists* stories) {
  if (stories == nullptr)
    return "null";
  return "{\"footnotes\": " + JsonLines(stories->Footnotes) +
         ", \"headers\": " + JsonLines(stories->Headers) +
         ", \"footers\": " + JsonLines(stories->Footers) +
         ", \"comments\": " + JsonLines(stories->Comments) +
         ", \"endnotes\": " + JsonLines(stories->Endnotes) +
         ", \"textboxes\": " + JsonLines(stories->TextBoxes) +
         ", \"macros\": " + JsonLines(stories->Macros) + "}";
}

std::string JsonBool(bool value) {
  return value ? "true" : "false";
}

// The text of a table cell: its blocks' text, one line each, the cells of
// a table inside it each on a line of its own.  Tables nest as deep as a
// file makes them: an explicit stack.
std::u16string CellText(const TableCell& cell) {
  std::u16string text;
  VisitBlocksInReadingOrder(cell.blocks, [&](const Block& block) {
    std::u16string line = block.VisibleText();
    if (line.empty())
      return;
    if (!text.empty())
      text += u'\n';
    text += line;
  });
  return text;
}

std::string JsonTableRows(const Block& table, TextBudget& budget) {
  std::string out = "[";
  for (size_t r = 0; r < table.rows.size() && !budget.Spent(); ++r) {
    out += r > 0 ? ", [" : "[";
    const TableRow& row = table.rows[r];
    for (size_t c = 0; c < row.cells.size(); ++c) {
      if (c > 0)
        out += ", ";
      out += JsonString(budget.Take(CellText(row.cells[c])));
    }
    out += "]";
  }
  return out + "]";
}

// One block of the main story's structure, or nothing for blocks without
// text (pictures).
std::string JsonBlock(const Block& block, TextBudget& budget) {
  auto typed = [](const char* type) { return std::string("{\"type\": \"") + type + "\""; };
  auto text = [&] { return ", \"text\": " + JsonString(budget.Take(block.VisibleText())) + "}"; };
  switch (block.kind) {
  case BlockKind::Heading:
    return typed("heading") + ", \"level\": " + std::to_string(block.level) + text();
  case BlockKind::ListItem:
    return typed("list-item") + ", \"level\": " + std::to_string(block.level) +
           ", \"ordered\": " + JsonBool(block.ordered) + text();
  case BlockKind::Quote: return typed("quote") + text();
  case BlockKind::Preformatted: return typed("preformatted") + text();
  case BlockKind::Table:
    return typed("table") + ", \"rows\": " + JsonTableRows(block, budget) + "}";
  case BlockKind::PageBreak:
    return typed("page-break") +
           (block.value > 0 ? ", \"page\": " + std::to_string(block.value) : std::string()) + "}";
  case BlockKind::SlideBreak:
    return typed("slide-break") + ", \"name\": " + JsonString(block.style) + "}";
  case BlockKind::Picture: return {};
  default: return typed("paragraph") + text();
  }
}

std::string JsonBlocks(const Document& document, TextBudget& budget) {
  if (document.stories.empty())
    return "[]";
  std::string out = "[";
  for (const Block& block : StructuredBlocks(document.Main())) {
    if (budget.Spent())
      break;
    std::string item = JsonBlock(block, budget);
    if (item.empty())
      continue;
    if (out.size() > 1)
      out += ", ";
    out += item;
  }
  return out + "]";
}

std::string JsonNotes(const Document& document, TextBudget& budget) {
  std::string out = "[";
  for (const Note* note : NotesInReferenceOrder(document)) {
    if (budget.Spent())
      break;
    if (out.size() > 1)
      out += ", ";
    out += "{\"label\": " + JsonString(note->label) +
           ", \"text\": " + JsonString(budget.Take(NoteText(*note))) + "}";
  }
  return out + "]";
}

} // namespace

std::string JsonString(std::u16string_view text) {
  std::string out = "\"";
  AppendJsonText(out, text);
  return out + "\"";
}

std::string JsonDate(OleDate date) {
  if (!std::isfinite(date) || date == 0)
    return "null";
  DateTimeFields fields = DecodeDateTime(date);
  if (fields.year < 1 || fields.year > 9999)
    return "null";
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "\"%04d-%02d-%02dT%02d:%02d:%02d\"", fields.year,
                fields.month, fields.day, fields.hour, fields.minute, fields.second);
  return buffer;
}

std::string JsonSummary(const DocumentSummary* summary) {
  if (summary == nullptr)
    return "null";
  std::string out = "{";
  for (const auto& property : DocumentSummary::Properties()) {
    if (out.size() > 1)
      out += ", ";
    out += std::string("\"") + property.name + "\": ";
    if (auto* text = std::get_if<std::u16string DocumentSummary::*>(&property.field))
      out += JsonString(summary->*(*text));
    else if (auto* number = std::get_if<int32_t DocumentSummary::*>(&property.field))
      out += std::to_string(summary->*(*number));
    else
      out += JsonDate(summary->*std::get<OleDate DocumentSummary::*>(property.field));
  }
  return out + "}";
}

void ToLineFeeds(std::u16string& text) {
  size_t out = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'\r') {
      text[out++] = text[i];
      continue;
    }
    text[out++] = u'\n';
    if (i + 1 < text.size() && text[i + 1] == u'\n')
      ++i;
  }
  text.resize(out);
}

std::u16string TextWithLineFeeds(std::u16string_view text) {
  std::u16string out(text);
  ToLineFeeds(out);
  return out;
}

std::string JsonDocument(const Document& document, const TextLines& lines,
                         const DocumentSummary* summary, const StoryLists* stories,
                         const JsonConversion& conversion) {
  std::string out = "{\"file\": " + JsonAnsiString(conversion.file, conversion.codePage);
  out += ", \"reader\": " + JsonString(AsciiText(conversion.readerName));
  // RTF output is ASCII, every other character a \uN? escape: the text is
  // that output, as --format rtf writes it.
  out += ", \"text\": " + JsonText(lines, conversion.rtf);
  out += ", \"lines\": " + JsonTextLines(lines);
  out += ", \"summary\": " + JsonSummary(summary);
  out += ", \"stories\": " + JsonStories(stories);
  TextBudget budget(conversion.maxTextLength);
  out += ", \"blocks\": " + JsonBlocks(document, budget);
  out += ", \"notes\": " + (conversion.notes ? JsonNotes(document, budget) : std::string("[]"));
  out += std::string(", \"encrypted\": ") + (conversion.encrypted ? "true" : "false");
  out += ", \"error\": " +
         (conversion.failed ? JsonAnsiString(conversion.error, conversion.codePage) : "null");
  return out + "}\n";
}

std::string JsonFailure(std::string_view file, std::string_view utf8Error, int codePage) {
  return "{\"file\": " + JsonAnsiString(file, codePage) +
         ", \"reader\": null, \"text\": \"\", \"lines\": [], \"summary\": null, "
         "\"stories\": null, \"blocks\": [], \"notes\": [], \"encrypted\": false, \"error\": " +
         JsonString(Utf8ToUtf16(utf8Error)) + "}\n";
}

} // namespace scrivlet
