// OpenDocument content and metadata.
#include "readers/opendocument/OpenDocumentReader.h"

#include "core/CodePage.h"
#include "core/DateTime.h"
#include "core/Exception.h"
#include "core/Numbers.h"
#include "core/Stream.h"
#include "core/Utf8.h"
#include "readers/opendocument/ElementAttribute.h"
#include "readers/opendocument/ParagraphContent.h"
#include "xml/RawAttribute.h"
#include "xml/XmlParser.h"
#include "zip/ZipArchive.h"

#include <algorithm>

namespace scrivlet {
namespace {

// Names are compared as views: their lengths first.
bool IsParagraph(std::string_view name) {
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
  return StrToIntDef(WideToAnsi(text, CP_UTF8), 0);
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

// A heading's outline level from its start tag, 1 to 9; 1 when it gives
// none.
uint8_t OutlineLevel(const XmlNode& heading) {
  std::u16string attributes;
  for (char c : heading.AttributeText)
    attributes += static_cast<char16_t>(static_cast<unsigned char>(c)); // ASCII is what counts
  std::u16string_view digits = RawAttributeValue(attributes, u"text:outline-level").value_or(u"");
  int level = 0;
  for (size_t i = 0; i < digits.size() && digits[i] >= u'0' && digits[i] <= u'9' && level < 9; ++i)
    level = level * 10 + (digits[i] - u'0');
  return static_cast<uint8_t>(std::clamp(level, 1, 9));
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

// The first child of that name, or nullptr.
XmlNode* ChildNamed(XmlNode& item, std::string_view name) {
  for (int i = 0; i < item.Items.Count(); ++i)
    if (item.Items[i]->Name == name)
      return item.Items[i];
  return nullptr;
}

// The style as a rule of the style sheet: its name, its family and, for a
// style of text, its font, colours and alignment.
Block StyleRule(const OpenDocumentStyle& style) {
  Block rule = BlockOf(BlockKind::StyleRule, AnsiToWide(style.StyleName, CP_UTF8));
  rule.content.push_back(Piece(InlineKind::StyleFamily, AnsiToWide(style.StyleFamily, CP_UTF8)));
  if (const auto* text = dynamic_cast<const TextStyle*>(&style)) {
    const FontFace& font = text->TextFont;
    Inline face = Piece(InlineKind::TextFont, AnsiToWide(font.Name, CP_UTF8), font.Size);
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
  ZipArchive zip(ResourceLimits(), &Budget());
  MemoryStream stream{std::string(bytes)};
  zip.LoadFromStream(stream);
  // A password-protected package keeps its parts encrypted, as its manifest
  // says.
  std::string manifest = zip.GetFileByName("META-INF/manifest.xml");
  FEncrypted = manifest.find("encryption-data") != std::string::npos;
  FEncryptedMembers.clear();
  FEncryptedMembers = ReadEncryptedMembers(std::move(manifest), ResourceLimits());
  if (ParseItems().Contains(ContentItem::Text))
    ParseContent(zip, "content.xml");
  if (ParseItems().Contains(ContentItem::Summary))
    ReadMeta(zip, "meta.xml");
  AddBlock(Doc().Main(), BlockOf(BlockKind::DocumentEnd));
}

std::string OpenDocumentReader::Member(const ZipArchive& zip, const std::string& name) {
  auto encrypted = FEncryptedMembers.find(name);
  if (encrypted == FEncryptedMembers.end())
    return zip.GetFileByName(name);
  std::string stored = zip.GetFileByName(name);
  if (stored.empty())
    return stored; // listed, but not in the archive
  const EncryptedMember& member = encrypted->second;
  Budget().SpendKeyDerivation(member.encryption.iterations, ResourceLimits().keyDerivationRounds);
  std::optional<std::string> deflated = DecryptPackageMember(
      stored, member.encryption, WideToUtf8(AnsiToWide(Password(), Options().systemCodePage)));
  if (!deflated)
    throw PasswordError(FileName(), !Password().empty());
  return zip.InflateDecoded(*deflated, member.size, name);
}

void OpenDocumentReader::ParseContent(const ZipArchive& zip, const std::string& member) {
  XmlParser engine;
  engine.SetLimits(ResourceLimits());
  engine.SetBudget(&Budget());
  engine.SetTextCodePage(TextCodePage());
  engine.OnTag = [](XmlParser& sender, XmlNode* parent, const std::u16string& name,
                    const std::u16string& value, const std::u16string& attributes,
                    bool&) { PutInlineSpacing(sender, parent, name, value, attributes); };
  engine.LoadFromBytes(Member(zip, member)); // the bytes go once the tree is made
  FStructure = StructureStyles();
  FStructure.SetMoreStyles([this, &zip](StructureStyles&) { ReadCommonStyles(zip); });
  if (XmlNode* styles = engine.FindItem(nullptr, "office:automatic-styles")) {
    FStructure.Read(*styles);
    ReadStyles(*styles);
    AddStyleSheet();
  }
  if (XmlNode* body = engine.FindItem(nullptr, FBodyName))
    if (XmlNode* content = engine.FindItem(body, FContentName))
      WalkContent(*content);
  FStructure.SetMoreStyles(nullptr); // the package goes with this call
}

// The common styles, where the named text and list styles are (their
// automatic styles belong to headers and footers, and their names may be
// those of the body's own).
void OpenDocumentReader::ReadCommonStyles(const ZipArchive& zip) {
  XmlParser engine;
  engine.SetLimits(ResourceLimits());
  engine.SetBudget(&Budget());
  engine.LoadFromBytes(Member(zip, "styles.xml"));
  if (XmlNode* styles = engine.FindItem(nullptr, "office:styles"))
    FStructure.Read(*styles);
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
// A note's body gives the note's blocks, an annotation those of the
// comments, which follow the document's other stories.
void OpenDocumentReader::WalkContent(XmlNode& content) {
  FLists.clear();
  FListNumbers.clear();
  FListStyles.clear();
  FCitedNotes.clear();
  FNoteIds.clear();
  FComments.blocks.clear();
  std::vector<Place> places; // one per item open around the walk
  WalkItems(
      content, 0,
      [&](XmlNode& item, int) {
        places.push_back(EnterItem(item, places.empty() ? Place() : places.back()));
        return 0;
      },
      [&](XmlNode& item) {
        LeaveItem(item, places.back());
        places.pop_back();
        Release(item);
      });
  if (!FComments.blocks.empty())
    Doc().AddStory(StoryKind::Comments).blocks = std::move(FComments.blocks);
}

OpenDocumentReader::Place OpenDocumentReader::EnterItem(XmlNode& item, const Place& outer) {
  const std::string_view name = item.Name;
  Place place = outer;
  if (outer.target == Target::Nowhere)
    return place;
  if (name == "text:tracked-changes") {
    place.target = Target::Nowhere;
    return place;
  }
  if ((IsParagraph(name) || name == "text:a" || name == "text:span") && outer.paragraphDepth == 0) {
    Put(outer, TextBlock(item));
    ++place.paragraphDepth; // what it holds is in its text
    return place;
  } else if (name == "text:note") {
    return NotePlace(item);
  } else if (name == "office:annotation") {
    return CommentPlace(item);
  } else if (name == "draw:image") {
    if (XmlNode* href = item.ItemByName("xlink:href")) {
      Block picture = BlockOf(BlockKind::Picture);
      Inline source = Piece(InlineKind::Picture);
      source.target = href->GetValue();
      picture.content.push_back(std::move(source));
      Put(outer, std::move(picture));
    }
  } else if (name == "table:table") {
    Put(outer, BlockOf(BlockKind::TableStart, ChildValue(item, "text:style-name")));
  } else if (name == "table:table-row") {
    Put(outer, BlockOf(BlockKind::RowStart));
  } else if (name == "table:table-cell") {
    Block cell = BlockOf(BlockKind::CellStart);
    cell.value = NumberAttribute(item, "table:number-columns-spanned", 1);
    // The rows that repeat on every page the table spans are its heading.
    const XmlNode* row = item.Parent;
    cell.header =
        row != nullptr && row->Parent != nullptr && row->Parent->Name == "table:table-header-rows";
    Put(outer, std::move(cell));
  } else if (name == "text:list") {
    Put(outer, ListStart(item));
  } else if (name == "text:list-item") {
    Put(outer, ListItemStart(item));
  } else if (name == "draw:page") {
    Put(outer, BlockOf(BlockKind::SlideBreak, ElementAttribute(item, "draw:name")));
  }
  place.paragraphDepth += IsParagraph(name) ? 1 : 0;
  return place;
}

void OpenDocumentReader::LeaveItem(XmlNode& item, const Place& place) {
  const std::string_view name = item.Name;
  if (place.target == Target::Nowhere)
    return;
  if (name == "text:list-item") {
    Put(place, BlockOf(BlockKind::ListItemEnd));
  } else if (name == "text:list") {
    Put(place, BlockOf(BlockKind::ListEnd));
    EndList();
  } else if (name == "table:table-cell") {
    Put(place, BlockOf(BlockKind::CellEnd));
  } else if (name == "table:table-row") {
    Put(place, BlockOf(BlockKind::RowEnd));
  } else if (name == "table:table") {
    Put(place, BlockOf(BlockKind::TableEnd));
  }
}

// A paragraph or heading (or a span or link outside any paragraph) with its
// whole text, spans and links inside it included, notes standing as their
// references.
Block OpenDocumentReader::TextBlock(XmlNode& item) {
  Block block = BlockOf(BlockKind::Paragraph, ChildValue(item, "text:style-name"));
  if (item.Name == "text:h") {
    block.kind = BlockKind::Heading;
    block.level = OutlineLevel(item);
  }
  block.content = FParagraphs.Read(item);
  return block;
}

// The note joins the document's notes, labelled with its citation (the
// count of notes when it has none) and known by its own identifier where
// that is one of a kind.
Inline OpenDocumentReader::CiteNote(XmlNode& note) {
  Note entry;
  entry.endnote = ElementAttribute(note, "text:note-class") == u"endnote";
  if (XmlNode* citation = ChildNamed(note, "text:note-citation"))
    entry.label = citation->WholeText();
  const size_t number = Doc().notes.size() + 1;
  if (entry.label.empty())
    entry.label = DecimalText(number);
  entry.id = ElementAttribute(note, "text:id");
  if (entry.id.empty() || FNoteIds.contains(entry.id))
    entry.id = u"note" + DecimalText(number);
  FNoteIds.insert(entry.id);
  Inline reference = Piece(InlineKind::NoteReference, entry.label);
  reference.target = entry.id;
  FCitedNotes[&note] = Doc().notes.size();
  Doc().notes.push_back(std::move(entry));
  return reference;
}

// A note's body fills the note its paragraph cited; a note no paragraph
// holds is kept all the same.
OpenDocumentReader::Place OpenDocumentReader::NotePlace(XmlNode& note) {
  Place place;
  place.target = Target::Note;
  if (auto cited = FCitedNotes.find(&note); cited != FCitedNotes.end()) {
    place.note = cited->second;
    FCitedNotes.erase(cited);
  } else {
    CiteNote(note);
    place.note = FCitedNotes[&note];
    FCitedNotes.erase(&note);
  }
  return place;
}

// An annotation's paragraphs go to the comments, after a line with its
// author and date.
OpenDocumentReader::Place OpenDocumentReader::CommentPlace(XmlNode& annotation) {
  Place place;
  place.target = Target::Comments;
  std::u16string heading;
  for (std::string_view name : {"dc:creator", "dc:date"}) {
    XmlNode* field = ChildNamed(annotation, name);
    std::u16string text = field ? field->WholeText() : std::u16string();
    if (!text.empty())
      heading += (heading.empty() ? u"" : u" ") + text;
  }
  if (!heading.empty()) {
    Block block = BlockOf(BlockKind::Paragraph);
    block.content.push_back(Piece(InlineKind::Text, std::move(heading)));
    Put(place, std::move(block));
  }
  return place;
}

// A list numbers its items or gives them bullets as its style says for its
// level; a nested list without a style of its own takes its outer list's.
Block OpenDocumentReader::ListStart(XmlNode& list) {
  OpenList open;
  std::u16string style = ElementAttribute(list, "text:style-name");
  if (!FLists.empty()) {
    open.level = FLists.back().level + 1;
    if (style.empty())
      open.style = FLists.back().style;
  }
  if (open.style == nullptr) {
    Budget().SpendWork(style.size());
    open.style = &*FListStyles.insert(std::move(style)).first;
  }
  ListLevelStyle level = FStructure.ListLevel(*open.style, open.level);
  open.ordered = level.ordered;
  open.next = level.start;
  if (ElementAttribute(list, "text:continue-numbering") == u"true" ||
      !ElementAttribute(list, "text:continue-list").empty())
    if (auto last = FListNumbers.find({open.style, open.level}); last != FListNumbers.end())
      open.next = last->second;
  Block block = BlockOf(BlockKind::ListStart);
  block.ordered = open.ordered;
  FLists.push_back(std::move(open));
  return block;
}

Block OpenDocumentReader::ListItemStart(XmlNode& item) {
  Block block = BlockOf(BlockKind::ListItemStart);
  if (FLists.empty() || !FLists.back().ordered)
    return block;
  OpenList& list = FLists.back();
  list.next = NumberAttribute(item, "text:start-value", list.next);
  block.value = list.next;
  list.next = std::min(list.next + 1, 1000000);
  return block;
}

void OpenDocumentReader::EndList() {
  if (FLists.empty())
    return;
  const OpenList& list = FLists.back();
  FListNumbers[{list.style, list.level}] = list.next;
  FLists.pop_back();
}

void OpenDocumentReader::Put(const Place& place, Block block) {
  switch (place.target) {
  case Target::Main: AddBlock(Doc().Main(), std::move(block)); return;
  case Target::Comments: AddBlock(FComments, std::move(block)); return;
  case Target::Note:
    if (place.note < Doc().notes.size()) {
      AddBlock(FScratch, std::move(block)); // counted as output
      Doc().notes[place.note].blocks.push_back(std::move(FScratch.blocks.back()));
      FScratch.blocks.clear();
    }
    return;
  case Target::Nowhere: return;
  }
}

void OpenDocumentReader::ReadMeta(const ZipArchive& zip, const std::string& member) {
  XmlParser engine;
  engine.SetLimits(ResourceLimits());
  engine.SetTextCodePage(TextCodePage());
  engine.LoadFromBytes(Member(zip, member));
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
  Doc().language = value(meta, "dc:language");
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
