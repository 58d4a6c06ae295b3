// Text boxes of Word 97-2003 documents.  Their text is a story of its own
// after the main text's other stories; a table of the text boxes (the
// story's character positions, and for each box a record that names the
// shape holding it) and a table of the shapes anchored in the main text
// (each anchor's character position, and a record that starts with the
// shape's identifier) tell where each box stands.  A box is shown after
// the paragraph that holds its anchor, as a reader of the page sees it
// beside that paragraph.
#include "core/ByteReader.h"
#include "readers/word/DocReader.h"

#include <algorithm>
#include <unordered_map>

namespace scrivlet {
namespace {

// Where the FIB places the main text's shape anchors and the text boxes'
// table (offset, then size, in the table stream).
constexpr size_t kFcPlcSpaMom = 474, kFcPlcftxbxTxt = 602;
constexpr size_t kShapeRecordSize = 26;   // the shape's identifier first
constexpr size_t kTextBoxRecordSize = 22; // free-slot flag at 8, the shape at 14
constexpr size_t kTextBoxReusable = 8, kTextBoxShape = 14;

// A table of n + 1 character positions and n records of a fixed size.
struct PositionTable {
  std::string_view positions, records;
  size_t count = 0;
};

PositionTable ReadPositionTable(std::string_view table, uint32_t offset, uint32_t size,
                                size_t recordSize) {
  PositionTable plc;
  if (offset > table.size() || size > table.size() - offset || size < 4)
    return plc;
  plc.count = (size - 4) / (4 + recordSize);
  plc.positions = table.substr(offset, 4 * (plc.count + 1));
  plc.records = table.substr(offset + 4 * (plc.count + 1), plc.count * recordSize);
  return plc;
}

} // namespace

std::vector<AnchoredBlocks> DocReader::ReadTextBoxes(std::string_view table,
                                                     std::u16string_view text) {
  std::u16string_view story = StoryText(text, StoryKind::TextBoxes);
  std::vector<AnchoredBlocks> boxes;
  if (story.empty())
    return boxes;
  const uint32_t mainEnd = Fib32(76);
  std::unordered_map<uint32_t, uint32_t> anchorOfShape;
  PositionTable shapes =
      ReadPositionTable(table, Fib32(kFcPlcSpaMom), Fib32(kFcPlcSpaMom + 4), kShapeRecordSize);
  for (size_t i = 0; i < shapes.count; ++i)
    anchorOfShape.emplace(ByteReader::Get32(shapes.records, i * kShapeRecordSize),
                          ByteReader::Get32(shapes.positions, 4 * i));
  PositionTable places = ReadPositionTable(table, Fib32(kFcPlcftxbxTxt), Fib32(kFcPlcftxbxTxt + 4),
                                           kTextBoxRecordSize);
  // Without the table the story is one box at the end of the text.
  if (places.count == 0) {
    boxes.push_back({mainEnd, StoryBlocks(story, true)});
    return boxes;
  }
  for (size_t i = 0; i < places.count; ++i) {
    const size_t record = i * kTextBoxRecordSize;
    if (ByteReader::Get16(places.records, record + kTextBoxReusable) != 0)
      continue; // a free slot
    uint32_t start = ByteReader::Get32(places.positions, 4 * i);
    uint32_t end = ByteReader::Get32(places.positions, 4 * (i + 1));
    if (start >= end || start >= story.size())
      continue;
    std::u16string_view box = story.substr(start, std::min<size_t>(end, story.size()) - start);
    // One paragraph mark ends the box's last paragraph.
    while (box.size() > 1 && box.back() == u'\r' && box[box.size() - 2] == u'\r')
      box.remove_suffix(1);
    if (box.empty() || box == u"\r")
      continue;
    auto anchor = anchorOfShape.find(ByteReader::Get32(places.records, record + kTextBoxShape));
    uint32_t cp = anchor != anchorOfShape.end() ? anchor->second : mainEnd;
    boxes.push_back({cp, StoryBlocks(box, true)});
  }
  std::stable_sort(boxes.begin(), boxes.end(),
                   [](const AnchoredBlocks& a, const AnchoredBlocks& b) { return a.cp < b.cp; });
  return boxes;
}

} // namespace scrivlet
