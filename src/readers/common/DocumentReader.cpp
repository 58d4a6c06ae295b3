#include "readers/common/DocumentReader.h"

#include <vector>

namespace scrivlet {
namespace {

// The characters a block holds, nested tables included (with a stack of
// its own: tables nest as deep as a file makes them).
size_t TextSize(const Block& top) {
  size_t size = 0;
  std::vector<const Block*> pending{&top};
  while (!pending.empty()) {
    const Block& block = *pending.back();
    pending.pop_back();
    size += block.marker.size() + block.style.size();
    for (const Inline& piece : block.content)
      size += piece.text.size() + piece.target.size();
    for (const TableRow& row : block.rows)
      for (const TableCell& cell : row.cells)
        for (const Block& inner : cell.blocks)
          pending.push_back(&inner);
  }
  return size;
}

} // namespace

void DocumentReader::Read(std::string_view bytes, const std::string& name,
                          const ReaderOptions& options, Document& document) {
  FOptions = &options;
  FFileName = &name;
  FDocument = &document;
  FOutputCharacters = 0;
  FBudget = WorkBudget(options.limits, bytes.size());
  document.textRead = options.items.Contains(ContentItem::Text);
  struct Detach {
    DocumentReader& reader;
    ~Detach() {
      reader.FOptions = nullptr;
      reader.FFileName = nullptr;
      reader.FDocument = nullptr;
    }
  } detach{*this};
  Parse(bytes);
  document.complete = true;
}

DocumentSummary& DocumentReader::Summary() {
  FDocument->hasSummary = true;
  return FDocument->summary;
}

void DocumentReader::CountOutput(size_t characters) {
  FOutputCharacters += characters;
  if (FOutputCharacters > FOptions->limits.outputCharacters)
    throw LimitExceeded("output characters", FOptions->limits.outputCharacters);
}

uint64_t DocumentReader::OutputCharactersLeft() const {
  const uint64_t limit = FOptions->limits.outputCharacters;
  return FOutputCharacters < limit ? limit - FOutputCharacters : 0;
}

Block& DocumentReader::AddBlock(Story& story, Block block) {
  const size_t characters = TextSize(block);
  CountOutput(characters + 1);
  FBudget.SpendMemory(sizeof(Block) + characters * sizeof(char16_t));
  return story.blocks.emplace_back(std::move(block));
}

} // namespace scrivlet
