#include "readers/word/WordFormatting.h"

#include "core/ByteReader.h"

#include <algorithm>
#include <cstdint>

namespace scrivlet {
namespace {

constexpr size_t kPageSize = 512;
// A paragraph run's entry: an offset byte and the paragraph's height (12
// bytes from Word 97 on, 6 before).
constexpr size_t kParagraphEntrySize = 13, kWord6ParagraphEntrySize = 7;
constexpr uint32_t kPageNumberMask = 0x003FFFFF;

std::string_view Slice(std::string_view data, uint64_t offset, uint64_t size) {
  if (offset > data.size() || size > data.size() - offset)
    return {};
  return data.substr(static_cast<size_t>(offset), static_cast<size_t>(size));
}

// The pages a bin table names: n + 1 stream offsets, then n page numbers
// (of four bytes from Word 97 on, of two before).
std::vector<std::string_view> FormattedPages(std::string_view main, std::string_view bins,
                                             ModifierCodes codes) {
  std::vector<std::string_view> pages;
  const size_t numberSize = codes == ModifierCodes::OneByte ? 2 : 4;
  if (bins.size() < 4)
    return pages;
  size_t count = (bins.size() - 4) / (4 + numberSize);
  for (size_t i = 0; i < count; ++i) {
    const size_t at = 4 * (count + 1) + numberSize * i;
    uint32_t pn = numberSize == 2 ? ByteReader::Get16(bins, at)
                                  : ByteReader::Get32(bins, at) & kPageNumberMask;
    std::string_view page = Slice(main, uint64_t{pn} * kPageSize, kPageSize);
    if (!page.empty())
      pages.push_back(page);
  }
  return pages;
}

// A page's run count (its last byte) and its runs' stream offsets; false
// when the runs and their entries do not fit the page.
bool PageRuns(std::string_view page, size_t entrySize, size_t& count) {
  count = static_cast<uint8_t>(page[kPageSize - 1]);
  return (count + 1) * 4 + count * entrySize < kPageSize;
}

} // namespace

WordFormatting::WordFormatting(std::string_view main, std::string_view table,
                               const FormattingPlaces& places, const std::vector<TextPiece>& pieces)
    : FCodes(places.codes), FStyles(table, places.styleSheet, places.styleSheetSize, places.codes),
      FLists(table, places.lists, places.listsSize, places.listOverrides,
             places.listOverridesSize) {
  FParagraphs.push_back(FStyles.Paragraph(0));
  FMarks.push_back(0);
  FParagraphRuns = MapToCharacters(ReadParagraphPages(main, table, places), pieces);
  FCharacterRuns = MapToCharacters(ReadCharacterPages(main, table, places), pieces);
}

// A paragraph page: after the run offsets, an entry per run whose first
// byte is the word offset of its properties (0: the defaults).  There a
// count byte and the style index with the paragraph's own modifiers: from
// Word 97 on the count is in words, less one byte (0: the next byte counts
// words); before, it counts the words after it.
std::vector<WordFormatting::FcRun>
WordFormatting::ReadParagraphPages(std::string_view main, std::string_view table,
                                   const FormattingPlaces& places) {
  const bool word6 = FCodes == ModifierCodes::OneByte;
  const size_t entrySize = word6 ? kWord6ParagraphEntrySize : kParagraphEntrySize;
  std::vector<FcRun> runs;
  for (std::string_view page :
       FormattedPages(main, Slice(table, places.paragraphBins, places.paragraphBinsSize), FCodes)) {
    size_t count = 0;
    if (!PageRuns(page, entrySize, count))
      continue;
    for (size_t i = 0; i < count; ++i) {
      FcRun& run = runs.emplace_back();
      run.fcStart = ByteReader::Get32(page, 4 * i);
      run.fcEnd = ByteReader::Get32(page, 4 * (i + 1));
      size_t at = size_t{static_cast<uint8_t>(page[(count + 1) * 4 + i * entrySize])} * 2;
      if (at == 0 || at + 2 > kPageSize)
        continue;
      size_t words = static_cast<uint8_t>(page[at]);
      size_t start = at + 1, size = word6 ? words * 2 : words * 2 - 1;
      if (words == 0 && !word6) {
        start = at + 2;
        size = size_t{static_cast<uint8_t>(page[at + 1])} * 2;
      }
      std::string_view properties = Slice(page, start, size);
      if (properties.size() < 2)
        continue;
      ParagraphProperties paragraph = FStyles.Paragraph(ByteReader::Get16(properties, 0));
      ApplyParagraphModifiers(properties.substr(2), paragraph, FCodes);
      run.index = static_cast<uint32_t>(FParagraphs.size());
      FParagraphs.push_back(paragraph);
    }
  }
  return runs;
}

// A character page: after the run offsets, a byte per run with the word
// offset of its modifiers (0: none), which start with their byte count.
std::vector<WordFormatting::FcRun>
WordFormatting::ReadCharacterPages(std::string_view main, std::string_view table,
                                   const FormattingPlaces& places) {
  std::vector<FcRun> runs;
  for (std::string_view page :
       FormattedPages(main, Slice(table, places.characterBins, places.characterBinsSize), FCodes)) {
    size_t count = 0;
    if (!PageRuns(page, 1, count))
      continue;
    for (size_t i = 0; i < count; ++i) {
      size_t at = size_t{static_cast<uint8_t>(page[(count + 1) * 4 + i])} * 2;
      if (at == 0 || at + 1 >= kPageSize)
        continue;
      Marks marks =
          ApplyCharacterModifiers(Slice(page, at + 1, static_cast<uint8_t>(page[at])), 0, FCodes);
      if (marks == 0)
        continue;
      FcRun& run = runs.emplace_back();
      run.fcStart = ByteReader::Get32(page, 4 * i);
      run.fcEnd = ByteReader::Get32(page, 4 * (i + 1));
      run.index = static_cast<uint32_t>(FMarks.size());
      FMarks.push_back(marks);
    }
  }
  return runs;
}

// The runs laid over the pieces: each piece's stretch of stream offsets
// meets the runs that cover it, in order.  Stretches no run covers get the
// defaults.
std::vector<WordFormatting::CpRun>
WordFormatting::MapToCharacters(std::vector<FcRun> runs, const std::vector<TextPiece>& pieces) {
  std::stable_sort(runs.begin(), runs.end(),
                   [](const FcRun& a, const FcRun& b) { return a.fcStart < b.fcStart; });
  std::vector<CpRun> mapped;
  for (const TextPiece& piece : pieces) {
    if (piece.cpEnd <= piece.cpStart || piece.bytesPerChar == 0)
      continue;
    const uint64_t fcEnd = piece.fc + uint64_t{piece.cpEnd - piece.cpStart} * piece.bytesPerChar;
    auto cpOf = [&](uint64_t fc) {
      return piece.cpStart +
             static_cast<uint32_t>((fc - piece.fc + piece.bytesPerChar - 1) / piece.bytesPerChar);
    };
    auto run = std::upper_bound(runs.begin(), runs.end(), piece.fc,
                                [](uint64_t fc, const FcRun& r) { return fc < r.fcEnd; });
    uint64_t fc = piece.fc;
    for (; run != runs.end() && run->fcStart < fcEnd && fc < fcEnd; ++run) {
      if (run->fcEnd <= fc)
        continue;
      if (run->fcStart > fc) {
        mapped.push_back({cpOf(run->fcStart), 0});
        fc = run->fcStart;
      }
      fc = std::min(run->fcEnd, fcEnd);
      mapped.push_back({cpOf(fc), run->index});
    }
    if (fc < fcEnd)
      mapped.push_back({piece.cpEnd, 0});
  }
  return mapped;
}

size_t WordFormatting::RunAt(const std::vector<CpRun>& runs, uint32_t cp) {
  return static_cast<size_t>(
      std::upper_bound(runs.begin(), runs.end(), cp,
                       [](uint32_t at, const CpRun& run) { return at < run.cpEnd; }) -
      runs.begin());
}

const ParagraphProperties& WordFormatting::ParagraphAt(uint32_t cp) const {
  size_t at = RunAt(FParagraphRuns, cp);
  return FParagraphs[at < FParagraphRuns.size() ? FParagraphRuns[at].index : 0];
}

Marks WordFormatting::MarksAt(uint32_t cp, uint32_t& until) {
  const std::vector<CpRun>& runs = FCharacterRuns;
  size_t& at = FCharacterCursor;
  if (at < runs.size() && cp >= runs[at].cpEnd && at + 1 < runs.size() && cp < runs[at + 1].cpEnd)
    ++at;
  else if (at >= runs.size() || cp >= runs[at].cpEnd || (at > 0 && cp < runs[at - 1].cpEnd))
    at = RunAt(runs, cp);
  if (at >= runs.size()) {
    until = UINT32_MAX;
    return 0;
  }
  until = runs[at].cpEnd;
  return FMarks[runs[at].index];
}

uint8_t WordFormatting::HeadingLevel(const ParagraphProperties& paragraph) const {
  uint16_t sti = FStyles.BuiltIn(paragraph.istd);
  if (sti >= 1 && sti <= 9)
    return static_cast<uint8_t>(sti);
  return paragraph.outlineLevel < 9 ? static_cast<uint8_t>(paragraph.outlineLevel + 1) : 0;
}

} // namespace scrivlet
