#include "readers/fictionbook/FictionBookFormat.h"

#include "readers/fictionbook/FictionBookReader.h"

namespace scrivlet {
namespace {

// How far into the file the root element may start (after the XML
// declaration, comments and a processing instruction or two).
constexpr size_t kRootSearch = 4096;

// The first element of the XML text is <FictionBook (after a byte-order
// mark, the declaration, comments and processing instructions).
bool HasSignature(ContentProbe& probe) {
  std::string_view head = probe.Data().substr(0, kRootSearch);
  if (head.starts_with("\xEF\xBB\xBF"))
    head.remove_prefix(3);
  size_t at = 0;
  while (true) {
    at = head.find('<', at);
    if (at == std::string_view::npos || at + 1 >= head.size())
      return false;
    char next = head[at + 1];
    if (next == '?' || next == '!') {
      ++at;
      continue;
    }
    if (head.substr(at + 1, 11) != "FictionBook")
      return false;
    return at + 12 < head.size() &&
           std::string_view(" \t\r\n>/").find(head[at + 12]) != std::string_view::npos;
  }
}

std::unique_ptr<DocumentReader> Create() {
  return std::make_unique<FictionBookReader>();
}

} // namespace

const ReaderKind kFictionBookFormat = {
    "fb2", "FictionBookReader", ".FB2", HeadingSource::SummaryTitle, true,
    false, HasSignature,        Create};

} // namespace scrivlet
