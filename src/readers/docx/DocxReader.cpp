#include "readers/docx/DocxReader.h"
#include "core/Ascii.h"
#include "core/Markup.h"
#include "core/Numbers.h"

#include "core/CaseFolding.h"
#include "core/CodePage.h"
#include "core/DateTime.h"
#include "core/Exception.h"
#include "core/Process.h"
#include "storage/CompoundFile.h"
#include "xml/Entities.h"
#include "xml/RawAttribute.h"
#include "xml/XmlParser.h"
#include "zip/ZipArchive.h"

#include <algorithm>
#include <set>

namespace scrivlet {
namespace {

// Elements kept (their content parsed) without anything to do at their
// start.
constexpr std::u16string_view kPassThrough[] = {
    u"w:document", u"w:body", u"w:tabs", u"w:tab", u"w:br", u"w:pPr", u"w:hyperlink", u"w:smartTag",
    u"!--", u"w:hdr", u"w:ftr", u"mc:AlternateContent", u"mc:Choice", u"w:drawing", u"wp:anchor",
    u"a:graphic", u"a:graphicData", u"wps:wsp", u"wps:txbx", u"w:txbxContent",
    // The notes of the footnote and endnote parts carry their text.
    u"w:footnote", u"w:endnote",
    // Wrappers of visible text: content controls, simple fields, custom
    // XML, moved text and bidirectional runs.
    u"w:sdt", u"w:sdtContent", u"w:fldSimple", u"w:customXml", u"w:moveTo", u"w:dir", u"w:bdo"};

bool IsPassThrough(std::u16string_view name) {
  return std::find(std::begin(kPassThrough), std::end(kPassThrough), name) !=
         std::end(kPassThrough);
}

// "<font><b><i>" for a style whose name says Bold and Italic; "" for
// others.  The closing form reverses the wrapping.
std::u16string StyleMarkup(std::u16string_view style, bool closing) {
  std::u16string markup;
  bool bold = style.find(u"Bold") != std::u16string_view::npos;
  bool italic = style.find(u"Italic") != std::u16string_view::npos;
  if (bold)
    markup += closing ? u"</b>" : u"<b>";
  if (italic)
    markup += closing ? u"</i>" : u"<i>";
  if (!markup.empty())
    markup = closing ? markup + u"</font>" : u"<font>" + markup;
  return markup;
}

// The relationship identifier of a header or footer reference.
std::u16string ReferenceId(const std::u16string& attributes) {
  return std::u16string(RawAttributeValue(attributes, u"r:id").value_or(u""));
}

// Relationship identifiers compare ignoring letter case: the folded
// identifier is the key of one.
std::u16string FoldedId(std::u16string id) {
  for (char16_t& c : id)
    c = FoldCase(c);
  return id;
}

int32_t IntegerOf(const std::u16string& text) {
  return StrToIntDef(WideToAnsi(text), 0);
}

} // namespace

void DocxReader::LoadFromFile(const std::string& fileName) {
  std::string bytes = ReadWholeFile(fileName);
  if (!HasZipSignature(bytes))
    RefuseNonPackage(CompoundFile::TryOpen(std::move(bytes)).get(), fileName);
  MemoryStream stream(std::move(bytes));
  ParseStream(stream);
}

// A stream holds a package (a ZIP archive), or a compound file whose
// "Package" stream holds one, as Office embeds a document in another.
// Anything else is refused as a file would be, rather than read as an empty
// archive.
void DocxReader::LoadFromStream(Stream& stream) {
  int64_t saved = stream.Position();
  std::string data = stream.ReadRest();
  if (HasZipSignature(data)) {
    stream.SetPosition(saved);
    LegacyReader::LoadFromStream(stream);
    return;
  }
  auto storage =
      CompoundFile::HasSignature(data) ? CompoundFile::TryOpen(std::move(data)) : nullptr;
  if (storage) {
    if (auto package = storage->OpenStream(CompoundFile::kRoot, u"Package")) {
      ParseStream(*package);
      return;
    }
  }
  RefuseNonPackage(storage.get(), FileName());
}

void DocxReader::RefuseNonPackage(const CompoundFile* storage, const std::string& name) {
  // Office keeps a password-protected package encrypted in a compound file.
  if (storage &&
      storage->Find(CompoundFile::kRoot, u"EncryptedPackage", CompoundFile::ElementKind::Stream))
    throw Exception("Could not read the password protected file");
  throw Exception("File %s is not valid MS Word document", {name});
}

void DocxReader::ParseStream(Stream& stream) {
  LegacyReader::ParseStream(stream);
  FHeaderIds.Clear();
  FFooterIds.Clear();
  FParagraphTexts.assign(1, std::u16string());
  ZipArchive zip(ResourceLimits());
  zip.LoadFromStream(stream);
  // A member is there when GetFileByName finds it: by its name or, as some
  // Windows zip tools write it, with "\" separators.
  auto hasMember = [&zip](std::string name) {
    if (zip.IndexOfFile(name) >= 0)
      return true;
    std::replace(name.begin(), name.end(), '/', '\\');
    return zip.IndexOfFile(name) >= 0;
  };
  if (ParseItems().Contains(ContentItem::Text)) {
    if (hasMember("word/document.xml"))
      ParseMember(zip, "word/document.xml", OutputLines());
    else if (hasMember("word/document2.xml"))
      ParseMember(zip, "word/document2.xml", OutputLines());
    ParseMember(zip, "word/endnotes.xml", FStories.Endnotes);
    ParseMember(zip, "word/footnotes.xml", FStories.Footnotes);
    const Relationships relationships = ReadRelationships(zip);
    ParseReferencedParts(zip, relationships, FHeaderIds, FStories.Headers);
    ParseReferencedParts(zip, relationships, FFooterIds, FStories.Footers);
  }
  if (ParseItems().Contains(ContentItem::Summary)) {
    ReadPropertiesPart(zip, "docProps/core.xml");
    ReadPropertiesPart(zip, "docProps/app.xml");
  }
}

void DocxReader::ParseMember(const ZipArchive& zip, const std::string& member, TextLines& list) {
  MemoryStream stream(zip.GetFileByName(member));
  ParseXmlPart(stream, list);
}

void DocxReader::ParseXmlPart(Stream& stream, TextLines& list) {
  FTargetList = &list;
  if (std::u16string header = GetHeaderText(); !header.empty())
    AddText(std::move(header), list);
  struct FooterOnExit {
    DocxReader& reader;
    TextLines& list;
    ~FooterOnExit() {
      // Also after a failure; one of its own (the output limit) must not
      // leave a destructor.
      try {
        if (std::u16string footer = reader.GetFooterText(); !footer.empty())
          reader.AddText(std::move(footer), list);
      } catch (const Exception&) {
      }
    }
  } footer{*this, list};
  XmlParser engine;
  engine.SetLimits(ResourceLimits());
  engine.OnTag = [this](XmlParser& sender, XmlNode* parent, const std::u16string& name,
                        const std::u16string& value, const std::u16string& attributes,
                        bool& accept) { DoTag(sender, parent, name, value, attributes, accept); };
  engine.OnAfterTag = [this](XmlParser& sender, XmlNode*& node, bool& cancel) {
    DoAfterTag(sender, node, cancel);
  };
  engine.LoadFromStream(&stream);
}

void DocxReader::DoTag(XmlParser&, XmlNode* parent, const std::u16string& name,
                       const std::u16string& value, const std::u16string& attributes,
                       bool& accept) {
  const OutputFormat formating = TextFormating();
  const bool html = formating == OutputFormat::Html;
  auto parentIs = [&](std::string_view parentName) {
    return parent != nullptr && parent->Name == parentName;
  };
  if (name == u"w:p") {
    // A paragraph inside another one (text-box content) has a text of its
    // own; the outer one keeps what it gathered.
    FParagraphTexts.push_back(html ? u"<p>" : u"");
  } else if (name == u"w:t" || name == u"m:t" || name == u"w:delText") {
    accept = false;
    if (!FHiddenRun || ParseItems().Contains(ContentItem::HiddenText)) {
      std::u16string text = value;
      DecodeEntities(text);
      ParagraphText() += EscapeText(formating, text);
    }
  } else if (name == u"w:pStyle" || name == u"w:rFonts") {
    accept = formating != OutputFormat::PlainText;
  } else if (name == u"w:val" && parentIs("w:pStyle")) {
    if (html)
      ParagraphText() += StyleMarkup(value, false);
  } else if (name == u"w:r") {
    FHiddenRun = false;
  } else if (name == u"w:vanish") {
    accept = false;
    FHiddenRun = true;
  } else if (name == u"w:del") {
    ParagraphText() += html ? u"<s>" : u"-";
  } else if (name == u"w:ins") {
    ParagraphText() += html ? u"<u>" : u"+";
  } else if (name == u"w:tbl" || name == u"w:tr" || name == u"w:tc") {
    if (html)
      AddText(name == u"w:tbl"  ? u"<table border=\"1\">"
              : name == u"w:tr" ? u"  <tr>"
                                : u"    <td>",
              *FTargetList);
  } else if (name == u"w:headerReference" || name == u"w:footerReference") {
    std::u16string id = ReferenceId(attributes);
    if (!id.empty())
      (name == u"w:headerReference" ? FHeaderIds : FFooterIds).Add(std::move(id));
  } else if (name == u"w:rPr") {
    accept = !ParseItems().Contains(ContentItem::HiddenText);
  } else if (IsPassThrough(name)) {
    // kept
  } else if (name.starts_with(u"m:") && !name.ends_with(u"Pr")) {
    // Equations: their structure is kept so that their "m:t" texts are
    // reached; their properties are not.
  } else if (name == u"w:sectPr" && parentIs("w:pPr")) {
    // section properties inside a paragraph: their references are read
  } else {
    accept = parent != nullptr && EqualsIgnoringAsciiCase(parent->Name, "?xml");
  }
}

void DocxReader::DoAfterTag(XmlParser& sender, XmlNode*& node, bool&) {
  const OutputFormat formating = TextFormating();
  const bool html = formating == OutputFormat::Html;
  const std::string& name = node->Name;
  if (name == "w:tab") {
    if (node->Parent == nullptr || node->Parent->Name != "w:tabs")
      ParagraphText() += formating == OutputFormat::Rtf ? u"\\tab " : html ? u"&#9;" : u"\t";
    sender.FreeItem(node);
  } else if (name == "w:br") {
    ParagraphText() += formating == OutputFormat::Rtf ? u"\r\n\\par " : html ? u"<br/>" : u"\r\n";
    sender.FreeItem(node);
  } else if (name == "w:del" || name == "w:ins") {
    if (html)
      ParagraphText() += name == "w:del" ? u"</s>" : u"</u>";
  } else if (name == "w:tbl" || name == "w:tr" || name == "w:tc") {
    if (html)
      AddText(name == "w:tbl"  ? u"</table>"
              : name == "w:tr" ? u"  </tr>"
                               : u"    </td>",
              *FTargetList);
  } else if (name == "w:p") {
    if (formating != OutputFormat::PlainText)
      if (XmlNode* style = sender.FindItem(node, "w:pStyle"))
        if (XmlNode* val = sender.FindItem(style, "w:val"); val && html)
          ParagraphText() += StyleMarkup(val->GetValue(), true);
    if (html)
      ParagraphText() += u"</p>";
    FlushParagraph();
    sender.FreeItem(node);
  }
}

void DocxReader::FlushParagraph() {
  AddText(std::move(ParagraphText()), *FTargetList);
  if (FParagraphTexts.size() > 1)
    FParagraphTexts.pop_back();
  else
    FParagraphTexts.back().clear();
}

// The document's relationships, read once: folded identifier to target
// member, the first of equal identifiers standing.
DocxReader::Relationships DocxReader::ReadRelationships(const ZipArchive& zip) const {
  Relationships relationships;
  XmlParser engine;
  engine.SetLimits(ResourceLimits());
  engine.LoadFromBytes(zip.GetFileByName("word/_rels/document.xml.rels"));
  XmlNode* list = engine.FindItem(nullptr, "Relationships");
  if (list == nullptr)
    return relationships;
  for (int i = 0; i < list->Items.Count(); ++i) {
    XmlNode* relationship = list->Items[i];
    if (!EqualsIgnoringAsciiCase(relationship->Name, "Relationship"))
      continue;
    relationship->ParseAttributes();
    XmlNode* idItem = relationship->ItemByName("Id");
    if (idItem == nullptr)
      continue;
    XmlNode* target = relationship->ItemByName("Target");
    // A target is relative to the document part's folder, or, starting
    // with "/", to the package's root.
    std::string path = target ? WideToUtf8(target->GetValue()) : std::string();
    path = !path.empty() && path.front() == '/' ? path.substr(1) : "word/" + path;
    relationships.emplace(FoldedId(idItem->GetValue()), std::move(path));
  }
  return relationships;
}

// The parts that header or footer references name, in the order of their
// first reference; a part named again is not read again.
void DocxReader::ParseReferencedParts(const ZipArchive& zip, const Relationships& relationships,
                                      const TextLines& ids, TextLines& list) {
  std::set<std::string> parsed; // member names, ASCII letters folded
  for (int i = 0, count = ids.Count(); i < count; ++i) {
    auto found = relationships.find(FoldedId(ids.Get(i)));
    std::string member = found == relationships.end() ? "word/" : found->second;
    std::string key = AsciiLowerCase(member);
    std::replace(key.begin(), key.end(), '\\', '/'); // "\\" finds the same member
    if (parsed.insert(std::move(key)).second)
      ParseMember(zip, member, list);
  }
}

void DocxReader::ReadPropertiesPart(const ZipArchive& zip, const std::string& member) {
  XmlParser engine;
  engine.SetLimits(ResourceLimits());
  engine.LoadFromBytes(zip.GetFileByName(member));
  DocumentSummary& s = Summary();
  auto text = [&](XmlNode* root, std::string_view name) {
    XmlNode* item = engine.FindItem(root, name);
    return item ? item->GetValue() : std::u16string();
  };
  if (XmlNode* core = engine.FindItem(nullptr, "cp:coreProperties")) {
    s.Title = WideToAnsi(text(core, "dc:title"));
    s.Subject = WideToAnsi(text(core, "dc:subject"));
    s.Author = WideToAnsi(text(core, "dc:creator"));
    s.Keywords = WideToAnsi(text(core, "cp:keywords"));
    s.Comments = WideToAnsi(text(core, "dc:description"));
    s.LastAuthor = WideToAnsi(text(core, "cp:lastModifiedBy"));
    s.RevNumber = WideToAnsi(text(core, "cp:revision"));
    s.Category = WideToAnsi(text(core, "cp:category"));
    s.Created = XmlDateToDateTime(text(core, "dcterms:created"));
    s.LastSaved = XmlDateToDateTime(text(core, "dcterms:modified"));
  }
  if (XmlNode* app = engine.FindItem(nullptr, "Properties")) {
    s.Template = WideToAnsi(text(app, "Template"));
    s.EditTime = IntegerOf(text(app, "TotalTime"));
    s.PageCount = IntegerOf(text(app, "Pages"));
    s.WordCount = IntegerOf(text(app, "Words"));
    s.CharCount = IntegerOf(text(app, "Characters"));
    s.AppName = WideToAnsi(text(app, "Application"));
    s.LineCount = IntegerOf(text(app, "Lines"));
    s.ParagraphCount = IntegerOf(text(app, "Paragraphs"));
    s.Manager = WideToAnsi(text(app, "Manager"));
    s.Company = WideToAnsi(text(app, "Company"));
    s.CharCount2 = IntegerOf(text(app, "CharactersWithSpaces"));
  }
}

} // namespace scrivlet
