#include "readers/docx/DocxReader.h"
#include "core/Ascii.h"
#include "core/Numbers.h"

#include "core/CodePage.h"
#include "core/DateTime.h"
#include "core/Exception.h"
#include "core/Stream.h"
#include "readers/docx/DocxAttributes.h"
#include "readers/docx/DocxFieldLink.h"
#include "readers/docx/DocxMath.h"
#include "readers/docx/EncryptedDocx.h"
#include "storage/CompoundFile.h"
#include "xml/Entities.h"
#include "xml/RawAttribute.h"
#include "xml/XmlParser.h"
#include "zip/ZipArchive.h"

#include <algorithm>
#include <exception>
#include <set>

namespace scrivlet {
namespace {

// Elements kept (their content parsed) without anything to do at their
// start.
constexpr std::u16string_view kPassThrough[] = {
    u"w:document", u"w:body", u"w:tabs", u"w:tab", u"w:br", u"w:pPr", u"w:hyperlink", u"w:smartTag",
    u"!--", u"w:hdr", u"w:ftr", u"mc:AlternateContent", u"mc:Choice", u"w:drawing", u"wp:anchor",
    u"a:graphic", u"a:graphicData", u"wps:wsp", u"wps:txbx", u"w:txbxContent",
    // The notes of the footnote and endnote parts, and the comments of the
    // comments part, carry their text.
    u"w:footnote", u"w:endnote", u"w:comment",
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

Inline Piece(InlineKind kind, Marks marks, std::u16string text = {}) {
  Inline piece;
  piece.kind = kind;
  piece.marks = marks;
  piece.text = std::move(text);
  return piece;
}

int32_t IntegerOf(const std::u16string& text) {
  return StrToIntDef(WideToAnsi(text, CP_UTF8), 0);
}

// A note's identifier in the document: its kind and its w:id, as footnotes
// and endnotes number apart.
std::u16string NoteIdentifier(bool endnote, const std::u16string& id) {
  return (endnote ? u"endnote-" : u"footnote-") + id;
}

Block PageBreakBlock() {
  Block block;
  block.kind = BlockKind::PageBreak;
  return block;
}

// The notes of the separator kinds hold the rules between text and notes,
// not notes.
bool IsSeparatorNote(std::u16string_view type) {
  return type == u"separator" || type == u"continuationSeparator" || type == u"continuationNotice";
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
  FRelationships = DocxRelationships();
  FStyles = DocxStyles();
  FNumbering = DocxNumbering();
  FListCounter = DocxListCounter();
  FFootnoteLabels.clear();
  FEndnoteLabels.clear();
  FEncrypted = false;
  ZipArchive zip(ResourceLimits(), &Budget());
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

// What is not a package (a ZIP archive) may be a compound file that holds
// one encrypted, as Office saves a document with a password, or, from
// standard input ("-") or a stream without a name, one whose "Package"
// stream holds it, as Office embeds a document in another.  A named file
// must be the package itself.  Anything else is refused, rather than read
// as an empty archive.
std::string DocxReader::EmbeddedPackage(std::string_view bytes) {
  auto storage = CompoundFile::HasSignature(bytes) ? CompoundFile::TryOpenView(bytes) : nullptr;
  if (storage && HoldsEncryptedPackage(*storage)) {
    FEncrypted = true;
    return DecryptDocxPackage(*storage, Options(), FileName(), Budget());
  }
  const bool fromStream = FileName().empty() || FileName() == "-";
  if (storage && fromStream)
    if (auto package = storage->OpenStream(CompoundFile::kRoot, u"Package"))
      return package->ReadRest();
  RefuseNonPackage();
}

void DocxReader::RefuseNonPackage() const {
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
  // The relationships name the hyperlinks' targets and the styles parts,
  // so they are read first; a failure to read them is raised where the
  // header and footer parts they name would be read.
  std::exception_ptr relationshipsFailure;
  try {
    FRelationships.Read(zip, ResourceLimits(), TextCodePage());
  } catch (...) {
    relationshipsFailure = std::current_exception();
  }
  ReadStyleParts(zip);
  if (hasMember("word/document.xml"))
    ParseMember(zip, "word/document.xml", StoryKind::Main);
  else if (hasMember("word/document2.xml"))
    ParseMember(zip, "word/document2.xml", StoryKind::Main);
  else if (!zip.Damage().empty())
    // A package cut before its document part holds nothing to convert: an
    // empty text would pass for an empty document.
    throw Exception("The archive is damaged: %s, no document part", {zip.Damage()});
  // The notes parts are stories even when the package has none (empty).
  ParseMember(zip, "word/endnotes.xml", StoryKind::Endnotes);
  ParseMember(zip, "word/footnotes.xml", StoryKind::Footnotes);
  // The footnotes before the endnotes, as the document shows them.
  std::stable_partition(Doc().notes.begin(), Doc().notes.end(),
                        [](const Note& note) { return !note.endnote; });
  if (relationshipsFailure)
    std::rethrow_exception(relationshipsFailure);
  ParseReferencedParts(zip, FHeaderIds, StoryKind::Headers);
  ParseReferencedParts(zip, FFooterIds, StoryKind::Footers);
  const std::string comments = FRelationships.MemberOfType(u"comments", "word/comments.xml");
  if (hasMember(comments))
    ParseMember(zip, comments, StoryKind::Comments);
}

void DocxReader::ReadStyleParts(const ZipArchive& zip) {
  try {
    FStyles.Read(zip.GetFileByName(FRelationships.MemberOfType(u"styles", "word/styles.xml")),
                 ResourceLimits(), TextCodePage(), &Budget());
  } catch (const std::exception&) {
    FStyles = DocxStyles(); // no headings from styles
  }
  try {
    FNumbering.Read(
        zip.GetFileByName(FRelationships.MemberOfType(u"numbering", "word/numbering.xml")),
        ResourceLimits(), TextCodePage());
  } catch (const std::exception&) {
    FNumbering = DocxNumbering(); // no lists
  }
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
  FParagraphProperties.clear();
  FRuns.clear();
  FLinks.clear();
  FFields.clear();
  FNoteOpen = false;
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
  // Compared as a view: lengths first, which most names differ in.
  const std::u16string_view tag = name;
  auto parentIs = [&](std::string_view parentName) {
    return parent != nullptr && parent->Name == parentName;
  };
  if (tag == u"w:p") {
    FParagraphs.emplace_back();
    FParagraphProperties.emplace_back();
  } else if (tag == u"w:t" || tag == u"m:t" || tag == u"w:delText") {
    accept = false;
    if (!FHiddenRun || ParseItems().Contains(ContentItem::HiddenText)) {
      std::u16string text = value;
      DecodeEntities(text);
      if (FMath.Active())
        FMath.Text(text);
      else
        AddText(std::move(text));
    }
  } else if (tag == u"w:pStyle") {
    // kept for the style's name in a "w:val" element; the style of the
    // structure is the w:val attribute
    if (!FParagraphProperties.empty() && parentIs("w:pPr") &&
        FParagraphProperties.back().styleId.empty())
      FParagraphProperties.back().styleId = AttributeText(attributes, u"w:val");
  } else if (tag == u"w:val" && parentIs("w:pStyle")) {
    if (!FParagraphs.empty() && FParagraphs.back().style.empty())
      FParagraphs.back().style = value;
  } else if (tag == u"w:r") {
    FHiddenRun = false;
    StartRun();
  } else if (tag == u"w:vanish") {
    accept = false;
    FHiddenRun = true;
  } else if (ReadProperty(parent, name, attributes, accept)) {
    // a property of the structure or the marks
  } else if (parentIs("w:rPr") && ParseItems().Contains(ContentItem::HiddenText)) {
    // With hidden text shown, nothing else of the run properties counts
    // (a paragraph mark's insertion or deletion among them).
    accept = false;
  } else if (tag == u"w:footnoteReference" || tag == u"w:endnoteReference") {
    accept = false;
    AddNoteReference(name, attributes);
  } else if (tag == u"w:fldChar") {
    accept = false;
    ReadFieldCharacter(attributes);
  } else if (tag == u"w:instrText") {
    accept = false;
    if (!FFields.empty() && !FFields.back().inResult) {
      std::u16string text = value;
      DecodeEntities(text);
      FFields.back().instruction += text; // Word keeps the blanks (xml:space)
    }
  } else if (tag == u"w:hyperlink") {
    StartHyperlink(attributes);
  } else if (tag == u"w:fldSimple") {
    FLinks.push_back(HyperlinkTarget(AttributeText(attributes, u"w:instr")));
  } else if (tag == u"w:footnote" || tag == u"w:endnote") {
    StartNote(name, attributes);
  } else if (tag == u"w:br") {
    if (!FParagraphProperties.empty() && RawAttributeValue(attributes, u"w:type") == u"page")
      FParagraphProperties.back().breakAfter = true;
  } else if (tag == u"w:del") {
    StartRevision(kDeleted);
  } else if (tag == u"w:ins") {
    StartRevision(kInserted);
  } else if (tag == u"w:tbl" || tag == u"w:tr" || tag == u"w:tc") {
    StartTableElement(name);
  } else if (tag == u"w:headerReference" || tag == u"w:footerReference") {
    std::u16string id = ReferenceId(attributes);
    if (!id.empty())
      (tag == u"w:headerReference" ? FHeaderIds : FFooterIds).push_back(std::move(id));
  } else if (tag == u"w:rPr") {
    // Run properties say what is hidden, mark inserted or deleted paragraph
    // marks and give the text's marks (with hidden text shown, only the
    // marks count: see above).
  } else if (IsPassThrough(name)) {
    // kept
  } else if (name.starts_with(u"m:") &&
             (!name.ends_with(u"Pr") || tag == u"m:naryPr" || tag == u"m:dPr")) {
    // Equations: their structure is kept so that their "m:t" texts are
    // reached and their signs written; of their properties only a sum's
    // sign and a delimiter's characters are.
    if (tag == u"m:oMath")
      FMath.Begin();
    else if (FMath.Active())
      FMath.Start(tag, attributes);
  } else if (tag == u"w:sectPr" && (parentIs("w:pPr") || parentIs("w:body"))) {
    // section properties, of a section a paragraph ends or of the last
    // one: their header and footer references are read
  } else {
    accept = parent != nullptr && EqualsIgnoringAsciiCase(parent->Name, "?xml");
  }
}

void DocxReader::DoAfterTag(XmlParser& sender, XmlNode*& node) {
  const std::string& name = node->Name;
  if (name.starts_with("m:") && FMath.Active()) {
    if (name == "m:oMath")
      AddEquation(FMath.End());
    else
      FMath.Finish(AnsiToWide(name));
    return;
  }
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
  } else if (name == "w:r") {
    EndRun();
  } else if (name == "w:hyperlink" || name == "w:fldSimple") {
    if (!FLinks.empty())
      FLinks.pop_back();
  } else if (name == "w:footnote" || name == "w:endnote") {
    EndNote();
  } else if (name == "w:p") {
    FinishParagraph();
    sender.FreeItem(node);
  }
}

Marks DocxReader::RunMarks() const {
  Marks marks = FRuns.empty() ? 0 : FRuns.back().direct.Over(FRuns.back().style.Over(0));
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

// An equation's text is a word of its own in the paragraph.
void DocxReader::AddEquation(std::u16string text) {
  if (text.empty())
    return;
  if (!FParagraphs.empty() && !FParagraphs.back().content.empty()) {
    const Inline& last = FParagraphs.back().content.back();
    if (last.kind == InlineKind::Text && !last.text.empty() && last.text.back() != u' ')
      text.insert(0, 1, u' ');
  }
  AddText(std::move(text));
}

void DocxReader::AddText(std::u16string text) {
  if (text.empty())
    return;
  Inline piece = Piece(InlineKind::Text, RunMarks(), std::move(text));
  piece.target = LinkTarget();
  AddPiece(std::move(piece));
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
      table.headerRow = false;
      role = TableRole::Row;
    } else if (name == u"w:tc" && table.rowOpen && !table.cellOpen) {
      table.block.rows.back().cells.emplace_back().header = table.headerRow;
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
  const ParagraphProperties properties = std::move(FParagraphProperties.back());
  FParagraphProperties.pop_back();
  ApplyParagraphStructure(paragraph, properties);
  if (properties.breakBefore)
    PlacePageBreak();
  PlaceBlock(std::move(paragraph));
  if (properties.breakAfter)
    PlacePageBreak();
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
  FParagraphProperties.clear();
  FTableRoles.clear();
  while (!FTables.empty()) {
    OpenTable table = std::move(FTables.back());
    FTables.pop_back();
    table.block.ending = table.cellOpen ? kCellOpen : table.rowOpen ? kRowOpen : kTableOpen;
    PlaceBlock(std::move(table.block), false);
  }
}

// The parts that header or footer references name, in the order of their
// first reference; a part named again is not read again.
void DocxReader::ParseReferencedParts(const ZipArchive& zip, const std::vector<std::u16string>& ids,
                                      StoryKind kind) {
  std::set<std::string> parsed; // member names, ASCII letters folded
  // The references that the parts read here add are not followed.
  for (size_t i = 0, count = ids.size(); i < count; ++i) {
    const DocxRelationships::Relationship* found = FRelationships.Find(ids[i]);
    std::string member = found == nullptr ? "word/" : found->member;
    std::string key = AsciiLowerCase(member);
    std::replace(key.begin(), key.end(), '\\', '/'); // "\\" finds the same member
    if (parsed.insert(std::move(key)).second)
      ParseMember(zip, member, kind);
  }
}

bool DocxReader::ReadProperty(const XmlNode* parent, const std::u16string& name,
                              const std::u16string& attributes, bool& accept) {
  const std::u16string_view tag = name;
  const std::string_view parentName = parent != nullptr ? std::string_view(parent->Name) : "";
  if (parentName == "w:rPr") {
    // A run's own properties; a paragraph mark's (w:pPr/w:rPr) are not
    // its text's.
    const bool ofRun = !FRuns.empty() && parent->Parent != nullptr && parent->Parent->Name == "w:r";
    MarkSettings unused;
    if (tag == u"w:rStyle") {
      if (ofRun)
        FRuns.back().style = FStyles.Character(AttributeText(attributes, u"w:val"));
    } else if (!(ofRun ? FRuns.back().direct : unused).Read(name, attributes)) {
      return false;
    }
    accept = false;
    return true;
  }
  if (tag == u"w:trPr" && parentName == "w:tr")
    return true;
  if (tag == u"w:tcPr" && parentName == "w:tc")
    return true;
  if (parentName == "w:trPr" || parentName == "w:tcPr") {
    accept = false;
    const bool row = parentName == "w:trPr";
    if (FTableRoles.empty() || FTableRoles.back() != (row ? TableRole::Row : TableRole::Cell))
      return true;
    OpenTable& table = FTables.back();
    if (row && tag == u"w:tblHeader") {
      table.headerRow = IsOn(attributes);
    } else if (!row && tag == u"w:gridSpan") {
      const int32_t span = IntegerAttribute(attributes, u"w:val").value_or(1);
      table.block.rows.back().cells.back().columnSpan =
          static_cast<uint16_t>(span > 1 && span < 1000 ? span : 1);
    }
    return true;
  }
  if (FParagraphProperties.empty())
    return false;
  ParagraphProperties& paragraph = FParagraphProperties.back();
  if (parentName == "w:pPr") {
    if (tag == u"w:numPr")
      return true;
    if (tag == u"w:outlineLvl")
      paragraph.outlineLevel = IntegerAttribute(attributes, u"w:val").value_or(-1);
    else if (tag == u"w:pageBreakBefore")
      paragraph.breakBefore = IsOn(attributes);
    else
      return false;
    accept = false;
    return true;
  }
  if (parentName == "w:numPr") {
    accept = false;
    if (tag == u"w:numId")
      paragraph.numId = IntegerAttribute(attributes, u"w:val").value_or(-1);
    else if (tag == u"w:ilvl")
      paragraph.ilvl = IntegerAttribute(attributes, u"w:val").value_or(-1);
    return true;
  }
  return false;
}

void DocxReader::StartRun() {
  FRuns.emplace_back();
}

void DocxReader::EndRun() {
  if (!FRuns.empty())
    FRuns.pop_back();
}

// A hyperlink's target: the relationship's Target (an external URL), or
// "#" and the bookmark it goes to in the document.
void DocxReader::StartHyperlink(const std::u16string& attributes) {
  std::u16string target;
  const std::u16string id = AttributeText(attributes, u"r:id");
  if (const DocxRelationships::Relationship* relationship =
          id.empty() ? nullptr : FRelationships.Find(id))
    target = relationship->target;
  const std::u16string anchor = AttributeText(attributes, u"w:anchor");
  if (!anchor.empty())
    target += u"#" + anchor;
  FLinks.push_back(std::move(target));
}

// Complex fields: "begin", the instruction (w:instrText), "separate", the
// result, "end".  A HYPERLINK field's result is the link's text.
void DocxReader::ReadFieldCharacter(const std::u16string& attributes) {
  const auto type = RawAttributeValue(attributes, u"w:fldCharType").value_or(u"");
  if (type == u"begin") {
    OpenField field;
    field.outer = LinkTarget();
    FFields.push_back(std::move(field));
  } else if (type == u"separate" && !FFields.empty()) {
    OpenField& field = FFields.back();
    field.inResult = true;
    field.target = HyperlinkTarget(field.instruction);
    field.instruction.clear();
  } else if (type == u"end" && !FFields.empty()) {
    FFields.pop_back();
  }
}

std::u16string DocxReader::LinkTarget() const {
  if (!FLinks.empty() && !FLinks.back().empty())
    return FLinks.back();
  if (FFields.empty())
    return {};
  const OpenField& field = FFields.back();
  return field.inResult && !field.target.empty() ? field.target : field.outer;
}

std::u16string DocxReader::NoteLabel(bool endnote, const std::u16string& id) {
  auto& labels = endnote ? FEndnoteLabels : FFootnoteLabels;
  auto [entry, added] = labels.try_emplace(id);
  if (added)
    entry->second =
        FormatListNumber(static_cast<int32_t>(labels.size()), endnote ? u"lowerRoman" : u"decimal");
  return entry->second;
}

void DocxReader::AddNoteReference(const std::u16string& name, const std::u16string& attributes) {
  const std::u16string id = AttributeText(attributes, u"w:id");
  if (id.empty() || FParagraphs.empty())
    return;
  const bool endnote = name == u"w:endnoteReference";
  Inline piece = Piece(InlineKind::NoteReference, RunMarks(), NoteLabel(endnote, id));
  piece.target = NoteIdentifier(endnote, id);
  AddPiece(std::move(piece));
}

// The notes of the notes parts that the text refers to become the
// document's notes (their blocks stay in the story as well).
void DocxReader::StartNote(const std::u16string& name, const std::u16string& attributes) {
  const bool endnote = name == u"w:endnote";
  if (FStory->kind != (endnote ? StoryKind::Endnotes : StoryKind::Footnotes))
    return;
  FNoteOpen = true;
  FNoteIsEndnote = endnote;
  FNoteId = AttributeText(attributes, u"w:id");
  FNoteStart = FStory->blocks.size();
  const auto& labels = endnote ? FEndnoteLabels : FFootnoteLabels;
  FNoteKept = !IsSeparatorNote(AttributeText(attributes, u"w:type")) && labels.contains(FNoteId);
}

void DocxReader::EndNote() {
  if (!FNoteOpen)
    return;
  FNoteOpen = false;
  if (!FNoteKept)
    return;
  auto& labels = FNoteIsEndnote ? FEndnoteLabels : FFootnoteLabels;
  auto label = labels.find(FNoteId);
  Note note;
  note.id = NoteIdentifier(FNoteIsEndnote, FNoteId);
  note.label = label->second;
  note.endnote = FNoteIsEndnote;
  const std::vector<Block>& blocks = FStory->blocks;
  note.blocks.assign(blocks.begin() +
                         static_cast<std::ptrdiff_t>(std::min(FNoteStart, blocks.size())),
                     blocks.end());
  Doc().notes.push_back(std::move(note));
  // A second note of the same identifier is not the one referred to.
  labels.erase(label);
}

void DocxReader::ApplyParagraphStructure(Block& paragraph, const ParagraphProperties& properties) {
  const DocxStyles::ParagraphStyle* style = FStyles.Paragraph(properties.styleId);
  uint8_t heading = style != nullptr ? style->headingLevel : 0;
  if (properties.outlineLevel >= 0) // an outline level 9 is body text
    heading = properties.outlineLevel <= 8 ? static_cast<uint8_t>(properties.outlineLevel + 1) : 0;
  if (heading > 0) {
    paragraph.kind = BlockKind::Heading;
    paragraph.level = heading;
    return;
  }
  const int32_t numId = properties.numId >= 0 ? properties.numId : style ? style->numId : -1;
  int32_t ilvl = properties.ilvl >= 0 ? properties.ilvl : style ? style->ilvl : -1;
  if (ilvl < 0)
    ilvl = 0;
  // w:numId 0 takes a paragraph out of the list its style puts it in.
  const DocxNumbering::Level* level = numId > 0 ? FNumbering.LevelOf(numId, ilvl) : nullptr;
  if (level == nullptr)
    return;
  const int64_t key = FNumbering.CounterKey(numId);
  const int32_t number = FListCounter.Next(key, ilvl, level->start);
  paragraph.kind = BlockKind::ListItem;
  paragraph.level = static_cast<uint8_t>(ilvl + 1);
  paragraph.ordered = level->ordered;
  paragraph.value = level->ordered ? number : 0;
  paragraph.marker = FListCounter.Marker(key, numId, ilvl, FNumbering);
}

// A page break goes between the blocks of the main text; inside a table
// it has no place of its own.
void DocxReader::PlacePageBreak() {
  if (FStory->kind != StoryKind::Main)
    return;
  for (const OpenTable& table : FTables)
    if (table.cellOpen)
      return;
  FStory->blocks.push_back(PageBreakBlock());
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
    Doc().language = text(core, "dc:language");
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
