// Which reader converts which file: the one registry of the formats, which
// the command line (by content, --reader, usage text) and the CGI (by
// extension) both read.  A reader's folder defines its ReaderKind; adding a
// reader adds its line to the list in ReaderRegistry.cpp.
#pragma once

#include "readers/common/ReaderKind.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace scrivlet {

// Every reader, in the order extensions are matched; the last is the
// default for any other extension.
std::span<const ReaderKind* const> ReaderTable();

// The reader for a file name: its upper-cased extension against the
// readers in order; any other extension, or none, gives the last (Word).
const ReaderKind& ReaderForFileName(std::string_view fileName);

// The reader whose extensions hold the file name's, or nullptr (the
// default reader takes such files only by ReaderForFileName).
const ReaderKind* ReaderNamedByExtension(std::string_view fileName);

// The reader whose name is kind, or nullptr.
const ReaderKind* ReaderByName(std::string_view kind);

// The readers' names, the default first ("doc, docx, ..."), as usage shows
// them.
std::string ReaderNames();

// "doc, docx, ... or pdf", as a message lists the formats.
std::string ReaderNamesAsAlternatives();

// The readers whose whole signature the data carries, each once, in the
// registry's order.
std::vector<const ReaderKind*> ReadersBySignature(std::string_view data);

// The reader for a document: the one whose signature matches; the file
// name's extension (as the CGI chooses) when none or several match.
const ReaderKind& DetectReader(std::string_view data, std::string_view fileName);

} // namespace scrivlet
