// Small documents that show what the readers do: the samples of `make run`
// and inputs of the end-to-end tests.
#pragma once

#include <string>

namespace scrivlet::test {

// A two-paragraph Write letter with a bold and an italic run.
std::string SampleWriteLetter();

// A FictionBook in Russian: a title and three paragraphs of Cyrillic text
// (UTF-8 XML), for the pages that must show text of another script.
std::string SampleRussianBook();

// A Write document of about the given size: paragraphs of mixed runs.
std::string GeneratedWriteDocument(size_t bytes);

// A Word 97 document of about the given text size: paragraphs in 8-bit and
// 16-bit pieces, with fields and table cells.
std::string GeneratedWordDocument(size_t bytes);

// A .docx package whose document part is about the given size: paragraphs
// of runs, tables, tabs and breaks.
std::string GeneratedWordXDocument(size_t bytes);

} // namespace scrivlet::test
