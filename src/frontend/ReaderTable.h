// Which reader converts which file: the one table that both programs use.
// Each reader adds its row here.
#pragma once

#include "core/LegacyReader.h"

#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace scrivlet {

// What the CGI page shows as its heading for a reader's documents.
enum class HeadingSource { SummaryTitle, FileName };

struct ReaderKind {
  const char* extension; // upper case with the dot; "" for the default row
  const char* name;      // the command line's --reader value
  const char* className;
  HeadingSource heading;
  std::unique_ptr<LegacyReader> (*create)();
};

// The rows in the order they are matched; the last row is the default.
std::span<const ReaderKind> ReaderTable();

// The reader for a file name: its upper-cased extension against the rows in
// order; any other extension, or none, gives the Word binary reader.
const ReaderKind& ReaderForFileName(std::string_view fileName);

// The row whose name is kind, or nullptr.
const ReaderKind* ReaderByName(std::string_view kind);

} // namespace scrivlet
