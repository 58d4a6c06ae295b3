#include "readers/fictionbook/VdWFB2.h"

#include "core/CodePage.h"
#include "xml/KxWXML.h"

#include <vector>

namespace scrivlet {

void TFictionBook::Clear() {
  TVdWBaseDocument::Clear();
  FSummaryInformation.Clear();
}

void TFictionBook::ParseStream(TStream& stream) {
  TVdWBaseDocument::ParseStream(stream);
  AddText(GetHeaderText(), OutputLines());
  ParseFictionBook(stream, OutputLines());
  AddText(GetFooterText(), OutputLines());
}

void TFictionBook::ParseFictionBook(TStream& stream, TWideStrings& lines) {
  TKxXMLEngine engine;
  engine.LoadFromStream(&stream);
  TKxXMLItem* book = engine.FindItem(&engine.RootItem(), "FictionBook");
  if (book == nullptr)
    return;
  if (ParseItems().Contains(wpiSummaryInformation))
    if (TKxXMLItem* description = engine.FindItem(book, "description"))
      ReadDescription(*description);
  if (ParseItems().Contains(wpiText))
    if (TKxXMLItem* body = engine.FindItem(book, "body"))
      ConvertBodyItem(*body, lines);
}

std::u16string TFictionBook::GetChildValue(TKxXMLItem* item, std::string_view name) {
  TKxXMLItem* child = item ? item->ItemByName(name) : nullptr;
  return child ? child->GetValue() : std::u16string();
}

std::u16string TFictionBook::GetAuthorName(TKxXMLItem* item) {
  TKxXMLItem* author = item ? item->ItemByName("author") : nullptr;
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

void TFictionBook::ReadDescription(TKxXMLItem& description) {
  TKxWordSummaryInformation& s = FSummaryInformation;
  if (TKxXMLItem* title = description.ItemByName("title-info")) {
    s.Keywords = WideToAnsi(GetChildValue(title, "keywords"));
    s.Category = WideToAnsi(GetChildValue(title, "gentre"));
    s.Title = WideToAnsi(GetChildValue(title, "book-title"));
    s.Author = WideToAnsi(GetAuthorName(title));
  }
  if (TKxXMLItem* document = description.ItemByName("document-info")) {
    s.Manager = WideToAnsi(GetAuthorName(document));
    s.RevNumber = WideToAnsi(GetChildValue(document, "version"));
  }
  if (TKxXMLItem* publish = description.ItemByName("publish-info"))
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
void TFictionBook::ConvertBodyItem(TKxXMLItem& body, TWideStrings& lines) {
  const TVdTextFormating formating = TextFormating();
  auto enter = [&](TKxXMLItem& item, bool) {
    if (IsTextLine(item.Name)) {
      std::u16string text = item.WholeText();
      ConvertSysChar(wscNone, text);
      if (formating == tfRTF)
        text += u"\\par ";
      else if (formating == tfHTML)
        text = u"<p>" + text + u"</p>";
      AddText(std::move(text), lines);
    } else if (item.Name == "empty-line") {
      AddText(formating == tfRTF    ? u"\r\n\\line "
              : formating == tfHTML ? u"<br>\r\n"
                                    : u"\r\n",
              lines);
    }
    return false;
  };
  auto leave = [&](TKxXMLItem& item) {
    if (item.Name == "section")
      AddText(ConvertSysChar(wscParagraph, std::u16string()), lines);
  };
  WalkItems(body, false, enter, leave);
}

} // namespace scrivlet
