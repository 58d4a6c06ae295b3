// A document through a reader and the described writer, as the programs
// convert it: the benchmarks time this whole path.
#pragma once

#include "core/ReaderOptions.h"
#include "document/Document.h"
#include "writers/DescribedOutput.h"

#include <string>
#include <string_view>

namespace scrivlet::bench {

// Reads bytes with a new Reader and writes the main text's output list in
// format; gives the list's entry count.
template <class Reader>
int ReadAndDescribe(std::string_view bytes, OutputFormat format = OutputFormat::PlainText) {
  Reader reader;
  Document document;
  reader.Read(bytes, std::string(), ReaderOptions(), document);
  DescribedOutputOptions output;
  output.format = format;
  return DescribedLines(document, output).Count();
}

} // namespace scrivlet::bench
