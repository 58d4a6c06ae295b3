#include "document/Document.h"

namespace scrivlet {

std::u16string Block::Text() const {
  std::u16string text;
  for (const Inline& piece : content) {
    if (piece.kind == InlineKind::Text || piece.kind == InlineKind::FieldResult)
      text += piece.text;
    else if (piece.kind == InlineKind::NoteReference)
      text += u"[" + piece.text + u"]";
    else if (piece.kind == InlineKind::SoftBreak)
      text += u' ';
  }
  return text;
}

std::u16string Block::VisibleText() const {
  std::u16string text;
  for (const Inline& piece : content) {
    if ((piece.marks & (kDeleted | kHidden)) != 0)
      continue;
    switch (piece.kind) {
    case InlineKind::Text:
    case InlineKind::FieldResult: text += piece.text; break;
    case InlineKind::NoteReference: text += u"[" + piece.text + u"]"; break;
    case InlineKind::LineBreak: text += u'\n'; break;
    case InlineKind::SoftBreak: text += u' '; break;
    case InlineKind::Tab: text += u'\t'; break;
    default: break;
    }
  }
  return text;
}

Document::Document() {
  stories.emplace_back();
  characterStyles.emplace_back();
}

Story& Document::AddStory(StoryKind kind) {
  Story& story = stories.emplace_back();
  story.kind = kind;
  return story;
}

const Story* Document::Find(StoryKind kind) const {
  for (const Story& story : stories)
    if (story.kind == kind)
      return &story;
  return nullptr;
}

uint32_t Document::AddCharacterStyle(CharacterStyle style) {
  characterStyles.push_back(std::move(style));
  return static_cast<uint32_t>(characterStyles.size() - 1);
}

} // namespace scrivlet
