// What the two Word readers (binary and XML) share: the summary record and
// the story lists.
#pragma once

#include "core/LegacyReader.h"
#include "core/DocumentSummary.h"
#include "core/StoryLists.h"

namespace scrivlet {

class WordReaderBase : public LegacyReader {
public:
  WordReaderBase() { KeepSummaryInformation(); }
  void Clear() override {
    LegacyReader::Clear();
    FStories.Clear();
  }

  const StoryLists* Stories() const override { return &FStories; }

  const TextLines& Macros() const { return FStories.Macros; }
  const TextLines& Footnotes() const { return FStories.Footnotes; }
  const TextLines& Headers() const { return FStories.Headers; }
  const TextLines& Footers() const { return FStories.Footers; }
  const TextLines& Comments() const { return FStories.Comments; }
  const TextLines& Endnotes() const { return FStories.Endnotes; }
  const TextLines& TextBoxes() const { return FStories.TextBoxes; }

protected:
  StoryLists FStories;
};

} // namespace scrivlet
