// A reader of the document model behind the older reader interface, while
// the front end still drives readers through it: the reader fills a
// Document, and the described writers give the output list and stories.
#pragma once

#include "core/CodePage.h"
#include "core/LegacyReader.h"
#include "core/StoryLists.h"
#include "core/Stream.h"
#include "document/Document.h"
#include "writers/DescribedOutput.h"

namespace scrivlet {

template <class Reader> class ModelAdapter : public LegacyReader {
public:
  ModelAdapter() {
    KeepSummaryInformation();
    // A reader that names its convention beforehand keeps the Word story
    // lists also when no document was read (a file not found).
    if constexpr (requires { Reader::kMarkup; })
      FWordStories =
          Reader::kMarkup == MarkupConvention::Word || Reader::kMarkup == MarkupConvention::WordXml;
  }

  void ParseStream(Stream& stream) override {
    LegacyReader::ParseStream(stream);
    FStories.Clear();
    std::string bytes = stream.ReadRest();
    Document document;
    Reader& reader = FReader;
    ReaderOptions options;
    options.items = ParseItems();
    options.convertControlCharacters = ConvertSysCharacters();
    options.password = Password();
    options.limits = ResourceLimits();
    options.systemCodePage = SystemCodePage();
    options.textCodePage = LegacyTextCodePage();
    try {
      reader.Read(bytes, FileName(), options, document);
    } catch (...) {
      FEncrypted = reader.IsEncrypted();
      Publish(document);
      throw;
    }
    FEncrypted = reader.IsEncrypted();
    Publish(document);
  }
  void LoadFromFile(const std::string& fileName) override { ParseFile(fileName); }
  bool IsEncrypted() override { return FEncrypted; }
  const StoryLists* Stories() const override { return FWordStories ? &FStories : nullptr; }
  // The reader itself, for what it keeps beside the document.
  Reader& Inner() { return FReader; }

private:
  void Publish(const Document& document) {
    DescribedOutputOptions output;
    output.format = TextFormating();
    output.maxTextLength = MaxTextLength();
    output.convertControlCharacters = ConvertSysCharacters();
    output.codePage = SystemCodePage();
    if (output.format == OutputFormat::Rtf)
      output.created = NowFields();
    OutputLines() = DescribedLines(document, output);
    FStories = DescribedStories(document, output);
    FWordStories =
        document.markup == MarkupConvention::Word || document.markup == MarkupConvention::WordXml;
    FTextLimited = MaxTextLength() > 0;
    if (document.hasSummary)
      SetSummaryInformation(document.summary);
    else
      ForgetSummaryInformation();
  }

  Reader FReader;
  StoryLists FStories;
  bool FWordStories = false;
  bool FEncrypted = false;
};

} // namespace scrivlet
