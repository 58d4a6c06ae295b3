// OpenDocument content and metadata.
#include "readers/opendocument/OpenDocumentReader.h"

#include "core/CodePage.h"
#include "core/DateTime.h"
#include "core/Exception.h"
#include "core/Numbers.h"
#include "core/Stream.h"
#include "xml/RawAttribute.h"
#include "xml/XmlParser.h"
#include "zip/ZipArchive.h"

#include <algorithm>

namespace scrivlet {
namespace {

bool IsParagraph(const std::string& name) {
  return name == "text:p" || name == "text:h";
}

// The number of a "text:c" attribute, 1 when there is none.
size_t SpaceCount(const std::u16string& attributes) {
  std::u16string_view digits = RawAttributeValue(attributes, u"text:c").value_or(u"");
  size_t count = 0;
  for (size_t i = 0; i < digits.size() && digits[i] >= u'0' && digits[i] <= u'9'; ++i)
    count = std::min<size_t>(count * 10 + (digits[i] - u'0'), 10000);
  return std::max<size_t>(count, 1);
}

int32_t IntegerOf(const std::u16string& text) {
  return StrToIntDef(WideToAnsi(text), 0);
}

// Line breaks, spaces and tabs inside paragraph text are put into the whole
// text at their place: spaces and tabs as they are, a line break as a line
// feed (which the collapsed document text never holds otherwise).
void PutInlineSpacing(XmlParser& sender, XmlNode* parent, const std::u16string& name,
                      const std::u16string& value, const std::u16string& attributes) {
  if (parent == nullptr)
    return;
  std::u16string literal;
  if (name == u"text:line-break")
    literal = u"\n";
  else if (name == u"text:s")
    literal.assign(SpaceCount(attributes), u' ');
  else if (name == u"text:tab")
    literal = u"\t";
  else
    return;
  if (parent->Name == "text:p")
    parent->AppendValue(value + literal);
  sender.AppendLiteralText(literal);
}

// The value of the first element of that name in item's subtree (how this
// reader finds a style name); "" when there is none.
std::u16string ChildValue(XmlNode& item, std::string_view name) {
  XmlNode* child = item.ItemByName(name);
  return child ? child->GetValue() : std::u16string();
}

// A heading's outline level from its start tag, 1 to 6; 1 when it gives
// none.
uint8_t OutlineLevel(const XmlNode& heading) {
  std::u16string attributes;
  for (char c : heading.AttributeText)
    attributes += static_cast<char16_t>(static_cast<unsigned char>(c)); // ASCII is what counts
  std::u16string_view digits = RawAttributeValue(attributes, u"text:outline-level").value_or(u"");
  int level = 0;
  for (size_t i = 0; i < digits.size() && digits[i] >= u'0' && digits[i] <= u'9' && level < 6; ++i)
    level = level * 10 + (digits[i] - u'0');
  return static_cast<uint8_t>(std::clamp(level, 1, 6));
}

Inline Piece(InlineKind kind, std::u16string text = {}, int32_t value = 0) {
  Inline piece;
  piece.kind = kind;
  piece.text = std::move(text);
  piece.value = value;
  return piece;
}

Block BlockOf(BlockKind kind, std::u16string style = {}) {
  Block block;
  block.kind = kind;
  block.style = std::move(style);
  return block;
}

// The pieces of a paragraph's whole text, split at its line breaks.
std::vector<Inline> ParagraphContent(std::u16string_view text) {
  std::vector<Inline> content;
  while (!text.empty()) {
    size_t lineFeed = text.find(u'\n');
    if (lineFeed != 0)
      content.push_back(Piece(InlineKind::Text, std::u16string(text.substr(0, lineFeed))));
    if (lineFeed == std::u16string_view::npos)
      break;
    content.push_back(Piece(InlineKind::LineBreak));
    text.remove_prefix(lineFeed + 1);
  }
  return content;
}

// A paragraph or heading (or a span or link outside any paragraph) with its
// whole text, spans and links inside it included.
Block TextBlock(XmlNode& item) {
  Block block = BlockOf(BlockKind::Paragraph, ChildValue(item, "text:style-name"));
  if (item.Name == "text:h") {
    block.kind = BlockKind::Heading;
    block.level = OutlineLevel(item);
  }
  block.content = ParagraphContent(item.WholeText());
  return block;
}

// The style as a rule of the style sheet: its name, its family and, for a
// style of text, its font, colours and alignment.
Block StyleRule(const OpenDocumentStyle& style) {
  Block rule = BlockOf(BlockKind::StyleRule, AnsiToWide(style.StyleName));
  rule.content.push_back(Piece(InlineKind::StyleFamily, AnsiToWide(style.StyleFamily)));
  if (const auto* text = dynamic_cast<const TextStyle*>(&style)) {
    const FontFace& font = text->TextFont;
    Inline face = Piece(InlineKind::TextFont, AnsiToWide(font.Name), font.Size);
    face.marks = static_cast<Marks>((font.Bold ? kBold : 0) | (font.Italic ? kItalic : 0) |
                                    (font.Underline ? kUnderline : 0));
    rule.content.push_back(std::move(face));
    rule.content.push_back(
        Piece(InlineKind::TextColor, {}, static_cast<int32_t>(font.Color & 0xFFFFFF)));
    rule.content.push_back(
        Piece(InlineKind::Background, {}, static_cast<int32_t>(text->Color & 0xFFFFFF)));
    rule.content.push_back(Piece(InlineKind::Alignment, {}, text->Alignment));
  }
  return rule;
}

// An item the walk has left is done with (what its ancestors look for in
// it they found where the walk entered them): its value and children go, so
// that a large body is not held twice, as a tree and as blocks.
void Release(XmlNode& item) {
  item.Items.Clear();
  item.ReleaseValue();
}

} // namespace

void OpenDocumentReader::Parse(std::string_view bytes) {
  Doc().markup = MarkupConvention::OpenDocument;
  Summary();
  FStyles.clear();
  ZipArchive zip(ResourceLimits());
  MemoryStream stream{std::string(bytes)};
  zip.LoadFromStream(stream);
  // A password-protected package keeps its parts encrypted, as its manifest
  // says; read as they are they would give an empty document.
  if (zip.GetFileByName("META-INF/manifest.xml").find("encryption-data") != std::string::npos)
    throw Exception("Could not read the password protected file");
  if (ParseItems().Contains(ContentItem::Text))
    ParseContent(zip, "content.xml");
  if (ParseItems().Contains(ContentItem::Summary))
    ReadMeta(zip, "meta.xml");
  AddBlock(Doc().Main(), BlockOf(BlockKind::DocumentEnd));
}

void OpenDocumentReader::ParseContent(const ZipArchive& zip, const std::string& member) {
  XmlParser engine;
  engine.SetLimits(ResourceLimits());
  engine.SetTextCodePage(TextCodePage());
  engine.OnTag = [](XmlParser& sender, XmlNode* parent, const std::u16string& name,
                    const std::u16string& value, const std::u16string& attributes,
                    bool&) { PutInlineSpacing(sender, parent, name, value, attributes); };
  engine.LoadFromBytes(zip.GetFileByName(member)); // the bytes go once the tree is made
  if (XmlNode* styles = engine.FindItem(nullptr, "office:automatic-styles")) {
    ReadStyles(*styles);
    AddStyleSheet();
  }
  if (XmlNode* body = engine.FindItem(nullptr, FBodyName))
    if (XmlNode* content = engine.FindItem(body, FContentName))
      WalkContent(*content, Doc().Main());
}

void OpenDocumentReader::AddStyleSheet() {
  Story& sheet = Doc().AddStory(StoryKind::StyleSheet);
  for (const auto& style : FStyles)
    AddBlock(sheet, StyleRule(*style));
}

// The body in document order, with a stack of its own.  A paragraph or
// heading gives one block of its whole text; spans, links and paragraphs
// inside it are part of that block and give none of their own.  Tables,
// lists and slides give the boundaries of their parts wherever they stand.
void OpenDocumentReader::WalkContent(XmlNode& content, Story& story) {
  auto enter = [&](XmlNode& item, int paragraphDepth) {
    const std::string& name = item.Name;
    if ((IsParagraph(name) || name == "text:a" || name == "text:span") && paragraphDepth == 0) {
      AddBlock(story, TextBlock(item));
    } else if (name == "draw:image") {
      if (XmlNode* href = item.ItemByName("xlink:href")) {
        Block picture = BlockOf(BlockKind::Picture);
        Inline source = Piece(InlineKind::Picture);
        source.target = href->GetValue();
        picture.content.push_back(std::move(source));
        AddBlock(story, std::move(picture));
      }
    } else if (name == "table:table") {
      AddBlock(story, BlockOf(BlockKind::TableStart, ChildValue(item, "text:style-name")));
    } else if (name == "table:table-row") {
      AddBlock(story, BlockOf(BlockKind::RowStart));
    } else if (name == "table:table-cell") {
      AddBlock(story, BlockOf(BlockKind::CellStart));
    } else if (name == "text:list") {
      AddBlock(story, BlockOf(BlockKind::ListStart));
    } else if (name == "text:list-item") {
      AddBlock(story, BlockOf(BlockKind::ListItemStart));
    }
    return paragraphDepth + (IsParagraph(name) ? 1 : 0);
  };
  auto leave = [&](XmlNode& item) {
    const std::string& name = item.Name;
    if (name == "text:list-item")
      AddBlock(story, BlockOf(BlockKind::ListItemEnd));
    else if (name == "text:list")
      AddBlock(story, BlockOf(BlockKind::ListEnd));
    else if (name == "table:table-cell")
      AddBlock(story, BlockOf(BlockKind::CellEnd));
    else if (name == "table:table-row")
      AddBlock(story, BlockOf(BlockKind::RowEnd));
    else if (name == "table:table")
      AddBlock(story, BlockOf(BlockKind::TableEnd));
    else if (name == "draw:page")
      AddBlock(story, BlockOf(BlockKind::SlideBreak));
    Release(item);
  };
  // The state: paragraphs and headings around the item.
  WalkItems(content, 0, enter, leave);
}

void OpenDocumentReader::ReadMeta(const ZipArchive& zip, const std::string& member) {
  XmlParser engine;
  engine.SetLimits(ResourceLimits());
  engine.SetTextCodePage(TextCodePage());
  engine.LoadFromBytes(zip.GetFileByName(member));
  XmlNode* meta = engine.FindItem(nullptr, "office:meta");
  if (meta == nullptr)
    return;
  meta->ParseAttributes();
  auto value = [&](XmlNode* from, std::string_view name) {
    XmlNode* item = engine.FindItem(from, name);
    return item ? item->GetValue() : std::u16string();
  };
  DocumentSummary& s = Summary();
  s.AppName = value(meta, "meta:generator");
  s.Title = value(meta, "dc:title");
  s.Subject = value(meta, "dc:subject");
  s.Author = value(meta, "meta:initial-creator");
  s.Keywords = value(meta, "meta:keyword");
  s.Comments = value(meta, "dc:description");
  s.LastAuthor = value(meta, "dc:creator");
  if (XmlNode* templ = engine.FindItem(meta, "meta:template")) {
    templ->ParseAttributes();
    s.Template = value(templ, "xlink:title") + u" " + value(templ, "xlink:href");
  }
  s.Created = XmlDateToDateTime(value(meta, "meta:creation-date"));
  s.LastSaved = XmlDateToDateTime(value(meta, "dc:date"));
  s.EditTime = static_cast<int32_t>(
      std::min<int64_t>(ParseDuration(value(meta, "meta:editing-duration")) / 60, INT32_MAX));
  if (XmlNode* statistics = engine.FindItem(meta, "meta:document-statistic")) {
    statistics->ParseAttributes();
    s.PageCount = IntegerOf(value(statistics, "meta:page-count"));
    s.WordCount = IntegerOf(value(statistics, "meta:word-count"));
    s.CharCount = IntegerOf(value(statistics, "meta:character-count"));
    s.ParagraphCount = IntegerOf(value(statistics, "meta:paragraph-count"));
    s.CharCount2 = IntegerOf(value(statistics, "meta:non-whitespace-character-count"));
  }
}

} // namespace scrivlet
