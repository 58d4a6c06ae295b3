// Word's control characters and fields, turned into text for the chosen
// formatting.  A field is 19 (begin), its instruction, 20 (separator), its
// result and 21 (end); it is reduced to its result, and every replacement is
// offered to OnConvertSysChar.
#include "core/Ascii.h"
#include "readers/word/DocReader.h"

#include <algorithm>

namespace scrivlet {
namespace {

constexpr char16_t kFieldBegin = 19, kFieldSeparator = 20, kFieldEnd = 21;
constexpr int32_t kMaxFieldPieces = 200;
constexpr char16_t kRawFieldMark = 0x0096;

struct FieldKeyword {
  std::u16string_view keyword;
  SpecialChar kind;
};

// Searched in this order: "PAGEREF" before "PAGE".
constexpr FieldKeyword kFieldKeywords[] = {
    {u"TIME", SpecialChar::Time},
    {u"\\\\@", SpecialChar::DateFormat},
    {u"HYPERLINK", SpecialChar::Hyperlink},
    {u"TOC", SpecialChar::TOC},
    {u"\\\\o", SpecialChar::TOCSwitch},
    {u"PAGEREF", SpecialChar::Page},
    {u"PAGE", SpecialChar::Page},
    {u"NUMPAGES", SpecialChar::NumPages},
    {u"EMBED", SpecialChar::Embed},
    {u"EDITTIME", SpecialChar::EditTime},
    {u"SPEICHERDAT", SpecialChar::SaveDate},
    {u"DATEINAME", SpecialChar::FileName},
    {u"ADVANCE", SpecialChar::Advance},
    {u"SEQ TEXT_BOX", SpecialChar::TextBox},
    {u"*", SpecialChar::None},
    {u"INCLUDEPICTURE", SpecialChar::IncludePicture},
};

// The characters below 32 are Word's marks and are converted; only the line
// feed (the second half of a row end) passes unchanged.
bool IsControl(char16_t c) {
  return c < 32 && c != u'\n';
}

SpecialChar FieldKind(std::u16string_view instruction) {
  std::u16string upper = AsciiUpperCase(std::u16string(instruction));
  for (const FieldKeyword& entry : kFieldKeywords)
    if (std::u16string_view(upper).starts_with(entry.keyword))
      return entry.kind;
  return SpecialChar::None;
}

std::u16string_view TrimBlanks(std::u16string_view text) {
  auto blank = [](char16_t c) { return c <= u' '; };
  while (!text.empty() && blank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && blank(text.back()))
    text.remove_suffix(1);
  return text;
}

} // namespace

void DocReader::AddText(std::u16string text, TextLines& list) {
  if (!ConvertSysCharacters()) {
    CountOutput(text.size());
    list.Add(std::move(text)); // as it stands, and without the length limit
    return;
  }
  const OutputFormat format = TextFormating();
  std::u16string out;
  out.reserve(text.size() + text.size() / 8);
  bool nextIsLineFeed = false;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = nextIsLineFeed ? u'\n' : text[i];
    nextIsLineFeed = false;
    if (!IsControl(c)) {
      // Text characters, and the line feed of a row end, pass as text of
      // the output format (escaped in RTF and HTML).
      if (FField.empty()) {
        AppendEscaped(format, c, out);
      } else {
        AppendEscaped(format, c, FField);
        ++FFieldPieces;
      }
      continue;
    }
    // A field begin while a field is open ends the open one.
    if (FFieldPieces > 0 && c == kFieldBegin)
      out += FieldEndResult();
    if (FFieldPieces > kMaxFieldPieces)
      FlushField(out);
    char16_t next = i + 1 < text.size() ? text[i + 1] : 0;
    std::u16string result = ConvertCharacter(c, next, nextIsLineFeed);
    if (!FField.empty() || c == kFieldBegin) {
      if (!result.empty())
        ++FFieldPieces;
      FField += result;
    } else {
      out += result;
    }
  }
  if (!FField.empty())
    FlushField(out);
  LegacyReader::AddText(std::move(out), list);
}

// The replacement of one control character.  A cell mark followed by
// another is a row end, and the second becomes a line feed.
std::u16string DocReader::ConvertCharacter(char16_t c, char16_t next, bool& nextIsLineFeed) {
  const OutputFormat formating = TextFormating();
  const char16_t* lineBreak = formating == OutputFormat::Rtf    ? u"\r\n\\par "
                              : formating == OutputFormat::Html ? u"<br>\r\n"
                                                                : u"\r\n";
  std::u16string result;
  SpecialChar kind = SpecialChar::None;
  switch (c) {
  case 0: return result;
  case 7:
    if (next == 7) {
      result = formating == OutputFormat::PlainText ? u"\r" : lineBreak;
      kind = SpecialChar::RowEnd;
      nextIsLineFeed = true;
    } else {
      result = u" ";
      kind = SpecialChar::CellEnd;
    }
    break;
  case 9: result = u"\t"; break;
  case 11: // line break
  case 14: // column break: a line break in text
    result = lineBreak;
    break;
  case 13:
    result = formating == OutputFormat::Html ? u"<p></p>\r\n" : lineBreak;
    kind = SpecialChar::Paragraph;
    break;
  case kFieldBegin:
    FField.clear();
    FFieldPieces = 0;
    result = std::u16string(1, c);
    kind = SpecialChar::FieldBegin;
    break;
  case kFieldSeparator:
    result = std::u16string(1, c);
    kind = SpecialChar::FieldSeparator;
    break;
  case kFieldEnd: return FieldEndResult();
  case 30: // non-breaking hyphen
    result = u"-";
    break;
  default: // 1-6, 8, 12, 15-18, 22-29, 31: marks without text, dropped
    break;
  }
  result = ConvertSysChar(kind, std::u16string(1, c), std::move(result));
  return result;
}

// The result of a field end: the open field's result text, offered with
// its kind and instruction; nothing for an embedded object or a field
// without a separator or switch.
std::u16string DocReader::FieldEndResult() {
  std::u16string result;
  result = ConvertSysChar(SpecialChar::FieldEnd, std::u16string(1, kFieldEnd), std::move(result));
  if (FField.empty())
    return result;
  std::u16string field;
  field.swap(FField);
  FFieldPieces = 0;
  // One field begin, then one blank, before the instruction.
  size_t skip = !field.empty() && field[0] == kFieldBegin ? 1 : 0;
  if (skip < field.size() && field[skip] == u' ')
    ++skip;
  field.erase(0, skip);
  // b: 1-based position of the separator, or of the last character before
  // " \" (the first switch) when there is no separator; 0 when neither.
  size_t b;
  if (size_t separator = field.find(kFieldSeparator); separator != std::u16string::npos) {
    b = separator + 1;
  } else {
    size_t switchAt = field.find(u" \\");
    b = switchAt == std::u16string::npos ? 0 : switchAt;
  }
  if (b == 0)
    return {};
  std::u16string instruction(TrimBlanks(std::u16string_view(field).substr(0, b - 1)));
  SpecialChar kind = FieldKind(instruction);
  if (b < field.size() && field[b] == kFieldSeparator)
    ++b;
  result.clear();
  if (kind != SpecialChar::Embed)
    result = field.substr(std::min(b, field.size()));
  result = ConvertSysChar(kind, instruction, std::move(result));
  return result;
}

// A field left open too long, or at the end of the text, is written raw
// after a marker: its instruction, separator and result as they are.
void DocReader::FlushField(std::u16string& out) {
  out += kRawFieldMark;
  out.append(FField, std::min<size_t>(1, FField.size()));
  FField.clear();
  FFieldPieces = 0;
}

} // namespace scrivlet
