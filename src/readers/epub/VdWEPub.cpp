#include "readers/epub/VdWEPub.h"

#include "core/CodePage.h"
#include "core/KxWUtils.h"
#include "xml/KxWXML.h"
#include "zip/KxWZipFile.h"

#include <map>
#include <set>
#include <unordered_set>
#include <vector>

namespace scrivlet {
namespace {

bool Equals(std::u16string_view a, std::u16string_view b) {
  return SameNameText(false, a, b);
}

bool NameIs(const TKxXMLItem& item, std::string_view name) {
  return SameNameText(false, AnsiToWide(item.Name, 1252), AnsiToWide(name, 1252));
}

// The value of an attribute of item, its attributes split first.
std::u16string AttributeValue(TKxXMLEngine& engine, TKxXMLItem& item, std::string_view name) {
  item.ParseAttributes();
  TKxXMLItem* attribute = engine.FindItem(&item, name);
  return attribute ? attribute->GetValue() : std::u16string();
}

int HexDigit(char c) {
  return c >= '0' && c <= '9'   ? c - '0'
         : c >= 'a' && c <= 'f' ? c - 'a' + 10
         : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                : -1;
}

std::string PercentDecode(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
        HexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

// The part that XHTML headings and paragraphs are framed with in HTML.
bool IsParagraphOrHeading(const std::string& name) {
  return name == "p" || (name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6');
}

// Other XHTML blocks that hold text of their own when no block lies inside
// them: poems set line by line in "div"s, list items, table cells.
bool IsOtherBlock(const std::string& name) {
  static const std::set<std::string, std::less<>> kBlocks = {
      "div", "li",         "dt",      "dd",         "td",      "th",
      "pre", "blockquote", "caption", "figcaption", "address", "center"};
  return kBlocks.count(name) != 0;
}

bool IsBlock(const std::string& name) {
  return IsParagraphOrHeading(name) || IsOtherBlock(name);
}

// The items that have a block somewhere below them, found in one pass.
std::unordered_set<const TKxXMLItem*> ItemsWithBlocksInside(TKxXMLItem& root) {
  std::unordered_set<const TKxXMLItem*> result;
  WalkItems(
      root, 0, [](TKxXMLItem&, int) { return 0; },
      [&](TKxXMLItem& done) {
        if (done.Parent != nullptr && &done != &root && (IsBlock(done.Name) || result.count(&done)))
          result.insert(done.Parent);
      });
  return result;
}

// Joins repeated metadata with "; ".
void AppendField(std::string& field, const std::u16string& value) {
  std::string text = WideToAnsi(value);
  if (text.empty())
    return;
  field += field.empty() ? text : "; " + text;
}

} // namespace

void TKxWEPub::Clear() {
  TVdWBaseDocument::Clear();
  FSummaryInformation.Clear();
  FCoverImage = TMemoryStream();
}

std::string TKxWEPub::ResolveMemberPath(const std::string& directory, const std::string& href) {
  std::string decoded = PercentDecode(href.substr(0, href.find('#')));
  std::string path = decoded.starts_with("/") ? decoded.substr(1) : directory + decoded;
  std::vector<std::string> segments;
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    std::string segment =
        path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    if (segment == "..") {
      if (!segments.empty())
        segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.push_back(segment);
    }
    if (slash == std::string::npos)
      break;
    start = slash + 1;
  }
  std::string resolved;
  for (const auto& segment : segments)
    resolved += (resolved.empty() ? "" : "/") + segment;
  return resolved;
}

void TKxWEPub::ParseStream(TStream& stream) {
  TVdWBaseDocument::ParseStream(stream);
  const bool text = ParseItems().Contains(wpiText);
  if (text)
    AddText(GetHeaderText(), OutputLines());
  TZipArchive zip;
  zip.LoadFromStream(stream);
  ParseContainer(zip, "META-INF/container.xml");
  if (text)
    AddText(GetFooterText(), OutputLines());
}

void TKxWEPub::ParseContainer(const TZipArchive& zip, const std::string& path) {
  TKxXMLEngine engine;
  engine.LoadFromBytes(zip.GetFileByName(path));
  TKxXMLItem* rootfiles = engine.FindItem(nullptr, "rootfiles");
  if (rootfiles == nullptr)
    return;
  for (int i = 0; i < rootfiles->Items.Count(); ++i) {
    TKxXMLItem& rootfile = *rootfiles->Items[i];
    if (rootfile.Kind != xkElement)
      continue;
    ParsePackage(zip, WideToUtf8(AttributeValue(engine, rootfile, "full-path")));
  }
}

void TKxWEPub::ParsePackage(const TZipArchive& zip, const std::string& path) {
  const std::string directory = path.substr(0, path.rfind('/') + 1);
  std::string coverId;
  std::string coverPath = "images/cover.jpg";
  {
    TKxXMLEngine engine;
    engine.LoadFromBytes(zip.GetFileByName(path));
    if (ParseItems().Contains(wpiSummaryInformation))
      if (TKxXMLItem* metadata = engine.FindItem(nullptr, "metadata"))
        ReadMetadata(engine, *metadata, coverId);
    if (ParseItems().Contains(wpiText)) {
      if (TKxXMLItem* manifest = engine.FindItem(nullptr, "manifest")) {
        // The manifest's content documents, by id and in manifest order.
        std::map<std::u16string, std::string> documents;
        std::vector<std::string> manifestOrder;
        manifest->ParseAttributes();
        for (int i = 0; i < manifest->Items.Count(); ++i) {
          TKxXMLItem& item = *manifest->Items[i];
          if (item.Kind != xkElement)
            continue;
          item.ParseAttributes();
          if (!NameIs(item, "item"))
            continue;
          std::u16string id = AttributeValue(engine, item, "id");
          std::string href = WideToUtf8(AttributeValue(engine, item, "href"));
          if (Equals(id, AnsiToWide(coverId))) {
            coverPath = href;
          } else if (Equals(AttributeValue(engine, item, "media-type"), u"application/xhtml+xml")) {
            documents.emplace(id, href);
            manifestOrder.push_back(href);
          }
        }
        // Reading order: the spine's item references; the manifest's order
        // only when there is no spine.
        if (TKxXMLItem* spine = engine.FindItem(nullptr, "spine")) {
          for (int i = 0; i < spine->Items.Count(); ++i) {
            TKxXMLItem& itemref = *spine->Items[i];
            if (itemref.Kind != xkElement || !NameIs(itemref, "itemref"))
              continue;
            auto document = documents.find(AttributeValue(engine, itemref, "idref"));
            if (document != documents.end())
              ConvertContentDocument(zip, ResolveMemberPath(directory, document->second));
          }
        } else {
          for (const std::string& href : manifestOrder)
            ConvertContentDocument(zip, ResolveMemberPath(directory, href));
        }
      }
    }
  }
  FCoverImage = TMemoryStream(zip.GetFileByName(ResolveMemberPath(directory, coverPath)));
}

void TKxWEPub::ReadMetadata(TKxXMLEngine& engine, TKxXMLItem& metadata, std::string& coverId) {
  TKxWordSummaryInformation& s = FSummaryInformation;
  for (int i = 0; i < metadata.Items.Count(); ++i) {
    TKxXMLItem& item = *metadata.Items[i];
    if (item.Kind != xkElement)
      continue;
    if (NameIs(item, "dc:title"))
      AppendField(s.Title, item.GetValue());
    else if (NameIs(item, "dc:subject"))
      AppendField(s.Subject, item.GetValue());
    else if (NameIs(item, "dc:publisher"))
      AppendField(s.Company, item.GetValue());
    else if (NameIs(item, "dc:creator"))
      AppendField(s.Author, item.GetValue());
    else if (NameIs(item, "dc:description"))
      AppendField(s.Comments, item.GetValue());
    else if (NameIs(item, "meta")) {
      item.ParseAttributes();
      for (int k = 0; k < item.Items.Count(); ++k) {
        TKxXMLItem& attribute = *item.Items[k];
        if (attribute.Kind != xkAttribute || !NameIs(attribute, "name"))
          continue;
        if (Equals(attribute.GetRawValue(), u"calibre:timestamp"))
          s.Created = XmlDateToDateTime(AttributeValue(engine, item, "content"));
        else if (Equals(attribute.GetRawValue(), u"cover"))
          coverId = WideToAnsi(AttributeValue(engine, item, "content"));
      }
    }
  }
}

void TKxWEPub::ConvertContentDocument(const TZipArchive& zip, const std::string& path) {
  TKxXMLEngine engine;
  engine.LoadFromBytes(zip.GetFileByName(path));
  if (TKxXMLItem* body = engine.FindItem(nullptr, "body"))
    ConvertXhtmlItem(*body, OutputLines());
}

// The XHTML body in document order with a stack of its own: paragraphs and
// headings give a line of their whole text (inline elements in place).
void TKxWEPub::ConvertXhtmlItem(TKxXMLItem& body, TWideStrings& lines) {
  const TVdTextFormating formating = TextFormating();
  const std::unordered_set<const TKxXMLItem*> withBlocks = ItemsWithBlocksInside(body);
  auto line = [&](TKxXMLItem& item) {
    std::u16string text = item.WholeText();
    ConvertSysChar(wscNone, text);
    std::u16string tag = IsParagraphOrHeading(item.Name) ? AnsiToWide(item.Name, 1252) : u"p";
    if (formating == tfRTF)
      text += u"\\par ";
    else if (formating == tfHTML)
      text = u"<" + tag + u">" + text + u"</" + tag + u">";
    AddText(std::move(text), lines);
  };
  // The state: an ancestor already gave this text its line.
  auto enter = [&](TKxXMLItem& item, bool insideLine) {
    const std::string& name = item.Name;
    bool givesLine = false;
    if (!insideLine && IsParagraphOrHeading(name))
      givesLine = true;
    else if (!insideLine && IsOtherBlock(name) && !withBlocks.count(&item))
      givesLine = !item.WholeText().empty();
    if (givesLine)
      line(item);
    else if (name == "empty-line")
      AddText(formating == tfRTF    ? u"\r\n\\line "
              : formating == tfHTML ? u"<br>\r\n"
                                    : u"\r\n",
              lines);
    return insideLine || givesLine;
  };
  auto leave = [&](TKxXMLItem& item) {
    if (item.Name == "section")
      AddText(ConvertSysChar(wscParagraph, std::u16string()), lines);
  };
  WalkItems(body, false, enter, leave);
}

} // namespace scrivlet
