#include "readers/docx/DocxMath.h"

#include "readers/common/ScriptCharacters.h"
#include "xml/RawAttribute.h"

namespace scrivlet {
namespace {

// Equations nest as deep as a file makes them; parts deeper than this keep
// their text without the signs between them, and the stack stays small.
constexpr size_t kMaxDepth = 256;

std::u16string ValueOf(const std::u16string& attributes, std::u16string_view fallback) {
  std::optional<std::u16string_view> value = RawAttributeValue(attributes, u"m:val");
  return std::u16string(value ? *value : fallback);
}

} // namespace

void DocxMath::Begin() {
  FActive = true;
  FText.clear();
  FOpen.clear();
}

std::u16string DocxMath::End() {
  FActive = false;
  FOpen.clear();
  return std::move(FText);
}

DocxMath::Frame* DocxMath::Parent() {
  return FOpen.empty() ? nullptr : &FOpen.back();
}

void DocxMath::Push(std::u16string_view tag, bool wrap) {
  Frame& frame = FOpen.emplace_back();
  frame.tag = tag;
  frame.start = FText.size();
  frame.wrap = wrap;
}

// A part of a sum or a delimiter starts: the sign or the opening (or the
// separator between two parts) goes before it.
void DocxMath::OpenPart(Frame& parent, std::u16string_view tag) {
  if (parent.tag == u"m:nary" && !parent.opened) {
    FText += parent.sign;
    parent.opened = true;
  } else if (parent.tag == u"m:d" && tag == u"m:e") {
    FText += parent.opened ? parent.separator : parent.sign;
    parent.opened = true;
  }
}

void DocxMath::Start(std::u16string_view tag, const std::u16string& attributes) {
  if (FOpen.size() >= kMaxDepth)
    return;
  Frame* parent = Parent();
  const std::u16string_view parentTag = parent ? std::u16string_view(parent->tag) : u"";
  // The properties that give a sum its sign and a delimiter its characters.
  if (parentTag == u"m:naryPr" && tag == u"m:chr" && FOpen.size() >= 2) {
    FOpen[FOpen.size() - 2].sign = ValueOf(attributes, u"∫");
    return;
  }
  if (parentTag == u"m:dPr" && FOpen.size() >= 2) {
    Frame& delimiter = FOpen[FOpen.size() - 2];
    if (tag == u"m:begChr")
      delimiter.sign = ValueOf(attributes, u"");
    else if (tag == u"m:endChr")
      delimiter.close = ValueOf(attributes, u"");
    else if (tag == u"m:sepChr")
      delimiter.separator = ValueOf(attributes, u"");
    return;
  }
  if (parent != nullptr && (tag == u"m:e" || tag == u"m:sub" || tag == u"m:sup"))
    OpenPart(*parent, tag);
  bool wrap = false;
  if (tag == u"m:sup" || (tag == u"m:lim" && parentTag == u"m:limUpp")) {
    FText += u"^";
    wrap = true;
  } else if (tag == u"m:sub" || (tag == u"m:lim" && parentTag == u"m:limLow")) {
    FText += u"_";
    wrap = true;
  } else if (tag == u"m:num" || tag == u"m:den") {
    wrap = true;
  } else if (tag == u"m:e" && parentTag == u"m:rad") {
    FText += u"√";
    wrap = true;
  } else if (tag == u"m:e" && parentTag == u"m:func") {
    wrap = true;
  }
  Push(tag, wrap);
  if (tag == u"m:nary")
    FOpen.back().sign = u"∫";
  else if (tag == u"m:d") {
    FOpen.back().sign = u"(";
    FOpen.back().close = u")";
    FOpen.back().separator = u"|";
  }
}

void DocxMath::Finish(std::u16string_view tag) {
  if (FOpen.empty() || FOpen.back().tag != tag)
    return; // an element past the depth kept, or a property's child
  Frame frame = std::move(FOpen.back());
  FOpen.pop_back();
  const size_t length = FText.size() - frame.start;
  // A simple exponent or index in the characters made for it: r², a₀.
  const bool script = tag == u"m:sup" || tag == u"m:sub";
  if (script && frame.start > 0) {
    if (auto characters =
            AsScriptCharacters(std::u16string_view(FText).substr(frame.start), tag == u"m:sup")) {
      FText.replace(frame.start - 1, std::u16string::npos, *characters);
      return;
    }
  }
  if (frame.wrap && length > 1) {
    FText.insert(frame.start, 1, u'(');
    FText += u')';
  }
  if (tag == u"m:num")
    FText += u"/";
  else if (tag == u"m:d")
    FText += frame.close;
  else if (tag == u"m:deg" && length > 0) {
    FText.insert(frame.start, 1, u'[');
    FText += u']';
  }
}

} // namespace scrivlet
