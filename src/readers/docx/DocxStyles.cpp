#include "readers/docx/DocxStyles.h"

#include "core/Stream.h"
#include "readers/docx/DocxAttributes.h"
#include "xml/XmlParser.h"

#include <unordered_set>

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

void DocxStyles::Read(std::string bytes, const Limits& limits, int codePage, WorkBudget* budget) {
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
  Resolve(budget);
}

const DocxStyles::Definition* DocxStyles::Find(bool paragraph, const std::u16string& id) const {
  const auto& definitions = paragraph ? FParagraphDefinitions : FCharacterDefinitions;
  auto found = definitions.find(id);
  return found == definitions.end() ? nullptr : &found->second;
}

void DocxStyles::Resolve(WorkBudget* budget) {
  for (const auto& [id, style] : FParagraphDefinitions)
    ResolveChain(FParagraphDefinitions, id, FParagraphStyles, budget);
  for (const auto& [id, style] : FCharacterDefinitions)
    ResolveChain(FCharacterDefinitions, id, FCharacterStyles, budget);
  FParagraphDefinitions.clear();
  FCharacterDefinitions.clear();
}

namespace {

// Steps a style of a loop follows round it at most.
constexpr size_t kMaxLoop = 32;

} // namespace

DocxStyles::ResolvedParagraph DocxStyles::Over(const Definition& style, ResolvedParagraph base) {
  // The name says it first; an outline level 9 is body text.
  if (uint8_t level = HeadingLevelOfName(style.name)) {
    base.style.headingLevel = level;
    base.levelKnown = true;
  } else if (style.outlineLevel >= 0) {
    base.style.headingLevel =
        style.outlineLevel <= 8 ? static_cast<uint8_t>(style.outlineLevel + 1) : 0;
    base.levelKnown = true;
  }
  if (style.numId >= 0)
    base.style.numId = style.numId;
  if (style.ilvl >= 0)
    base.style.ilvl = style.ilvl;
  return base;
}

MarkSettings DocxStyles::Over(const Definition& style, MarkSettings base) {
  MarkSettings marks = style.marks;
  marks.Inherit(base);
  return marks;
}

DocxStyles::Chain DocxStyles::Unresolved(const Definitions& definitions, const std::u16string& id,
                                         const std::function<bool(const std::u16string&)>& done,
                                         WorkBudget* budget) {
  Chain chain;
  std::unordered_map<const Definition*, size_t> onChain;
  for (auto found = definitions.find(id); found != definitions.end() && !done(found->first);) {
    if (budget != nullptr)
      budget->SpendWork(1 + found->first.size());
    if (auto seen = onChain.find(&found->second); seen != onChain.end()) {
      chain.loopStart = seen->second;
      break;
    }
    onChain.emplace(&found->second, chain.steps.size());
    chain.steps.emplace_back(&found->first, &found->second);
    const std::u16string& base = found->second.basedOn;
    found = base.empty() ? definitions.end() : definitions.find(base);
  }
  return chain;
}

// Each style of the chain from its base's resolution, the farthest first.
// A style of a loop follows the loop round from itself (as far as
// kMaxLoop steps); the styles before the loop build on where they enter it.
template <class Resolution>
void DocxStyles::ResolveChain(const Definitions& definitions, const std::u16string& id,
                              std::unordered_map<std::u16string, Resolution>& resolved,
                              WorkBudget* budget) {
  const Chain chain = Unresolved(
      definitions, id, [&](const std::u16string& key) { return resolved.contains(key); }, budget);
  size_t end = chain.steps.size();
  if (end == 0)
    return;
  Resolution base{};
  if (chain.loopStart < end) {
    const size_t length = end - chain.loopStart;
    for (size_t k = 0; k < length; ++k) {
      Resolution round{};
      for (size_t j = std::min(length, kMaxLoop); j-- > 0;) {
        if (budget != nullptr)
          budget->SpendWork(1);
        round = Over(*chain.steps[chain.loopStart + (k + j) % length].second, round);
      }
      resolved.emplace(*chain.steps[chain.loopStart + k].first, round);
    }
    end = chain.loopStart;
    if (end == 0)
      return;
    base = resolved.at(*chain.steps[end].first);
  } else if (auto found = resolved.find(chain.steps.back().second->basedOn);
             found != resolved.end()) {
    base = found->second;
  }
  for (size_t i = end; i-- > 0;) {
    base = Over(*chain.steps[i].second, base);
    resolved.emplace(*chain.steps[i].first, base);
  }
}

const DocxStyles::ParagraphStyle* DocxStyles::Paragraph(const std::u16string& id) const {
  auto found = FParagraphStyles.find(id.empty() ? FDefaultParagraph : id);
  return found == FParagraphStyles.end() ? nullptr : &found->second.style;
}

MarkSettings DocxStyles::Character(const std::u16string& id) const {
  auto found = FCharacterStyles.find(id);
  return found == FCharacterStyles.end() ? MarkSettings{} : found->second;
}

} // namespace scrivlet
