// What every reader target does with its input, as the programs convert a
// document: the first byte chooses the output format and the reader's
// options, the rest is the document, read into a Document with text,
// summary and macros requested; the described writers then make the output
// list and the story lists.  A reader may refuse a document with an
// Exception; anything else that escapes, and every memory fault, leak or
// sanitizer report, is a finding.
#pragma once

#include "core/DocumentSummary.h"
#include "core/Exception.h"
#include "core/ReaderOptions.h"
#include "document/Document.h"
#include "writers/DescribedOutput.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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

struct Settings {
  ReaderOptions reader;
  DescribedOutputOptions output;
};

// Settings from the first byte: bits 0-1 the format (3 also plain text),
// bit 2 hidden text, bit 3 raw control characters, bit 4 a text length
// limit of the byte's upper bits times 64.
inline Settings SettingsFrom(uint8_t byte) {
  Settings settings;
  ContentItems items{ContentItem::Text, ContentItem::Summary, ContentItem::Macros};
  if (byte & 0x04)
    items.Include(ContentItem::HiddenText);
  settings.reader.items = items;
  settings.reader.convertControlCharacters = (byte & 0x08) == 0;
  settings.reader.limits = FuzzLimits();

  settings.output.format = static_cast<OutputFormat>((byte & 3) == 3 ? 0 : byte & 3);
  settings.output.convertControlCharacters = settings.reader.convertControlCharacters;
  if (byte & 0x10)
    settings.output.maxTextLength = (byte >> 5) * 64 + 1;
  // A fixed creation time, so that a finding reproduces byte for byte.
  settings.output.created = DateTimeFields{2001, 12, 31, 0, 0, 0, 0};
  return settings;
}

// Writes everything the reader produced and touches it, so that the output
// is built and checked by the sanitizers.
inline size_t ConsumeOutput(const Document& document, const DescribedOutputOptions& output) {
  size_t total = DescribedLines(document, output).GetText().size();
  const StoryLists stories = DescribedStories(document, output);
  for (const TextLines* list :
       {&stories.Footnotes, &stories.Endnotes, &stories.Headers, &stories.Footers,
        &stories.Comments, &stories.TextBoxes, &stories.Macros})
    total += list->GetTextW().size();
  total += document.summary.Title.size() + document.summary.Author.size();
  return total;
}

template <class Reader> int RunReader(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  const Settings settings = SettingsFrom(data[0]);
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  Document document;
  Reader reader;
  try {
    reader.Read(bytes, std::string(), settings.reader, document);
  } catch (const Exception&) {
    // a refused document: the reader's message, no fault; what was read
    // before it is written all the same
  }
  volatile size_t sink = ConsumeOutput(document, settings.output);
  (void)sink;
  return 0;
}

} // namespace scrivlet::fuzz
