#include "readers/docx/DocxNumbering.h"

#include "core/Numbers.h"
#include "core/Stream.h"
#include "readers/docx/DocxAttributes.h"
#include "xml/XmlParser.h"

namespace scrivlet {
namespace {

bool IsRoot(const XmlNode* parent) {
  return parent == nullptr || (!parent->Name.empty() && parent->Name.front() == '?');
}

bool ValidLevel(int32_t ilvl) {
  return ilvl >= 0 && ilvl < DocxNumbering::kLevels;
}

// a ... z, then aa ... zz, then aaa ...: the letter repeated.
std::u16string Letters(int32_t number, bool upper) {
  if (number <= 0 || number > 780)
    return DecimalText(number);
  const auto letter = static_cast<char16_t>((upper ? u'A' : u'a') + (number - 1) % 26);
  return std::u16string(static_cast<size_t>((number - 1) / 26 + 1), letter);
}

} // namespace

std::u16string FormatListNumber(int32_t number, std::u16string_view format) {
  if (format == u"lowerRoman" || format == u"upperRoman")
    return RomanText(number, format == u"upperRoman");
  if (format == u"lowerLetter" || format == u"upperLetter")
    return Letters(number, format == u"upperLetter");
  return DecimalText(number);
}

void DocxNumbering::Read(std::string bytes, const Limits& limits, int codePage) {
  if (bytes.empty())
    return;
  Levels* abstract = nullptr;   // the open w:abstractNum's levels
  Instance* instance = nullptr; // the open w:num
  int32_t overrideLevel = -1;   // the open w:lvlOverride's level
  Level* level = nullptr;       // the open w:lvl
  XmlParser engine;
  engine.SetLimits(limits);
  engine.SetTextCodePage(codePage);
  engine.OnTag = [&](XmlParser&, XmlNode* parent, const std::u16string& name, const std::u16string&,
                     const std::u16string& attributes, bool& accept) {
    if (name == u"w:abstractNum") {
      const auto id = IntegerAttribute(attributes, u"w:abstractNumId");
      // The first of equal identifiers stands.
      abstract = id && !FAbstracts.contains(*id) ? &FAbstracts[*id] : nullptr;
      instance = nullptr;
    } else if (name == u"w:num") {
      const auto id = IntegerAttribute(attributes, u"w:numId");
      instance = id && !FInstances.contains(*id) ? &FInstances[*id] : nullptr;
      abstract = nullptr;
    } else if (name == u"w:lvl") {
      const int32_t ilvl = IntegerAttribute(attributes, u"w:ilvl").value_or(overrideLevel);
      level = nullptr;
      if (abstract != nullptr && ValidLevel(ilvl))
        level = &(*abstract)[static_cast<size_t>(ilvl)];
      else if (instance != nullptr && ValidLevel(overrideLevel) && ilvl == overrideLevel)
        level = &instance->levelOverrides[static_cast<size_t>(ilvl)];
      if (level != nullptr) {
        *level = Level{};
        level->defined = true;
      }
    } else if (name == u"w:lvlOverride") {
      overrideLevel = IntegerAttribute(attributes, u"w:ilvl").value_or(-1);
    } else if (name == u"w:numbering" || IsRoot(parent) || name == u"mc:AlternateContent" ||
               name == u"mc:Fallback") {
      // containers (a format that needs a newer reader has a fallback)
    } else {
      accept = false;
      if (level != nullptr && name == u"w:start")
        level->start = IntegerAttribute(attributes, u"w:val").value_or(1);
      else if (level != nullptr && name == u"w:numFmt")
        level->format = AttributeText(attributes, u"w:val");
      else if (level != nullptr && name == u"w:lvlText")
        level->text = AttributeText(attributes, u"w:val");
      else if (instance != nullptr && name == u"w:abstractNumId")
        instance->abstractId = IntegerAttribute(attributes, u"w:val").value_or(-1);
      else if (instance != nullptr && name == u"w:startOverride" && ValidLevel(overrideLevel))
        instance->startOverrides[static_cast<size_t>(overrideLevel)] =
            IntegerAttribute(attributes, u"w:val").value_or(1);
    }
  };
  engine.OnAfterTag = [&](XmlParser& sender, XmlNode*& node, bool&) {
    const std::string& name = node->Name;
    if (name == "w:lvl") {
      level = nullptr;
    } else if (name == "w:lvlOverride") {
      overrideLevel = -1;
    } else if (name == "w:abstractNum" || name == "w:num") {
      abstract = nullptr;
      instance = nullptr;
      sender.FreeItem(node);
    }
  };
  MemoryStream stream(std::move(bytes));
  engine.LoadFromStream(&stream);
  Resolve();
}

void DocxNumbering::Resolve() {
  for (auto& [numId, instance] : FInstances) {
    auto abstract = FAbstracts.find(instance.abstractId);
    if (abstract != FAbstracts.end())
      instance.levels = abstract->second;
    for (size_t i = 0; i < kLevels; ++i) {
      Level& level = instance.levels[i];
      if (instance.levelOverrides[i].defined) {
        level = instance.levelOverrides[i];
        instance.overridden = true;
      }
      if (instance.startOverrides[i]) {
        level.start = *instance.startOverrides[i];
        instance.overridden = true;
      }
      // Without a w:numFmt a level counts in decimal.
      level.ordered = level.defined && level.format != u"bullet" && level.format != u"none";
    }
  }
}

const DocxNumbering::Level* DocxNumbering::LevelOf(int32_t numId, int32_t ilvl) const {
  auto found = FInstances.find(numId);
  if (found == FInstances.end() || !ValidLevel(ilvl))
    return nullptr;
  const Level& level = found->second.levels[static_cast<size_t>(ilvl)];
  return level.defined ? &level : nullptr;
}

int64_t DocxNumbering::CounterKey(int32_t numId) const {
  auto found = FInstances.find(numId);
  if (found == FInstances.end() || found->second.overridden)
    return (int64_t{1} << 32) + numId;
  return found->second.abstractId;
}

} // namespace scrivlet
