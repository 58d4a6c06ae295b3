// What every reader target does with its input: the first byte chooses the
// output format and the reader's options, the rest is the document, read
// from a memory stream with text, summary and macros requested.  A reader
// may refuse a document with an Exception; anything else that escapes, and
// every memory fault, leak or sanitizer report, is a finding.
#pragma once

#include "core/LegacyReader.h"
#include "core/DocumentSummary.h"
#include "core/Exception.h"
#include "core/Stream.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace scrivlet::fuzz {

// Smaller than the defaults, so that an input that reaches a cap does so
// quickly; the checks are the same.
inline Limits FuzzLimits() {
  Limits limits;
  limits.decodedBytesPerStream = 8u << 20;
  limits.decodedBytesPerDocument = 32u << 20;
  limits.outputCharacters = 4u << 20;
  return limits;
}

// Options from the first byte: bits 0-1 the format (3 also plain text),
// bit 2 hidden text, bit 3 raw control characters, bit 4 a text length
// limit of the byte's upper bits times 64.
inline void ApplyOptions(LegacyReader& reader, uint8_t options) {
  reader.SetTextFormating(static_cast<OutputFormat>((options & 3) == 3 ? 0 : options & 3));
  ContentItems items{ContentItem::Text, ContentItem::Summary, ContentItem::Macros};
  if (options & 0x04)
    items.Include(ContentItem::HiddenText);
  reader.SetParseItems(items);
  reader.SetConvertSysCharacters((options & 0x08) == 0);
  if (options & 0x10)
    reader.SetMaxTextLength((options >> 5) * 64 + 1);
  reader.SetResourceLimits(FuzzLimits());
}

// Touches everything the reader produced, so that the output is built and
// checked by the sanitizers.
inline size_t ConsumeOutput(const LegacyReader& reader) {
  size_t total = reader.Lines().GetText().size();
  if (const DocumentSummary* summary = reader.SummaryInformation())
    total += summary->Title.size() + summary->Author.size();
  return total;
}

template <class Reader> int RunReader(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  Reader reader;
  ApplyOptions(reader, data[0]);
  MemoryStream stream(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  try {
    reader.LoadFromStream(stream);
  } catch (const Exception&) {
    // a refused document: the reader's message, no fault
  }
  volatile size_t sink = ConsumeOutput(reader);
  (void)sink;
  return 0;
}

} // namespace scrivlet::fuzz
