#include "support/WordBuilder.h"
#include "support/Bytes.h"

#include "support/CompoundFileBuilder.h"

#include <algorithm>

namespace scrivlet::test {
namespace {

constexpr uint32_t kTextStart = 1024; // after the FIB

std::string PieceBytes(const WordBuilder::Piece& piece) {
  std::string bytes;
  for (char16_t c : piece.text) {
    bytes += static_cast<char>(c & 0xFF);
    if (!piece.compressed)
      bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

} // namespace

PropertyValue PropertyValue::Int(uint32_t id, uint32_t value) {
  return {id, 3, U32(value)};
}
PropertyValue PropertyValue::String(uint32_t id, const std::string& text) {
  return {id, 30, U32(static_cast<uint32_t>(text.size() + 1)) + text + '\0'};
}
PropertyValue PropertyValue::FileTime(uint32_t id, uint64_t value) {
  return {id, 64, U32(static_cast<uint32_t>(value)) + U32(static_cast<uint32_t>(value >> 32))};
}
PropertyValue PropertyValue::CodePage(uint16_t codePage) {
  std::string bytes(4, '\0');
  Put16(bytes, 0, codePage);
  return {1, 2, bytes};
}

std::string PropertySet(const std::vector<PropertyValue>& properties) {
  std::string set(48, '\0');
  Put16(set, 0, 0xFFFE);
  Put32(set, 24, 1);  // one section
  Put32(set, 44, 48); // at offset 48
  std::string section = U32(0) + U32(static_cast<uint32_t>(properties.size()));
  std::string values;
  uint32_t valueStart = 8 + 8 * static_cast<uint32_t>(properties.size());
  for (const auto& p : properties) {
    section += U32(p.id) + U32(valueStart + static_cast<uint32_t>(values.size()));
    values += U32(p.type) + p.bytes;
    while (values.size() % 4)
      values += '\0';
  }
  section += values;
  Put32(section, 0, static_cast<uint32_t>(section.size()));
  return set + section;
}

uint32_t WordBuilder::TotalCharacters() const {
  uint32_t total = 0;
  for (const auto& piece : pieces)
    total += static_cast<uint32_t>(piece.text.size());
  return total;
}

std::string WordBuilder::Sprm8(uint16_t code, uint8_t value) {
  return U16(code) + std::string(1, static_cast<char>(value));
}
std::string WordBuilder::Sprm16(uint16_t code, uint16_t value) {
  return U16(code) + U16(value);
}
std::string WordBuilder::Sprm32(uint16_t code, uint32_t value) {
  return U16(code) + U32(value);
}

bool WordBuilder::HasFormatting() const {
  return !styles.empty() || !paragraphs.empty() || !characters.empty() || !lists.empty() ||
         !footnotes.empty() || !endnotes.empty() || !headerPlaces.empty() || !textBoxes.empty();
}

uint32_t WordBuilder::FcOf(uint32_t cp) const {
  uint32_t offset = kTextStart, start = 0;
  for (const auto& piece : pieces) {
    uint32_t size = static_cast<uint32_t>(piece.text.size());
    uint32_t width = piece.compressed ? 1 : 2;
    if (cp < start + size)
      return offset + (cp - start) * width;
    start += size;
    offset += size * width;
  }
  return offset;
}

namespace {

constexpr size_t kPage = 512;

// Places bytes below top at an even offset; returns that offset.
size_t PlaceBelow(std::string& page, size_t& top, const std::string& bytes) {
  top = (top - bytes.size()) & ~size_t{1};
  page.replace(top, bytes.size(), bytes);
  return top;
}

std::string Plc(const std::vector<uint32_t>& positions, const std::string& entries) {
  std::string plc;
  for (uint32_t position : positions)
    plc += U32(position);
  return plc + entries;
}

} // namespace

WordBuilder::Formatting WordBuilder::BuildFormatting(uint32_t tablesAt, uint32_t pagesAt) const {
  Formatting out;
  auto place = [&](const std::string& bytes, size_t size = std::string::npos) {
    Place where{tablesAt + static_cast<uint32_t>(out.tables.size()),
                static_cast<uint32_t>(size == std::string::npos ? bytes.size() : size)};
    out.tables += bytes;
    return where;
  };
  const bool word6 = IsWord6();
  // The style sheet: an 18-byte header, then each style (its fixed part 10
  // bytes, 8 in Word 6, with the name in UTF-16, in Word 6 in bytes).
  std::string sheet = U16(18) + U16(static_cast<uint32_t>(styles.size())) + U16(word6 ? 8 : 10);
  sheet.append(14, '\0');
  for (size_t istd = 0; istd < styles.size(); ++istd) {
    const Style& style = styles[istd];
    std::string std = U16(style.sti) + U16(1 | style.base << 4) + U16(2) + U16(0);
    if (word6)
      std += std::string("\x01S\0", 3) + '\0';
    else
      std += U16(0) + U16(1) + std::string("S\0\0\0", 4);
    std += U16(static_cast<uint32_t>(2 + style.paragraphSprms.size())) +
           U16(static_cast<uint32_t>(istd)) + style.paragraphSprms;
    if (std.size() % 2)
      std += '\0';
    std += U16(0);
    sheet += U16(static_cast<uint32_t>(std.size())) + std;
  }
  out.styleSheet = place(sheet);
  // One page of paragraph runs and one of character runs.
  auto fcs = [&](const std::vector<Run>& runs) {
    std::vector<uint32_t> positions;
    for (const Run& run : runs)
      positions.push_back(FcOf(run.cpStart));
    positions.push_back(runs.empty() ? kTextStart : FcOf(runs.back().cpEnd));
    return positions;
  };
  std::string paragraphPage(kPage, '\0'), characterPage(kPage, '\0');
  paragraphPage[kPage - 1] = static_cast<char>(paragraphs.size());
  Plc(fcs(paragraphs), "").copy(paragraphPage.data(), 4 * (paragraphs.size() + 1));
  size_t top = kPage - 1;
  for (size_t i = 0; i < paragraphs.size(); ++i) {
    std::string data = U16(paragraphs[i].istd) + paragraphs[i].sprms;
    std::string bytes;
    if (word6) { // a count of the words after it
      if (data.size() % 2)
        data += '\0';
      bytes = std::string(1, static_cast<char>(data.size() / 2));
    } else {
      bytes = data.size() % 2
                  ? std::string(1, static_cast<char>((data.size() + 1) / 2))
                  : std::string(1, '\0') + std::string(1, static_cast<char>(data.size() / 2));
    }
    size_t at = PlaceBelow(paragraphPage, top, bytes + data);
    paragraphPage[4 * (paragraphs.size() + 1) + (word6 ? 7 : 13) * i] = static_cast<char>(at / 2);
  }
  characterPage[kPage - 1] = static_cast<char>(characters.size());
  Plc(fcs(characters), "").copy(characterPage.data(), 4 * (characters.size() + 1));
  top = kPage - 1;
  for (size_t i = 0; i < characters.size(); ++i) {
    std::string bytes =
        std::string(1, static_cast<char>(characters[i].sprms.size())) + characters[i].sprms;
    size_t at = PlaceBelow(characterPage, top, bytes);
    characterPage[4 * (characters.size() + 1) + i] = static_cast<char>(at / 2);
  }
  out.pages = paragraphPage + characterPage;
  auto pageNumber = [&](uint32_t pn) { return word6 ? U16(pn) : U32(pn); };
  if (!paragraphs.empty())
    out.paragraphBins = place(Plc({FcOf(paragraphs.front().cpStart), FcOf(paragraphs.back().cpEnd)},
                                  pageNumber(pagesAt / kPage)));
  if (!characters.empty())
    out.characterBins = place(Plc({FcOf(characters.front().cpStart), FcOf(characters.back().cpEnd)},
                                  pageNumber(pagesAt / kPage + 1)));
  // The lists, then their levels (outside the lists' size); the overrides.
  if (!lists.empty()) {
    std::string fixed = U16(static_cast<uint32_t>(lists.size())), levels;
    for (const List& list : lists) {
      std::string lstf = U32(list.id) + std::string(22, '\0');
      lstf += static_cast<char>(list.simple ? 1 : 0);
      lstf += '\0';
      fixed += lstf;
      for (int level = 0; level < (list.simple ? 1 : 9); ++level)
        levels += U32(static_cast<uint32_t>(list.startAt)) +
                  std::string(1, static_cast<char>(list.nfc)) + std::string(23, '\0') + U16(0);
    }
    out.lists = place(fixed + levels, fixed.size());
    std::string overrides = U32(static_cast<uint32_t>(listOverrides.size()));
    for (uint32_t id : listOverrides)
      overrides += U32(id) + std::string(12, '\0');
    for (size_t i = 0; i < listOverrides.size(); ++i)
      overrides += U32(0xFFFFFFFF);
    out.overrides = place(overrides);
  }
  // The notes: references with a word each, texts with two positions more.
  auto notes = [&](const std::vector<NoteReference>& references, uint32_t storySize,
                   Place& referencePlace, Place& textPlace) {
    if (references.empty())
      return;
    std::vector<uint32_t> cps, texts;
    std::string words;
    for (const NoteReference& reference : references) {
      cps.push_back(reference.cp);
      texts.push_back(reference.textCp);
      words += U16(reference.autoNumbered ? 1 : 0);
    }
    cps.push_back(references.back().cp + 1);
    texts.push_back(storySize - 1);
    texts.push_back(storySize);
    referencePlace = place(Plc(cps, words));
    textPlace = place(Plc(texts, ""));
  };
  notes(footnotes, static_cast<uint32_t>(ccpFtn), out.footnoteReferences, out.footnoteTexts);
  notes(endnotes, static_cast<uint32_t>(ccpEdn), out.endnoteReferences, out.endnoteTexts);
  if (!headerPlaces.empty())
    out.headers = place(Plc(headerPlaces, ""));
  // Each box's shape (identifier 1025 on) anchored in the main text, and
  // the boxes' table naming the shapes; a box without an anchor names a
  // shape that is not there.
  if (!textBoxes.empty()) {
    std::vector<uint32_t> anchors, starts;
    std::string shapeRecords, boxRecords;
    for (size_t i = 0; i < textBoxes.size(); ++i) {
      const uint32_t shape = 1025 + static_cast<uint32_t>(i);
      starts.push_back(textBoxes[i].storyCp);
      boxRecords += std::string(14, '\0') + U32(textBoxes[i].anchorCp ? shape : 0xFFFF) + U32(0);
      if (textBoxes[i].anchorCp) {
        anchors.push_back(*textBoxes[i].anchorCp);
        shapeRecords += U32(shape) + std::string(22, '\0');
      }
    }
    starts.push_back(static_cast<uint32_t>(ccpTxbx));
    if (!anchors.empty()) {
      anchors.push_back(anchors.back() + 1);
      out.shapes = place(Plc(anchors, shapeRecords));
    }
    out.textBoxes = place(Plc(starts, boxRecords));
  }
  return out;
}

std::string WordBuilder::Fib(uint32_t fcMin, uint32_t fcMac, uint32_t lcbClx) const {
  std::string fib(kTextStart, '\0');
  Put16(fib, 0, wIdent);
  Put16(fib, 2, nFib);
  Put16(fib, 6, lid);
  uint32_t flags = (encrypted ? 0x0100 : 0) | (whichTable ? 0x0200 : 0) |
                   (extendedCharacters ? 0x1000 : 0) | (farEast ? 0x4000 : 0);
  Put16(fib, 10, flags);
  Put32(fib, 24, fcMin);
  Put32(fib, 28, fcMac);
  uint32_t text =
      ccpText >= 0 ? static_cast<uint32_t>(ccpText)
                   : TotalCharacters() - ccpFtn - ccpHdd - ccpAtn - ccpEdn - ccpTxbx - ccpHdrTxbx;
  const uint32_t counts[] = {text,
                             static_cast<uint32_t>(ccpFtn),
                             static_cast<uint32_t>(ccpHdd),
                             0,
                             static_cast<uint32_t>(ccpAtn),
                             static_cast<uint32_t>(ccpEdn),
                             static_cast<uint32_t>(ccpTxbx),
                             static_cast<uint32_t>(ccpHdrTxbx)};
  bool word6 = nFib == 101 || nFib == 104 || wIdent == 0x37FE;
  bool word2 = nFib < 101 && wIdent != 0x37FE;
  size_t countsAt = word6 || word2 ? 52 : 76;
  for (size_t i = 0; i < 8; ++i)
    Put32(fib, countsAt + 4 * i, counts[i]);
  if (word6) {
    Put32(fib, 352, lcbClx ? 0x300 : 0); // the CLX sits in the main stream
    Put32(fib, 356, lcbClx);
  } else if (!word2) {
    Put16(fib, 60, lidFE);
    Put32(fib, 418, 0);
    Put32(fib, 422, lcbClx);
  }
  return fib;
}

std::string WordBuilder::Clx(const std::vector<uint32_t>& fcs) const {
  std::string clx;
  for (int i = 0; i < modifierEntries; ++i)
    clx += std::string("\x01\x03\x00"
                       "abc",
                       6);
  std::string table;
  uint32_t cp = 0;
  for (const auto& piece : pieces) {
    table += U32(cp);
    cp += static_cast<uint32_t>(piece.text.size());
  }
  table += U32(cp);
  for (size_t k = 0; k < pieces.size(); ++k)
    table += std::string(2, '\0') + U32(fcs[k]) + std::string(2, '\0');
  clx += '\x02' + U32(static_cast<uint32_t>(table.size())) + table;
  return clx;
}

bool WordBuilder::IsWord6() const {
  return nFib == 101 || nFib == 104 || wIdent == 0x37FE;
}

std::string WordBuilder::MainStream() const {
  bool word6 = IsWord6();
  std::string text;
  std::vector<uint32_t> fcs;
  for (const auto& piece : pieces) {
    uint32_t offset = kTextStart + static_cast<uint32_t>(text.size());
    fcs.push_back(word6 ? offset : piece.compressed ? (offset * 2) | 0x40000000 : offset);
    text += PieceBytes(piece);
  }
  uint32_t fcMac = kTextStart + static_cast<uint32_t>(text.size());
  std::string clx = writeClx ? Clx(fcs) : std::string();
  std::string main = Fib(kTextStart, fcMac, static_cast<uint32_t>(clx.size()));
  if (word6)
    main.replace(0x300, clx.size(), clx);
  main += text;
  main.append(512, '\0'); // room after the text, as real streams have
  auto put = [&](size_t at, Place where) {
    Put32(main, at, where.offset);
    Put32(main, at + 4, where.size);
  };
  if (HasFormatting() && word6) {
    // Word 6 keeps the pages and the tables in the main stream: the pages
    // after the text, the tables after them, placed by the Word 6 header.
    main.resize((main.size() + kPage - 1) / kPage * kPage, '\0');
    const uint32_t pagesAt = static_cast<uint32_t>(main.size());
    Formatting formatting = BuildFormatting(pagesAt + 2 * kPage, pagesAt);
    main += formatting.pages + formatting.tables;
    put(96, formatting.styleSheet);
    put(184, formatting.characterBins);
    put(192, formatting.paragraphBins);
  } else if (HasFormatting()) {
    main.resize((main.size() + kPage - 1) / kPage * kPage, '\0');
    Formatting formatting = BuildFormatting(static_cast<uint32_t>(writeClx ? clx.size() : 16),
                                            static_cast<uint32_t>(main.size()));
    main += formatting.pages;
    main.resize(std::max<size_t>(main.size(), 1024), '\0');
    put(162, formatting.styleSheet);
    put(170, formatting.footnoteReferences);
    put(178, formatting.footnoteTexts);
    put(250, formatting.characterBins);
    put(258, formatting.paragraphBins);
    put(522, formatting.endnoteReferences);
    put(530, formatting.endnoteTexts);
    put(242, formatting.headers);
    put(474, formatting.shapes);
    put(602, formatting.textBoxes);
    put(738, formatting.lists);
    put(746, formatting.overrides);
  }
  return main;
}

std::string WordBuilder::TableStream() const {
  std::vector<uint32_t> fcs;
  uint32_t offset = kTextStart;
  for (const auto& piece : pieces) {
    fcs.push_back(piece.compressed ? (offset * 2) | 0x40000000 : offset);
    offset += static_cast<uint32_t>(PieceBytes(piece).size());
  }
  std::string table = writeClx ? Clx(fcs) : std::string(16, '\0');
  if (HasFormatting()) {
    // The pages follow the text and the room after it, as MainStream puts them.
    uint32_t pagesAt = static_cast<uint32_t>((offset + 512 + kPage - 1) / kPage * kPage);
    table += BuildFormatting(static_cast<uint32_t>(table.size()), pagesAt).tables;
  }
  return table;
}

std::string WordBuilder::Build() const {
  CompoundFileBuilder file;
  file.AddStream(u"WordDocument", MainStream());
  bool word97 = nFib >= 105 || nFib == 103 || (nFib > 101 && nFib != 104);
  if (writeTable && word97 && wIdent != 0x37FE)
    file.AddStream(whichTable ? u"1Table" : u"0Table", TableStream());
  if (!summaryInformation.empty())
    file.AddStream(u"\x05SummaryInformation", summaryInformation);
  if (!documentSummaryInformation.empty())
    file.AddStream(u"\x05"
                   u"DocumentSummaryInformation",
                   documentSummaryInformation);
  return file.Build();
}

} // namespace scrivlet::test
