// Word 97-2003, Word 6/95 and Word 2: each story's whole text is one entry,
// cut to the length limit; the main list has the prologue before it and
// the epilogue after it, both outside the limit.  With the control
// characters kept as they stand, the text is written as it is, unescaped
// and whole.  The macro story gives one entry per block, as it stands.
//
// In the text a paragraph mark is a line break (an empty paragraph in
// HTML), a note reference its label in brackets (when the notes are listed
// after the text), a cell end a blank, a row end a line break (CR in plain text) and
// a line feed.  A field is reduced to its result, which is found in the
// field as written in the output format: its instruction and result
// escaped, its marks converted.  Fields nest: a nested field's result
// stands in the instruction or result that holds it.
#include "writers/conventions/Convention.h"

#include "core/Ascii.h"

#include <algorithm>

namespace scrivlet::conventions {
namespace {

constexpr uint8_t kParagraphMark = 13; // the Block::ending the reader gives
constexpr char16_t kFieldBegin = 19, kFieldSeparator = 20;
constexpr char16_t kRawFieldMark = 0x0096;

std::u16string_view TrimBlanks(std::u16string_view text) {
  auto blank = [](char16_t c) { return c <= u' '; };
  while (!text.empty() && blank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && blank(text.back()))
    text.remove_suffix(1);
  return text;
}

// An embedded object's field shows no result (its result is the object).
bool IsEmbedding(std::u16string_view instruction) {
  return AsciiUpperCase(std::u16string(instruction.substr(0, 5))) == u"EMBED";
}

// The visible result of a field as written: a field begin, then (after one
// blank) the instruction, the separator and the result.  Without a
// separator there is none (the reader gives the fields that Word shows
// something for a result).
std::u16string FieldResultOf(std::u16string field) {
  size_t skip = !field.empty() && field[0] == kFieldBegin ? 1 : 0;
  if (skip < field.size() && field[skip] == u' ')
    ++skip;
  field.erase(0, skip);
  size_t separator = field.find(kFieldSeparator);
  if (separator == std::u16string::npos)
    return {};
  size_t b = separator + 1; // 1-based
  if (IsEmbedding(TrimBlanks(std::u16string_view(field).substr(0, b - 1))))
    return {};
  if (b < field.size() && field[b] == kFieldSeparator)
    ++b;
  return field.substr(std::min(b, field.size()));
}

// Writes a story's blocks into one text, with each open field's text kept
// apart until the field ends.
class TextWriter {
public:
  TextWriter(OutputFormat format, bool notes) : FFormat(format), FNotes(notes) {}

  void Write(const Block& block) {
    if (block.kind == BlockKind::CellEnd) {
      WriteCellEnd(block.value != 0);
      return;
    }
    for (const Inline& piece : block.content)
      Write(piece);
    if (block.ending == kParagraphMark)
      Put(FFormat == OutputFormat::Html ? u"<p></p>\r\n" : LineBreak(FFormat));
  }

  std::u16string Finish() {
    while (!FFields.empty())
      WriteRaw();
    return std::move(FText);
  }

private:
  void Write(const Inline& piece) {
    switch (piece.kind) {
    case InlineKind::Text:
    case InlineKind::FieldCode:
    case InlineKind::FieldResult: Put(EscapeText(FFormat, piece.text)); break;
    case InlineKind::Tab: Put(u"\t"); break;
    case InlineKind::NoteReference:
      // As the notes after the text are labelled.
      if (FNotes)
        Put(EscapeText(FFormat, u"[" + piece.text + u"]"));
      break;
    case InlineKind::LineBreak:
    case InlineKind::ColumnBreak: Put(LineBreak(FFormat)); break;
    case InlineKind::FieldBegin: FFields.emplace_back(1, kFieldBegin); break;
    case InlineKind::FieldSeparator: Put(std::u16string_view(&kFieldSeparator, 1)); break;
    case InlineKind::FieldEnd:
      if (!FFields.empty())
        EndField();
      break;
    case InlineKind::RawField: Sink() += kRawFieldMark; break;
    default: break;
    }
  }

  // A row end: the cell's mark a line break (CR in plain text), the row's
  // a line feed.
  void WriteCellEnd(bool rowEnd) {
    if (!rowEnd) {
      Put(u" ");
      return;
    }
    Put(FFormat == OutputFormat::PlainText ? u"\r" : LineBreak(FFormat));
    Put(u"\n");
  }

  // Where text goes: the innermost open field, else the text.
  std::u16string& Sink() { return FFields.empty() ? FText : FFields.back(); }

  void Put(std::u16string_view text) { Sink() += text; }

  void EndField() {
    std::u16string result = FieldResultOf(std::move(FFields.back()));
    FFields.pop_back();
    Sink() += result;
  }

  // A field still open where the text ends is written as it stands.
  void WriteRaw() {
    std::u16string field = std::move(FFields.back());
    FFields.pop_back();
    std::u16string& sink = Sink();
    sink += kRawFieldMark;
    sink.append(field, std::min<size_t>(1, field.size()));
  }

  OutputFormat FFormat;
  bool FNotes; // the notes are listed after the text
  std::u16string FText;
  std::vector<std::u16string> FFields; // the open fields as written, from their begins
};

std::u16string ConvertedText(const Context& context, const Story& story) {
  TextWriter writer(context.Format(), context.options.notes);
  for (const Block& block : story.blocks)
    writer.Write(block);
  return writer.Finish();
}

std::u16string TextAsItStands(const Story& story) {
  std::u16string text;
  for (const Block& block : story.blocks)
    text += block.Text();
  return text;
}

} // namespace

void WriteWordStory(const Context& context, const Story& story, bool main, LineList& list) {
  if (story.kind == StoryKind::Macros) {
    for (const Block& block : story.blocks)
      list.AddUnlimited(block.Text());
    return;
  }
  // A main story without blocks is a text that was not read: no prologue.
  if (main && story.blocks.empty())
    return;
  if (context.options.convertControlCharacters)
    list.Add(ConvertedText(context, story));
  else
    list.AddUnlimited(TextAsItStands(story));
  if (!main)
    return;
  list.Insert(0, context.prologue);
  AddNotes(context, list);
  list.AddUnlimited(context.epilogue);
}

} // namespace scrivlet::conventions
