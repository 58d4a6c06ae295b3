#include "readers/docx/DocxRelationships.h"

#include "core/Ascii.h"
#include "core/CaseFolding.h"
#include "core/Utf8.h"
#include "xml/XmlParser.h"
#include "zip/ZipArchive.h"

namespace scrivlet {
namespace {

std::u16string FoldedId(std::u16string id) {
  for (char16_t& c : id)
    c = FoldCase(c);
  return id;
}

std::u16string ValueOf(XmlNode& item, std::string_view name) {
  XmlNode* found = item.ItemByName(name);
  return found ? found->GetValue() : std::u16string();
}

} // namespace

void DocxRelationships::Read(const ZipArchive& zip, const Limits& limits, int codePage) {
  XmlParser engine;
  engine.SetLimits(limits);
  engine.SetTextCodePage(codePage);
  engine.LoadFromBytes(zip.GetFileByName("word/_rels/document.xml.rels"));
  XmlNode* list = engine.FindItem(nullptr, "Relationships");
  if (list == nullptr)
    return;
  for (int i = 0; i < list->Items.Count(); ++i) {
    XmlNode* relationship = list->Items[i];
    if (!EqualsIgnoringAsciiCase(relationship->Name, "Relationship"))
      continue;
    relationship->ParseAttributes();
    XmlNode* idItem = relationship->ItemByName("Id");
    if (idItem == nullptr)
      continue;
    Relationship entry;
    entry.target = ValueOf(*relationship, "Target");
    entry.type = ValueOf(*relationship, "Type");
    // A target is relative to the document part's folder, or, starting
    // with "/", to the package's root.
    std::string path = WideToUtf8(entry.target);
    entry.member = !path.empty() && path.front() == '/' ? path.substr(1) : "word/" + path;
    FById.emplace(FoldedId(idItem->GetValue()), std::move(entry));
  }
}

const DocxRelationships::Relationship* DocxRelationships::Find(const std::u16string& id) const {
  auto found = FById.find(FoldedId(id));
  return found == FById.end() ? nullptr : &found->second;
}

std::string DocxRelationships::MemberOfType(std::u16string_view kind, std::string fallback) const {
  for (const auto& [id, relationship] : FById) {
    const std::u16string_view type = relationship.type;
    if (type.size() > kind.size() && type.ends_with(kind) &&
        type[type.size() - kind.size() - 1] == u'/')
      return relationship.member;
  }
  return fallback;
}

} // namespace scrivlet
