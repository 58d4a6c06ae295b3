#include "readers/epub/EpubReader.h"
#include "core/Ascii.h"

#include "core/CaseFolding.h"
#include "core/CodePage.h"
#include "core/DateTime.h"
#include "xml/XmlParser.h"
#include "zip/ZipArchive.h"

#include <map>
#include <set>
#include <unordered_set>
#include <vector>

namespace scrivlet {
namespace {

bool Equals(std::u16string_view a, std::u16string_view b) {
  return SameNameText(false, a, b);
}

bool NameIs(const XmlNode& item, std::string_view name) {
  return SameNameText(false, AnsiToWide(item.Name, 1252), AnsiToWide(name, 1252));
}

// The value of an attribute of item, its attributes split first.
std::u16string AttributeValue(XmlParser& engine, XmlNode& item, std::string_view name) {
  item.ParseAttributes();
  XmlNode* attribute = engine.FindItem(&item, name);
  return attribute ? attribute->GetValue() : std::u16string();
}

std::string PercentDecode(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexDigitValue(text[i + 1]) >= 0 &&
        HexDigitValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigitValue(text[i + 1]) * 16 + HexDigitValue(text[i + 2]));
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
std::unordered_set<const XmlNode*> ItemsWithBlocksInside(XmlNode& root) {
  std::unordered_set<const XmlNode*> result;
  WalkItems(
      root, 0, [](XmlNode&, int) { return 0; },
      [&](XmlNode& done) {
        if (done.Parent != nullptr && &done != &root && (IsBlock(done.Name) || result.count(&done)))
          result.insert(done.Parent);
      });
  return result;
}

// What names one ZIP member: members are found ignoring letter case, and
// with "\\" standing for "/".
std::string MemberKey(std::string_view path) {
  std::string key(path);
  for (char& c : key)
    c = c == '\\' ? '/' : AsciiLower(c);
  return key;
}

// Joins repeated metadata with "; ".
void AppendField(std::u16string& field, const std::u16string& value) {
  if (value.empty())
    return;
  field += field.empty() ? value : u"; " + value;
}

} // namespace

std::string EpubReader::ResolveMemberPath(const std::string& directory, const std::string& href) {
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

void EpubReader::Parse(std::string_view bytes) {
  Doc().markup = MarkupConvention::Epub;
  Summary();
  FCoverImage = MemoryStream();
  Doc().textStarted = ParseItems().Contains(ContentItem::Text);
  ZipArchive zip(ResourceLimits());
  MemoryStream stream{std::string(bytes)};
  zip.LoadFromStream(stream);
  ParseContainer(zip, "META-INF/container.xml");
}

void EpubReader::ParseContainer(const ZipArchive& zip, const std::string& path) {
  XmlParser engine;
  engine.SetLimits(ResourceLimits());
  engine.SetTextCodePage(TextCodePage());
  engine.LoadFromBytes(zip.GetFileByName(path));
  XmlNode* rootfiles = engine.FindItem(nullptr, "rootfiles");
  if (rootfiles == nullptr)
    return;
  for (int i = 0; i < rootfiles->Items.Count(); ++i) {
    XmlNode& rootfile = *rootfiles->Items[i];
    if (rootfile.Kind != XmlNodeKind::Element)
      continue;
    ParsePackage(zip, WideToUtf8(AttributeValue(engine, rootfile, "full-path")));
  }
}

void EpubReader::ParsePackage(const ZipArchive& zip, const std::string& path) {
  const std::string directory = path.substr(0, path.rfind('/') + 1);
  std::string coverId;
  std::string coverPath = "images/cover.jpg";
  {
    XmlParser engine;
    engine.SetLimits(ResourceLimits());
    engine.SetTextCodePage(TextCodePage());
    engine.LoadFromBytes(zip.GetFileByName(path));
    if (ParseItems().Contains(ContentItem::Summary))
      if (XmlNode* metadata = engine.FindItem(nullptr, "metadata"))
        ReadMetadata(engine, *metadata, coverId);
    if (ParseItems().Contains(ContentItem::Text)) {
      if (XmlNode* manifest = engine.FindItem(nullptr, "manifest")) {
        // The manifest's content documents, by id and in manifest order.
        std::map<std::u16string, std::string> documents;
        std::vector<std::string> manifestOrder;
        manifest->ParseAttributes();
        for (int i = 0; i < manifest->Items.Count(); ++i) {
          XmlNode& item = *manifest->Items[i];
          if (item.Kind != XmlNodeKind::Element)
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
        // only when there is no spine.  A document listed again is not read
        // again: it keeps the place of its first mention.
        std::set<std::string> converted;
        auto convertOnce = [&](const std::string& href) {
          std::string member = ResolveMemberPath(directory, href);
          if (converted.insert(MemberKey(member)).second)
            ConvertContentDocument(zip, member);
        };
        if (XmlNode* spine = engine.FindItem(nullptr, "spine")) {
          for (int i = 0; i < spine->Items.Count(); ++i) {
            XmlNode& itemref = *spine->Items[i];
            if (itemref.Kind != XmlNodeKind::Element || !NameIs(itemref, "itemref"))
              continue;
            auto document = documents.find(AttributeValue(engine, itemref, "idref"));
            if (document != documents.end())
              convertOnce(document->second);
          }
        } else {
          for (const std::string& href : manifestOrder)
            convertOnce(href);
        }
      }
    }
  }
  FCoverImage = MemoryStream(zip.GetFileByName(ResolveMemberPath(directory, coverPath)));
}

void EpubReader::ReadMetadata(XmlParser& engine, XmlNode& metadata, std::string& coverId) {
  DocumentSummary& s = Summary();
  for (int i = 0; i < metadata.Items.Count(); ++i) {
    XmlNode& item = *metadata.Items[i];
    if (item.Kind != XmlNodeKind::Element)
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
        XmlNode& attribute = *item.Items[k];
        if (attribute.Kind != XmlNodeKind::Attribute || !NameIs(attribute, "name"))
          continue;
        if (Equals(attribute.GetRawValue(), u"calibre:timestamp"))
          s.Created = XmlDateToDateTime(AttributeValue(engine, item, "content"));
        else if (Equals(attribute.GetRawValue(), u"cover"))
          coverId = WideToAnsi(AttributeValue(engine, item, "content"));
      }
    }
  }
}

void EpubReader::ConvertContentDocument(const ZipArchive& zip, const std::string& path) {
  XmlParser engine;
  engine.SetLimits(ResourceLimits());
  engine.SetTextCodePage(TextCodePage());
  engine.LoadFromBytes(zip.GetFileByName(path));
  if (XmlNode* body = engine.FindItem(nullptr, "body"))
    ConvertXhtmlItem(*body, Doc().Main());
}

// The XHTML body in document order with a stack of its own: paragraphs and
// headings give a line of their whole text (inline elements in place).
void EpubReader::ConvertXhtmlItem(XmlNode& body, Story& story) {
  const std::unordered_set<const XmlNode*> withBlocks = ItemsWithBlocksInside(body);
  auto addBlock = [&](BlockKind kind, uint8_t level, std::u16string text) {
    Block block;
    block.kind = kind;
    block.level = level;
    if (!text.empty())
      block.content.push_back({InlineKind::Text, 0, 0, 0, std::move(text), {}});
    AddBlock(story, std::move(block));
  };
  auto line = [&](XmlNode& item) {
    const std::string& name = item.Name;
    bool heading = name.size() == 2 && name[0] == 'h';
    addBlock(heading ? BlockKind::Heading : BlockKind::Paragraph,
             heading ? static_cast<uint8_t>(name[1] - '0') : 0, item.WholeText());
  };
  // The state: an ancestor already gave this text its line.
  auto enter = [&](XmlNode& item, bool insideLine) {
    const std::string& name = item.Name;
    bool givesLine = false;
    if (!insideLine && IsParagraphOrHeading(name))
      givesLine = true;
    else if (!insideLine && IsOtherBlock(name) && !withBlocks.count(&item))
      givesLine = !item.WholeText().empty();
    if (givesLine)
      line(item);
    else if (name == "empty-line")
      addBlock(BlockKind::EmptyLine, 0, {});
    return insideLine || givesLine;
  };
  auto leave = [&](XmlNode& item) {
    if (item.Name == "section")
      addBlock(BlockKind::SectionEnd, 0, {});
  };
  WalkItems(body, false, enter, leave);
}

} // namespace scrivlet
