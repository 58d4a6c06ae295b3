// Footnotes and endnotes of Word 97-2003 documents.  Two tables in the
// table stream place each kind: the references (the character positions
// of the reference marks in the main text, and for each a word that is
// not zero when Word numbers the note itself) and the texts (positions in
// the kind's own story, which follows the main text, one more than there
// are notes).  An auto-numbered reference is the character 2; a note with
// a mark of its own has that mark's text there.
#include "core/ByteReader.h"
#include "core/Numbers.h"
#include "readers/word/DocReader.h"

#include <algorithm>

namespace scrivlet {
namespace {

constexpr size_t kCcpText = 76, kCcpFtn = 80, kCcpHdd = 84, kCcpMcr = 88, kCcpAtn = 92;
constexpr size_t kFootnoteReferences = 170, kFootnoteTexts = 178;
constexpr size_t kEndnoteReferences = 522, kEndnoteTexts = 530;
constexpr char16_t kAutoNumberMark = 2;
constexpr size_t kReferenceEntrySize = 6; // a position and a word

std::string_view Slice(std::string_view data, uint32_t offset, uint32_t size) {
  if (offset > data.size() || size > data.size() - offset)
    return {};
  return data.substr(offset, size);
}

// Drops the blanks and tabs Word puts between a note's mark and its text.
void TrimLeadingBlanks(std::vector<Block>& blocks) {
  for (Block& block : blocks) {
    auto& content = block.content;
    content.erase(content.begin(),
                  std::find_if(content.begin(), content.end(),
                               [](const Inline& piece) { return piece.kind != InlineKind::Tab; }));
    if (content.empty())
      continue;
    if (content.front().kind == InlineKind::Text) {
      std::u16string& text = content.front().text;
      text.erase(0, std::min(text.find_first_not_of(u" \t"), text.size()));
    }
    return;
  }
}

} // namespace

void DocReader::ReadNoteKind(std::string_view table, std::u16string_view mainText, bool endnote,
                             std::vector<NoteAnchor>& anchors) {
  const size_t references = endnote ? kEndnoteReferences : kFootnoteReferences;
  const size_t texts = endnote ? kEndnoteTexts : kFootnoteTexts;
  std::string_view referencePlc = Slice(table, Fib32(references), Fib32(references + 4));
  std::string_view textPlc = Slice(table, Fib32(texts), Fib32(texts + 4));
  if (referencePlc.size() < 4)
    return;
  const size_t count = (referencePlc.size() - 4) / kReferenceEntrySize;
  const size_t textCount = textPlc.size() / 4;
  // The kind's story starts after the main text and the stories before it.
  uint64_t storyStart = Fib32(kCcpText) + uint64_t{Fib32(kCcpFtn)};
  if (endnote)
    storyStart += uint64_t{Fib32(kCcpHdd)} + Fib32(kCcpMcr) + Fib32(kCcpAtn);
  else
    storyStart = Fib32(kCcpText);
  uint32_t numbered = 0;
  for (size_t i = 0; i < count; ++i) {
    uint32_t cp = ByteReader::Get32(referencePlc, 4 * i);
    bool autoNumbered = ByteReader::Get16(referencePlc, 4 * (count + 1) + 2 * i) != 0;
    Note& note = Doc().notes.emplace_back();
    note.endnote = endnote;
    note.id = (endnote ? u"en" : u"fn") + DecimalText(static_cast<uint32_t>(i + 1));
    if (autoNumbered || cp >= mainText.size() || mainText[cp] == kAutoNumberMark) {
      ++numbered;
      note.label = endnote ? RomanText(numbered) : DecimalText(numbered); // Word: i, ii, iii, ...
    } else {
      note.label = std::u16string(1, mainText[cp]);
    }
    NoteRange& range = FNoteRanges.emplace_back();
    if (i + 1 < textCount) {
      range.cpStart = storyStart + ByteReader::Get32(textPlc, 4 * i);
      range.cpEnd = storyStart + ByteReader::Get32(textPlc, 4 * (i + 1));
    }
    NoteAnchor& anchor = anchors.emplace_back();
    anchor.cp = cp;
    anchor.id = note.id;
    anchor.label = note.label;
  }
}

// The notes in the order the document holds them, footnotes first; the
// anchors in the order of their positions.
std::vector<NoteAnchor> DocReader::ReadNotes(std::string_view table, std::u16string_view mainText) {
  std::vector<NoteAnchor> anchors;
  FNoteRanges.clear();
  ReadNoteKind(table, mainText, false, anchors);
  ReadNoteKind(table, mainText, true, anchors);
  std::stable_sort(anchors.begin(), anchors.end(),
                   [](const NoteAnchor& a, const NoteAnchor& b) { return a.cp < b.cp; });
  return anchors;
}

// Each note's text, up to its last paragraph mark.
void DocReader::ReadNoteTexts(const std::string& main, uint32_t textEnd) {
  for (size_t i = 0; i < FNoteRanges.size() && i < Doc().notes.size(); ++i) {
    const NoteRange& range = FNoteRanges[i];
    uint64_t end = std::min<uint64_t>(range.cpEnd, textEnd);
    if (range.cpStart >= end)
      continue;
    std::u16string text =
        DecodeRange(main, static_cast<uint32_t>(range.cpStart), static_cast<uint32_t>(end));
    while (!text.empty() && text.back() == u'\r')
      text.pop_back();
    // A note of its own mark repeats the mark before its text.
    const std::u16string& label = Doc().notes[i].label;
    if (text.compare(0, label.size(), label) == 0)
      text.erase(0, label.size());
    std::vector<Block> blocks = StoryBlocks(text, true);
    TrimLeadingBlanks(blocks);
    Note& note = Doc().notes[i];
    for (Block& block : blocks) {
      size_t size = 1;
      for (const Inline& piece : block.content)
        size += piece.text.size();
      CountOutput(size);
      note.blocks.push_back(std::move(block));
    }
  }
}

} // namespace scrivlet
