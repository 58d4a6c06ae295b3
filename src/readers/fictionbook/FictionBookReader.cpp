#include "readers/fictionbook/FictionBookReader.h"

#include "core/CodePage.h"
#include "xml/XmlParser.h"

#include <vector>

namespace scrivlet {

void FictionBookReader::Clear() {
  DocumentReader::Clear();
  Summary().Clear();
}

void FictionBookReader::ParseStream(Stream& stream) {
  DocumentReader::ParseStream(stream);
  AddText(GetHeaderText(), OutputLines());
  ParseFictionBook(stream, OutputLines());
  AddText(GetFooterText(), OutputLines());
}

void FictionBookReader::ParseFictionBook(Stream& stream, TextLines& lines) {
  XmlParser engine;
  engine.LoadFromStream(&stream);
  XmlNode* book = engine.FindItem(&engine.RootItem(), "FictionBook");
  if (book == nullptr)
    return;
  if (ParseItems().Contains(ContentItem::Summary))
    if (XmlNode* description = engine.FindItem(book, "description"))
      ReadDescription(*description);
  if (ParseItems().Contains(ContentItem::Text))
    if (XmlNode* body = engine.FindItem(book, "body"))
      ConvertBodyItem(*body, lines);
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
  if (name.empty())
    name = GetChildValue(author, "nicname");
  return name;
}

void FictionBookReader::ReadDescription(XmlNode& description) {
  DocumentSummary& s = Summary();
  if (XmlNode* title = description.ItemByName("title-info")) {
    s.Keywords = WideToAnsi(GetChildValue(title, "keywords"));
    s.Category = WideToAnsi(GetChildValue(title, "gentre"));
    s.Title = WideToAnsi(GetChildValue(title, "book-title"));
    s.Author = WideToAnsi(GetAuthorName(title));
  }
  if (XmlNode* document = description.ItemByName("document-info")) {
    s.Manager = WideToAnsi(GetAuthorName(document));
    s.RevNumber = WideToAnsi(GetChildValue(document, "version"));
  }
  if (XmlNode* publish = description.ItemByName("publish-info"))
    s.Subject = WideToAnsi(GetChildValue(publish, "book-name"));
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
// its content.
void FictionBookReader::ConvertBodyItem(XmlNode& body, TextLines& lines) {
  const OutputFormat formating = TextFormating();
  auto enter = [&](XmlNode& item, bool) {
    if (IsTextLine(item.Name)) {
      std::u16string text = item.WholeText(formating);
      ConvertSysChar(SpecialChar::None, text);
      if (formating == OutputFormat::Rtf)
        text += u"\\par ";
      else if (formating == OutputFormat::Html)
        text = u"<p>" + text + u"</p>";
      AddText(std::move(text), lines);
    } else if (item.Name == "empty-line") {
      AddText(formating == OutputFormat::Rtf    ? u"\r\n\\line "
              : formating == OutputFormat::Html ? u"<br>\r\n"
                                                : u"\r\n",
              lines);
    }
    return false;
  };
  auto leave = [&](XmlNode& item) {
    if (item.Name == "section")
      AddText(ConvertSysChar(SpecialChar::Paragraph, std::u16string()), lines);
  };
  WalkItems(body, false, enter, leave);
}

} // namespace scrivlet
