#include "readers/docx/DocxReader.h"
#include "core/Ascii.h"
#include "core/Numbers.h"

#include "core/CaseFolding.h"
#include "core/CodePage.h"
#include "core/DateTime.h"
#include "core/Exception.h"
#include "core/Stream.h"
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

Inline Piece(InlineKind kind, Marks marks, std::u16string text = {}) {
  Inline piece;
  piece.kind = kind;
  piece.marks = marks;
  piece.text = std::move(text);
  return piece;
}

int32_t IntegerOf(const std::u16string& text) {
  return StrToIntDef(WideToAnsi(text), 0);
}

} // namespace

void DocxReader::Parse(std::string_view bytes) {
  Doc().markup = MarkupConvention::WordXml;
  Summary();
  // The main story is written only once the document part is read.
  Doc().textRead = false;
  FHeaderIds.clear();
  FFooterIds.clear();
  FHiddenRun = false;
  ZipArchive zip(ResourceLimits());
  if (HasZipSignature(bytes))
    zip.LoadFromView(bytes); // the file's bytes, not copied
  else
    zip.LoadFromBytes(EmbeddedPackage(bytes));
  if (ParseItems().Contains(ContentItem::Text))
    ReadParts(zip);
  if (ParseItems().Contains(ContentItem::Summary)) {
    ReadPropertiesPart(zip, "docProps/core.xml");
    ReadPropertiesPart(zip, "docProps/app.xml");
  }
}

// What is not a package (a ZIP archive) may be, from standard input ("-")
// or a stream without a name, a compound file whose "Package" stream holds
// one, as Office embeds a document in another.  A named file must be the
// package itself.  Anything else is refused, rather than read as an empty
// archive.
std::string DocxReader::EmbeddedPackage(std::string_view bytes) const {
  auto storage = CompoundFile::HasSignature(bytes) ? CompoundFile::TryOpenView(bytes) : nullptr;
  const bool fromStream = FileName().empty() || FileName() == "-";
  if (storage && fromStream)
    if (auto package = storage->OpenStream(CompoundFile::kRoot, u"Package"))
      return package->ReadRest();
  RefuseNonPackage(storage.get());
}

void DocxReader::RefuseNonPackage(const CompoundFile* storage) const {
  // Office keeps a password-protected package encrypted in a compound file.
  if (storage &&
      storage->Find(CompoundFile::kRoot, u"EncryptedPackage", CompoundFile::ElementKind::Stream))
    throw Exception("Could not read the password protected file");
  throw Exception("File %s is not valid MS Word document", {FileName()});
}

void DocxReader::ReadParts(const ZipArchive& zip) {
  // A member is there when GetFileByName finds it: by its name or, as some
  // Windows zip tools write it, with "\" separators.
  auto hasMember = [&zip](std::string name) {
    if (zip.IndexOfFile(name) >= 0)
      return true;
    std::replace(name.begin(), name.end(), '/', '\\');
    return zip.IndexOfFile(name) >= 0;
  };
  if (hasMember("word/document.xml"))
    ParseMember(zip, "word/document.xml", StoryKind::Main);
  else if (hasMember("word/document2.xml"))
    ParseMember(zip, "word/document2.xml", StoryKind::Main);
  // The notes parts are stories even when the package has none (empty).
  ParseMember(zip, "word/endnotes.xml", StoryKind::Endnotes);
  ParseMember(zip, "word/footnotes.xml", StoryKind::Footnotes);
  const Relationships relationships = ReadRelationships(zip);
  ParseReferencedParts(zip, relationships, FHeaderIds, StoryKind::Headers);
  ParseReferencedParts(zip, relationships, FFooterIds, StoryKind::Footers);
}

void DocxReader::ParseMember(const ZipArchive& zip, const std::string& member, StoryKind kind) {
  std::string bytes = zip.GetFileByName(member);
  if (kind == StoryKind::Main) {
    Doc().textRead = true;
    ParseXmlPart(std::move(bytes), Doc().Main());
  } else {
    ParseXmlPart(std::move(bytes), Doc().AddStory(kind));
  }
}

void DocxReader::ParseXmlPart(std::string bytes, Story& story) {
  FStory = &story;
  FParagraphs.clear();
  FTables.clear();
  FTableRoles.clear();
  FDeletions = FInsertions = 0;
  XmlParser engine;
  engine.SetLimits(ResourceLimits());
  engine.SetTextCodePage(TextCodePage());
  engine.OnTag = [this](XmlParser&, XmlNode* parent, const std::u16string& name,
                        const std::u16string& value, const std::u16string& attributes,
                        bool& accept) { DoTag(parent, name, value, attributes, accept); };
  engine.OnAfterTag = [this](XmlParser& sender, XmlNode*& node, bool&) {
    DoAfterTag(sender, node);
  };
  MemoryStream stream(std::move(bytes));
  try {
    engine.LoadFromStream(&stream);
  } catch (...) {
    // What was read before the failure stays.
    PlaceOpenTables();
    throw;
  }
  // Elements the part never closed: their paragraphs are lost, their
  // tables kept as far as they came.
  PlaceOpenTables();
}

void DocxReader::DoTag(XmlNode* parent, const std::u16string& name, const std::u16string& value,
                       const std::u16string& attributes, bool& accept) {
  auto parentIs = [&](std::string_view parentName) {
    return parent != nullptr && parent->Name == parentName;
  };
  if (name == u"w:p") {
    FParagraphs.emplace_back();
  } else if (name == u"w:t" || name == u"m:t" || name == u"w:delText") {
    accept = false;
    if (!FHiddenRun || ParseItems().Contains(ContentItem::HiddenText)) {
      std::u16string text = value;
      DecodeEntities(text);
      AddText(std::move(text));
    }
  } else if (name == u"w:pStyle") {
    // kept for the style's name in a "w:val" element
  } else if (name == u"w:val" && parentIs("w:pStyle")) {
    if (!FParagraphs.empty() && FParagraphs.back().style.empty())
      FParagraphs.back().style = value;
  } else if (name == u"w:r") {
    FHiddenRun = false;
  } else if (name == u"w:vanish") {
    accept = false;
    FHiddenRun = true;
  } else if (name == u"w:del") {
    StartRevision(kDeleted);
  } else if (name == u"w:ins") {
    StartRevision(kInserted);
  } else if (name == u"w:tbl" || name == u"w:tr" || name == u"w:tc") {
    StartTableElement(name);
  } else if (name == u"w:headerReference" || name == u"w:footerReference") {
    std::u16string id = ReferenceId(attributes);
    if (!id.empty())
      (name == u"w:headerReference" ? FHeaderIds : FFooterIds).push_back(std::move(id));
  } else if (name == u"w:rPr") {
    // Run properties say what is hidden (and mark inserted or deleted
    // paragraph marks): of no use when hidden text is shown anyway.
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

void DocxReader::DoAfterTag(XmlParser& sender, XmlNode*& node) {
  const std::string& name = node->Name;
  if (name == "w:tab") {
    // A tab stop of the paragraph's properties is no tab character.
    if (node->Parent == nullptr || node->Parent->Name != "w:tabs")
      AddPiece(Piece(InlineKind::Tab, RunMarks()));
    sender.FreeItem(node);
  } else if (name == "w:br") {
    AddPiece(Piece(InlineKind::LineBreak, RunMarks()));
    sender.FreeItem(node);
  } else if (name == "w:del") {
    EndRevision(kDeleted);
  } else if (name == "w:ins") {
    EndRevision(kInserted);
  } else if (name == "w:tbl" || name == "w:tr" || name == "w:tc") {
    EndTableElement();
  } else if (name == "w:p") {
    FinishParagraph();
    sender.FreeItem(node);
  }
}

Marks DocxReader::RunMarks() const {
  Marks marks = 0;
  if (FDeletions > 0)
    marks |= kDeleted;
  if (FInsertions > 0)
    marks |= kInserted;
  return marks;
}

// Text outside any paragraph belongs nowhere and is dropped.
void DocxReader::AddPiece(Inline piece) {
  if (!FParagraphs.empty())
    FParagraphs.back().content.push_back(std::move(piece));
}

void DocxReader::AddText(std::u16string text) {
  if (!text.empty())
    AddPiece(Piece(InlineKind::Text, RunMarks(), std::move(text)));
}

void DocxReader::StartRevision(Mark mark) {
  (mark == kDeleted ? FDeletions : FInsertions)++;
  AddPiece(Piece(InlineKind::RevisionStart, mark));
}

void DocxReader::EndRevision(Mark mark) {
  int& open = mark == kDeleted ? FDeletions : FInsertions;
  if (open > 0)
    --open;
  AddPiece(Piece(InlineKind::RevisionEnd, mark));
}

// A row opens in a table between its rows, a cell in an open row between
// its cells; a row or cell anywhere else gives no table structure.
void DocxReader::StartTableElement(std::u16string_view name) {
  TableRole role = TableRole::None;
  if (name == u"w:tbl") {
    FTables.emplace_back().block.kind = BlockKind::Table;
    role = TableRole::Table;
  } else if (!FTables.empty()) {
    OpenTable& table = FTables.back();
    if (name == u"w:tr" && !table.rowOpen) {
      table.block.rows.emplace_back();
      table.rowOpen = true;
      role = TableRole::Row;
    } else if (name == u"w:tc" && table.rowOpen && !table.cellOpen) {
      table.block.rows.back().cells.emplace_back();
      table.cellOpen = true;
      role = TableRole::Cell;
    }
  }
  FTableRoles.push_back(role);
}

void DocxReader::EndTableElement() {
  if (FTableRoles.empty())
    return;
  const TableRole role = FTableRoles.back();
  FTableRoles.pop_back();
  switch (role) {
  case TableRole::Table: {
    Block table = std::move(FTables.back().block);
    FTables.pop_back();
    PlaceBlock(std::move(table));
    break;
  }
  case TableRole::Row: FTables.back().rowOpen = false; break;
  case TableRole::Cell: FTables.back().cellOpen = false; break;
  case TableRole::None: break;
  }
}

void DocxReader::FinishParagraph() {
  if (FParagraphs.empty())
    return;
  Block paragraph = std::move(FParagraphs.back());
  FParagraphs.pop_back();
  PlaceBlock(std::move(paragraph));
}

void DocxReader::PlaceBlock(Block block, bool counted) {
  // The innermost open cell; a block inside a table but outside its cells
  // goes where the table itself will.
  for (auto table = FTables.rbegin(); table != FTables.rend(); ++table) {
    if (table->cellOpen) {
      table->block.rows.back().cells.back().blocks.push_back(std::move(block));
      return;
    }
  }
  if (counted)
    AddBlock(*FStory, std::move(block));
  else
    FStory->blocks.push_back(std::move(block));
}

void DocxReader::PlaceOpenTables() {
  FParagraphs.clear();
  FTableRoles.clear();
  while (!FTables.empty()) {
    OpenTable table = std::move(FTables.back());
    FTables.pop_back();
    table.block.ending = table.cellOpen ? kCellOpen : table.rowOpen ? kRowOpen : kTableOpen;
    PlaceBlock(std::move(table.block), false);
  }
}

// The document's relationships, read once: folded identifier to target
// member, the first of equal identifiers standing.
DocxReader::Relationships DocxReader::ReadRelationships(const ZipArchive& zip) const {
  Relationships relationships;
  XmlParser engine;
  engine.SetLimits(ResourceLimits());
  engine.SetTextCodePage(TextCodePage());
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
                                      const std::vector<std::u16string>& ids, StoryKind kind) {
  std::set<std::string> parsed; // member names, ASCII letters folded
  // The references that the parts read here add are not followed.
  for (size_t i = 0, count = ids.size(); i < count; ++i) {
    auto found = relationships.find(FoldedId(ids[i]));
    std::string member = found == relationships.end() ? "word/" : found->second;
    std::string key = AsciiLowerCase(member);
    std::replace(key.begin(), key.end(), '\\', '/'); // "\\" finds the same member
    if (parsed.insert(std::move(key)).second)
      ParseMember(zip, member, kind);
  }
}

void DocxReader::ReadPropertiesPart(const ZipArchive& zip, const std::string& member) {
  XmlParser engine;
  engine.SetLimits(ResourceLimits());
  engine.SetTextCodePage(TextCodePage());
  engine.LoadFromBytes(zip.GetFileByName(member));
  DocumentSummary& s = Summary();
  auto text = [&](XmlNode* root, std::string_view name) {
    XmlNode* item = engine.FindItem(root, name);
    return item ? item->GetValue() : std::u16string();
  };
  if (XmlNode* core = engine.FindItem(nullptr, "cp:coreProperties")) {
    s.Title = text(core, "dc:title");
    s.Subject = text(core, "dc:subject");
    s.Author = text(core, "dc:creator");
    s.Keywords = text(core, "cp:keywords");
    s.Comments = text(core, "dc:description");
    s.LastAuthor = text(core, "cp:lastModifiedBy");
    s.RevNumber = text(core, "cp:revision");
    s.Category = text(core, "cp:category");
    s.Created = XmlDateToDateTime(text(core, "dcterms:created"));
    s.LastSaved = XmlDateToDateTime(text(core, "dcterms:modified"));
  }
  if (XmlNode* app = engine.FindItem(nullptr, "Properties")) {
    s.Template = text(app, "Template");
    s.EditTime = IntegerOf(text(app, "TotalTime"));
    s.PageCount = IntegerOf(text(app, "Pages"));
    s.WordCount = IntegerOf(text(app, "Words"));
    s.CharCount = IntegerOf(text(app, "Characters"));
    s.AppName = text(app, "Application");
    s.LineCount = IntegerOf(text(app, "Lines"));
    s.ParagraphCount = IntegerOf(text(app, "Paragraphs"));
    s.Manager = text(app, "Manager");
    s.Company = text(app, "Company");
    s.CharCount2 = IntegerOf(text(app, "CharactersWithSpaces"));
  }
}

} // namespace scrivlet
