#include "readers/docx/DocxStyles.h"

#include "core/Stream.h"
#include "readers/docx/DocxAttributes.h"
#include "xml/XmlParser.h"

namespace scrivlet {
namespace {

char16_t LowerAscii(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

bool EqualsFolded(std::u16string_view text, std::u16string_view lower) {
  if (text.size() != lower.size())
    return false;
  for (size_t i = 0; i < text.size(); ++i)
    if (LowerAscii(text[i]) != lower[i])
      return false;
  return true;
}

bool IsRoot(const XmlNode* parent) {
  return parent == nullptr || (!parent->Name.empty() && parent->Name.front() == '?');
}

} // namespace

uint8_t HeadingLevelOfName(std::u16string_view name) {
  if (EqualsFolded(name, u"title"))
    return 1;
  constexpr std::u16string_view kHeading = u"heading";
  if (name.size() < kHeading.size() + 1 || !EqualsFolded(name.substr(0, kHeading.size()), kHeading))
    return 0;
  name.remove_prefix(kHeading.size());
  if (name.front() == u' ')
    name.remove_prefix(1);
  if (name.size() != 1 || name.front() < u'1' || name.front() > u'9')
    return 0;
  return static_cast<uint8_t>(name.front() - u'0');
}

void DocxStyles::Read(std::string bytes, const Limits& limits, int codePage) {
  if (bytes.empty())
    return;
  Definition current;
  std::u16string currentId;
  bool inStyle = false;
  XmlParser engine;
  engine.SetLimits(limits);
  engine.SetTextCodePage(codePage);
  engine.OnTag = [&](XmlParser&, XmlNode* parent, const std::u16string& name, const std::u16string&,
                     const std::u16string& attributes, bool& accept) {
    const std::string_view parentName = parent ? std::string_view(parent->Name) : "";
    if (name == u"w:style") {
      current = Definition{};
      current.paragraph = AttributeText(attributes, u"w:type") == u"paragraph";
      currentId = AttributeText(attributes, u"w:styleId");
      if (current.paragraph && FDefaultParagraph.empty() &&
          AttributeIsTrue(attributes, u"w:default"))
        FDefaultParagraph = currentId;
      inStyle = true;
    } else if (!inStyle) {
      accept = name == u"w:styles" || IsRoot(parent);
    } else if (name == u"w:pPr" || name == u"w:rPr" || name == u"w:numPr") {
      // the containers of what is read
    } else {
      accept = false;
      if (name == u"w:name")
        current.name = AttributeText(attributes, u"w:val");
      else if (name == u"w:basedOn")
        current.basedOn = AttributeText(attributes, u"w:val");
      else if (name == u"w:outlineLvl" && parentName == "w:pPr")
        current.outlineLevel = IntegerAttribute(attributes, u"w:val").value_or(-1);
      else if (name == u"w:numId" && parentName == "w:numPr")
        current.numId = IntegerAttribute(attributes, u"w:val").value_or(-1);
      else if (name == u"w:ilvl" && parentName == "w:numPr")
        current.ilvl = IntegerAttribute(attributes, u"w:val").value_or(-1);
      else if (parentName == "w:rPr")
        current.marks.Read(name, attributes);
    }
  };
  engine.OnAfterTag = [&](XmlParser& sender, XmlNode*& node, bool&) {
    if (node->Name != "w:style")
      return;
    inStyle = false;
    auto& definitions = current.paragraph ? FParagraphDefinitions : FCharacterDefinitions;
    // The first of equal identifiers stands.
    definitions.emplace(std::move(currentId), std::move(current));
    currentId.clear();
    sender.FreeItem(node);
  };
  MemoryStream stream(std::move(bytes));
  engine.LoadFromStream(&stream);
  Resolve();
}

const DocxStyles::Definition* DocxStyles::Find(bool paragraph, const std::u16string& id) const {
  const auto& definitions = paragraph ? FParagraphDefinitions : FCharacterDefinitions;
  auto found = definitions.find(id);
  return found == definitions.end() ? nullptr : &found->second;
}

void DocxStyles::Resolve() {
  for (const auto& [id, style] : FParagraphDefinitions)
    FParagraphStyles.emplace(id, ResolveParagraph(style));
  for (const auto& [id, style] : FCharacterDefinitions)
    FCharacterStyles.emplace(id, ResolveCharacter(style));
  FParagraphDefinitions.clear();
  FCharacterDefinitions.clear();
}

DocxStyles::ParagraphStyle DocxStyles::ResolveParagraph(const Definition& style) const {
  ParagraphStyle resolved;
  bool levelKnown = false;
  const Definition* step = &style;
  for (int i = 0; step != nullptr && i < kMaxChain; ++i) {
    if (!levelKnown) {
      // The name says it first; an outline level 9 is body text.
      if (uint8_t level = HeadingLevelOfName(step->name)) {
        resolved.headingLevel = level;
        levelKnown = true;
      } else if (step->outlineLevel >= 0) {
        resolved.headingLevel =
            step->outlineLevel <= 8 ? static_cast<uint8_t>(step->outlineLevel + 1) : 0;
        levelKnown = true;
      }
    }
    if (resolved.numId < 0 && step->numId >= 0)
      resolved.numId = step->numId;
    if (resolved.ilvl < 0 && step->ilvl >= 0)
      resolved.ilvl = step->ilvl;
    step = step->basedOn.empty() ? nullptr : Find(true, step->basedOn);
  }
  return resolved;
}

MarkSettings DocxStyles::ResolveCharacter(const Definition& style) const {
  MarkSettings marks;
  const Definition* step = &style;
  for (int i = 0; step != nullptr && i < kMaxChain; ++i) {
    marks.Inherit(step->marks);
    step = step->basedOn.empty() ? nullptr : Find(false, step->basedOn);
  }
  return marks;
}

const DocxStyles::ParagraphStyle* DocxStyles::Paragraph(const std::u16string& id) const {
  auto found = FParagraphStyles.find(id.empty() ? FDefaultParagraph : id);
  return found == FParagraphStyles.end() ? nullptr : &found->second;
}

MarkSettings DocxStyles::Character(const std::u16string& id) const {
  auto found = FCharacterStyles.find(id);
  return found == FCharacterStyles.end() ? MarkSettings{} : found->second;
}

} // namespace scrivlet
