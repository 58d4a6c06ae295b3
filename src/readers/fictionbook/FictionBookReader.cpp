#include "readers/fictionbook/FictionBookReader.h"

#include "core/CodePage.h"
#include "xml/XmlParser.h"

#include <vector>

namespace scrivlet {

void FictionBookReader::Parse(std::string_view bytes) {
  Doc().markup = MarkupConvention::FictionBook;
  Doc().textStarted = true; // the text's frame stands also without the text
  Summary();
  XmlParser engine;
  engine.SetLimits(ResourceLimits());
  engine.SetTextCodePage(TextCodePage());
  engine.LoadFromBytes(std::string(bytes));
  XmlNode* book = engine.FindItem(&engine.RootItem(), "FictionBook");
  if (book == nullptr)
    return;
  if (ParseItems().Contains(ContentItem::Summary))
    if (XmlNode* description = engine.FindItem(book, "description"))
      ReadDescription(*description);
  if (ParseItems().Contains(ContentItem::Text))
    if (XmlNode* body = engine.FindItem(book, "body"))
      ConvertBodyItem(*body, Doc().Main());
}

std::u16string FictionBookReader::GetChildValue(XmlNode* item, std::string_view name) {
  XmlNode* child = item ? item->ItemByName(name) : nullptr;
  return child ? child->GetValue() : std::u16string();
}

std::u16string FictionBookReader::GetAuthorName(XmlNode* item) {
  XmlNode* author = item ? item->ItemByName("author") : nullptr;
  std::u16string name;
  if (author != nullptr) {
    name = GetChildValue(author, "first-name");
    std::u16string middle = GetChildValue(author, "middle-name");
    if (!middle.empty() && !name.empty())
      name += u" " + middle;
    std::u16string last = GetChildValue(author, "last-name");
    if (!last.empty() && !name.empty())
      name += u" " + last;
  }
  // "nickname" is the element's name; "nicname" is read too, as it always
  // was.
  if (name.empty())
    name = GetChildValue(author, "nickname");
  if (name.empty())
    name = GetChildValue(author, "nicname");
  return name;
}

void FictionBookReader::ReadDescription(XmlNode& description) {
  DocumentSummary& s = Summary();
  if (XmlNode* title = description.ItemByName("title-info")) {
    s.Keywords = GetChildValue(title, "keywords");
    // The book's first "genre"; the misspelt "gentre" is read too, as it
    // always was.
    std::u16string genre = GetChildValue(title, "genre");
    s.Category = genre.empty() ? GetChildValue(title, "gentre") : genre;
    s.Title = GetChildValue(title, "book-title");
    s.Author = GetAuthorName(title);
  }
  if (XmlNode* document = description.ItemByName("document-info")) {
    s.Manager = GetAuthorName(document);
    s.RevNumber = GetChildValue(document, "version");
  }
  if (XmlNode* publish = description.ItemByName("publish-info"))
    s.Subject = GetChildValue(publish, "book-name");
}

namespace {

// The elements that hold a line of text: paragraphs, and the verse lines,
// subtitles, attributions and table cells that FictionBook keeps apart.
bool IsTextLine(const std::string& name) {
  return name == "p" || name == "v" || name == "subtitle" || name == "text-author" ||
         name == "td" || name == "th";
}

} // namespace

// Walks the body in document order: a paragraph gives a line of its whole
// text, an empty line a line break, and each section one more line after
// its content.  A paragraph inside another one is part of the outer line
// and gives none of its own, so that nested paragraphs cost their text once
// rather than once per level.
void FictionBookReader::ConvertBodyItem(XmlNode& body, Story& story) {
  auto addBlock = [&](BlockKind kind, std::u16string text) {
    Block block;
    block.kind = kind;
    if (!text.empty())
      block.content.push_back({InlineKind::Text, 0, 0, 0, std::move(text), {}});
    AddBlock(story, std::move(block));
  };
  // The state: an ancestor already gave this text its line.
  auto enter = [&](XmlNode& item, bool insideLine) {
    if (insideLine)
      return true;
    if (IsTextLine(item.Name)) {
      addBlock(BlockKind::Paragraph, item.WholeText());
      return true;
    }
    if (item.Name == "empty-line")
      addBlock(BlockKind::EmptyLine, {});
    return false;
  };
  auto leave = [&](XmlNode& item) {
    if (item.Name == "section")
      addBlock(BlockKind::SectionEnd, {});
  };
  WalkItems(body, false, enter, leave);
}

} // namespace scrivlet
