#include "readers/docx/DocxMarks.h"

#include "readers/docx/DocxAttributes.h"
#include "xml/RawAttribute.h"

namespace scrivlet {
namespace {

constexpr Marks kPositions = kSuperscript | kSubscript;

Marks ToggleMark(std::u16string_view name) {
  if (name == u"w:b")
    return kBold;
  if (name == u"w:i")
    return kItalic;
  if (name == u"w:strike" || name == u"w:dstrike")
    return kStrike;
  return 0;
}

} // namespace

void MarkSettings::Inherit(const MarkSettings& farther) {
  const Marks decided = on | off;
  on |= static_cast<Marks>(farther.on & ~decided);
  off |= static_cast<Marks>(farther.off & ~decided);
}

bool MarkSettings::Read(std::u16string_view name, std::u16string_view attributes) {
  auto set = [this](Marks mark, bool value) {
    on = static_cast<Marks>(value ? on | mark : on & ~mark);
    off = static_cast<Marks>(value ? off & ~mark : off | mark);
  };
  if (const Marks mark = ToggleMark(name)) {
    set(mark, IsOn(attributes));
    return true;
  }
  if (name == u"w:u") {
    // An underline of any kind but "none"; without w:val a single one.
    const auto value = RawAttributeValue(attributes, u"w:val");
    set(kUnderline, !value || *value != u"none");
    return true;
  }
  if (name == u"w:vertAlign") {
    const auto value = RawAttributeValue(attributes, u"w:val").value_or(u"");
    // A position decides both: superscript, subscript or the baseline.
    set(kPositions, false);
    if (value == u"superscript")
      set(kSuperscript, true);
    else if (value == u"subscript")
      set(kSubscript, true);
    return true;
  }
  return false;
}

} // namespace scrivlet
