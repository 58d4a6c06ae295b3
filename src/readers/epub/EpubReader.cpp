#include "readers/epub/EpubReader.h"
#include "core/Ascii.h"

#include "core/CaseFolding.h"
#include "core/CodePage.h"
#include "core/DateTime.h"
#include "core/Exception.h"
#include "xml/XmlParser.h"
#include "zip/ZipArchive.h"

#include <map>
#include <set>
#include <unordered_map>
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

// What names one ZIP member: members are found ignoring letter case, and
// with "\\" standing for "/".
constexpr std::string_view kContainer = "meta-inf/container.xml"; // as MemberKey spells it

std::string MemberKey(std::string_view path) {
  std::string key(path);
  for (char& c : key)
    c = c == '\\' ? '/' : AsciiLower(c);
  return key;
}

// What an entry of the manifest's maps costs besides its text.
constexpr uint64_t kEntryBytes = 128;

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
  ZipArchive zip(ResourceLimits(), &Budget());
  MemoryStream stream{std::string(bytes)};
  zip.LoadFromStream(stream);
  FReferences.clear();
  bool package = ParseContainer(zip, "META-INF/container.xml");
  // A book zipped with the folder it was in has its container one folder
  // down; the paths it names are from that folder.
  if (!package) {
    const std::string container = ContainerBelowAFolder(zip);
    if (!container.empty())
      package =
          ParseContainer(zip, container, container.substr(0, container.size() - kContainer.size()));
  }
  // Without a package document, the (X)HTML members are the chapters: a
  // book that holds text never converts to nothing.
  if (!package && ParseItems().Contains(ContentItem::Text))
    ConvertRecoveredDocuments(zip);
  ResolveNotes(FReferences);
  FReferences.clear();
}

// The shortest member name ending in "/META-INF/container.xml", or "".
std::string EpubReader::ContainerBelowAFolder(const ZipArchive& zip) {
  std::string found;
  for (const auto& file : zip.Files()) {
    const std::string name = MemberKey(file.FileName);
    if (name.size() > kContainer.size() && name.ends_with(kContainer) &&
        name[name.size() - kContainer.size() - 1] == '/' &&
        (found.empty() || name.size() < found.size()))
      found = file.FileName;
  }
  return found;
}

bool EpubReader::ParseContainer(const ZipArchive& zip, const std::string& path,
                                const std::string& root) {
  XmlParser engine;
  engine.SetLimits(ResourceLimits());
  engine.SetBudget(&Budget());
  engine.SetTextCodePage(TextCodePage());
  engine.LoadFromBytes(zip.GetFileByName(path));
  XmlNode* rootfiles = engine.FindItem(nullptr, "rootfiles");
  if (rootfiles == nullptr)
    return false;
  bool found = false;
  // A package document listed again (under another spelling of its path,
  // too) is read once: each reading converts every chapter it lists.
  std::set<std::string> packages;
  for (int i = 0; i < rootfiles->Items.Count(); ++i) {
    XmlNode& rootfile = *rootfiles->Items[i];
    if (rootfile.Kind != XmlNodeKind::Element)
      continue;
    std::string fullPath = root + WideToUtf8(AttributeValue(engine, rootfile, "full-path"));
    if (!packages.insert(MemberKey(ResolveMemberPath("", fullPath))).second)
      continue;
    found = ParsePackage(zip, fullPath) || found;
  }
  return found;
}

// A damaged archive whose container or package document is lost (a file
// cut short keeps its first members, and the package document often comes
// after the content): the (X)HTML members it still holds are the chapters,
// in archive order, so that the text the file kept is converted.  Raises
// the archive's damage when none of them holds text.
void EpubReader::ConvertRecoveredDocuments(const ZipArchive& zip) {
  const size_t before = Doc().Main().blocks.size();
  const ZipEntries& files = zip.Files();
  for (size_t i = 0; i < files.size(); ++i) {
    const std::string name = MemberKey(files[i].FileName);
    if (name.ends_with(".xhtml") || name.ends_with(".html") || name.ends_with(".htm"))
      ConvertContentDocument(zip.GetFileData(static_cast<int>(i)));
  }
  if (Doc().Main().blocks.size() != before)
    return;
  if (!zip.Damage().empty())
    throw Exception("The archive is damaged: %s", {zip.Damage()});
  throw Exception("File %s is not a valid EPUB book: it has no package document and no "
                  "chapters",
                  {FileName()});
}

bool EpubReader::ParsePackage(const ZipArchive& zip, const std::string& path) {
  const std::string directory = path.substr(0, path.rfind('/') + 1);
  std::string coverId;
  std::string coverPath = "images/cover.jpg";
  bool found = false; // a content document the archive holds
  {
    XmlParser engine;
    engine.SetLimits(ResourceLimits());
    engine.SetBudget(&Budget());
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
          const bool content =
              Equals(AttributeValue(engine, item, "media-type"), u"application/xhtml+xml");
          item.Items.Clear(); // the attributes' items, read
          if (Equals(id, AnsiToWide(coverId, CP_UTF8))) {
            coverPath = href;
          } else if (content) {
            Budget().SpendMemory(kEntryBytes + id.size() * sizeof(char16_t) + 2 * href.size());
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
          if (converted.insert(MemberKey(member)).second) {
            found = found || zip.IndexOfFile(member) >= 0;
            ConvertContentDocument(zip, member);
          }
        };
        if (XmlNode* spine = engine.FindItem(nullptr, "spine")) {
          for (int i = 0; i < spine->Items.Count(); ++i) {
            XmlNode& itemref = *spine->Items[i];
            if (itemref.Kind != XmlNodeKind::Element || !NameIs(itemref, "itemref"))
              continue;
            const std::u16string idref = AttributeValue(engine, itemref, "idref");
            itemref.Items.Clear(); // the attributes' items, read
            // Each reference is paid for, also one to a document read
            // before (which is not read again).
            Budget().SpendWork(1 + idref.size());
            auto document = documents.find(idref);
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
  return found;
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
    else if (NameIs(item, "dc:language") && Doc().language.empty())
      Doc().language = item.GetValue(); // the book's main language comes first
    else if (NameIs(item, "meta")) {
      item.ParseAttributes();
      for (int k = 0; k < item.Items.Count(); ++k) {
        XmlNode& attribute = *item.Items[k];
        if (attribute.Kind != XmlNodeKind::Attribute || !NameIs(attribute, "name"))
          continue;
        if (Equals(attribute.GetRawValue(), u"calibre:timestamp"))
          s.Created = XmlDateToDateTime(AttributeValue(engine, item, "content"));
        else if (Equals(attribute.GetRawValue(), u"cover"))
          coverId = WideToAnsi(AttributeValue(engine, item, "content"), CP_UTF8);
      }
    }
  }
}

void EpubReader::ConvertContentDocument(const ZipArchive& zip, const std::string& path) {
  ConvertContentDocument(zip.GetFileByName(path));
}

void EpubReader::ConvertContentDocument(std::string bytes) {
  XmlParser engine;
  engine.SetLimits(ResourceLimits());
  engine.SetBudget(&Budget());
  engine.SetTextCodePage(TextCodePage());
  engine.LoadFromBytes(std::move(bytes));
  if (XmlNode* body = engine.FindItem(nullptr, "body")) {
    XhtmlBody converter(
        Doc(), [&](Story& story, Block block) { AddBlock(story, std::move(block)); }, FReferences,
        Budget());
    converter.Convert(*body);
  }
}

// The notes' labels and the references' fate, once every content document
// is read: a reference to a note the book holds shows the note's label; the
// others stay the links they were written as.  A note takes the label of its
// first reference, or its number when nothing refers to it.
void EpubReader::ResolveNotes(std::vector<XhtmlBody::ReferencePlace>& references) {
  std::vector<Note>& notes = Doc().notes;
  std::unordered_map<std::u16string, size_t> byId;
  for (size_t i = 0; i < notes.size(); ++i)
    byId.emplace(notes[i].id, i);
  for (const XhtmlBody::ReferencePlace& place : references) {
    std::vector<Block>& blocks =
        place.note == XhtmlBody::kMainStory ? Doc().Main().blocks : notes[place.note].blocks;
    if (place.block >= blocks.size() || place.piece >= blocks[place.block].content.size())
      continue;
    Inline& piece = blocks[place.block].content[place.piece];
    auto found = byId.find(piece.target);
    if (found == byId.end()) {
      piece.kind = InlineKind::Text;
      piece.text = place.text;
      piece.target = place.href;
    } else if (notes[found->second].label.empty()) {
      notes[found->second].label = piece.text;
    }
  }
  for (size_t i = 0; i < notes.size(); ++i)
    if (notes[i].label.empty())
      for (char c : std::to_string(i + 1))
        notes[i].label += static_cast<char16_t>(c);
}

} // namespace scrivlet
