#include "readers/fictionbook/FictionBookReader.h"

#include "core/CodePage.h"
#include "readers/fictionbook/FictionBookBody.h"
#include "xml/XmlParser.h"

#include <vector>

namespace scrivlet {

void FictionBookReader::Parse(std::string_view bytes) {
  Doc().markup = MarkupConvention::FictionBook;
  Doc().textStarted = true; // the text's frame stands also without the text
  Summary();
  XmlParser engine;
  engine.SetLimits(ResourceLimits());
  engine.SetBudget(&Budget());
  engine.SetTextCodePage(TextCodePage());
  engine.LoadFromBytes(std::string(bytes));
  XmlNode* book = engine.FindItem(&engine.RootItem(), "FictionBook");
  if (book == nullptr)
    return;
  if (ParseItems().Contains(ContentItem::Summary))
    if (XmlNode* description = engine.FindItem(book, "description"))
      ReadDescription(*description);
  if (!ParseItems().Contains(ContentItem::Text))
    return;
  XmlNode* body = engine.FindItem(book, "body");
  FictionBookInlines::NoteLabels labels, inNotes, inText;
  ReadNotes(*book, body, labels, inNotes);
  if (body != nullptr)
    ConvertBodyItem(*body, Doc().Main(), labels, inText);
  // A note shows the label its first reference shows, as the text has it.
  for (Note& note : Doc().notes) {
    auto found = inText.find(note.id);
    if (found == inText.end())
      found = inNotes.find(note.id);
    if (found != inNotes.end() && found != inText.end())
      note.label = found->second;
  }
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
    Doc().language = GetChildValue(title, "lang");
  }
  if (XmlNode* document = description.ItemByName("document-info")) {
    s.Manager = GetAuthorName(document);
    s.RevNumber = GetChildValue(document, "version");
  }
  if (XmlNode* publish = description.ItemByName("publish-info"))
    s.Subject = GetChildValue(publish, "book-name");
}

namespace {

bool IsNotesBody(XmlNode& body) {
  std::u16string name = FictionBookInlines::AttributeValue(body, "name");
  return name == u"notes" || name == u"comments";
}

// The sections of the notes bodies that are notes: those with an id, not
// inside another such section.  visit(section, id) for each.
template <class Visit> void ForEachNoteSection(const std::vector<XmlNode*>& bodies, Visit visit) {
  for (XmlNode* body : bodies) {
    WalkItems(
        *body, false,
        [&](XmlNode& item, bool insideNote) {
          if (insideNote || item.Kind != XmlNodeKind::Element || item.Name != "section")
            return insideNote;
          std::u16string id = FictionBookInlines::AttributeValue(item, "id");
          if (id.empty())
            return false;
          visit(item, std::move(id));
          return true;
        },
        [](XmlNode&) {});
  }
}

} // namespace

// The book's notes: the sections of the bodies named "notes" and
// "comments", each a note whose label is its title (or its number) until
// a reference shows another.  The
// labels are gathered first, so that notes may refer to each other.
void FictionBookReader::ReadNotes(XmlNode& book, XmlNode* main,
                                  FictionBookInlines::NoteLabels& labels,
                                  FictionBookInlines::NoteLabels& referenceLabels) {
  std::vector<XmlNode*> bodies;
  for (int i = 0; i < book.Items.Count(); ++i) {
    XmlNode* item = book.Items[i];
    if (item != main && item->Kind == XmlNodeKind::Element && item->Name == "body" &&
        IsNotesBody(*item))
      bodies.push_back(item);
  }
  std::vector<std::u16string> order;
  ForEachNoteSection(bodies, [&](XmlNode& section, std::u16string id) {
    std::u16string label;
    if (XmlNode* title = FirstChild(section, "title"))
      label = FictionBookInlines::NoteLabel(title->WholeText());
    if (label.empty())
      label = NumberLabel(order.size() + 1);
    if (labels.emplace(id, std::move(label)).second)
      order.push_back(std::move(id));
  });
  Story scratch;
  FictionBookBody converter(labels, referenceLabels,
                            [&](Block block) { AddBlock(scratch, std::move(block)); });
  size_t next = 0;
  ForEachNoteSection(bodies, [&](XmlNode& section, const std::u16string& id) {
    if (next >= order.size() || order[next] != id)
      return; // a second section of the same id
    ++next;
    Note& note = Doc().notes.emplace_back();
    note.id = id;
    note.label = labels.at(id);
    scratch.blocks.clear();
    converter.Convert(section, true);
    note.blocks = std::move(scratch.blocks);
  });
}

XmlNode* FictionBookReader::FirstChild(XmlNode& item, std::string_view name) {
  for (int i = 0; i < item.Items.Count(); ++i)
    if (item.Items[i]->Kind == XmlNodeKind::Element && item.Items[i]->Name == name)
      return item.Items[i];
  return nullptr;
}

std::u16string FictionBookReader::NumberLabel(size_t number) {
  std::u16string label;
  for (char c : std::to_string(number))
    label += static_cast<char16_t>(c);
  return label;
}

// The main body in document order: a paragraph gives a block of its whole
// text, an empty line a block of its own, and each section one more block
// after its content.
void FictionBookReader::ConvertBodyItem(XmlNode& body, Story& story,
                                        const FictionBookInlines::NoteLabels& labels,
                                        FictionBookInlines::NoteLabels& referenceLabels) {
  FictionBookBody converter(labels, referenceLabels,
                            [&](Block block) { AddBlock(story, std::move(block)); });
  converter.Convert(body, false);
}

} // namespace scrivlet
