// The folder of real documents that corpus tests read, and the note of
// which tests read it.
//
// Every test binary source sees SCRIVLET_CORPUS_DIR as a call of
// CorpusDirectory() (tests/CMakeLists.txt includes this header ahead of each
// source): the environment's SCRIVLET_CORPUS when set, else the folder
// compiled in (../shared/corpus beside the sources).  A test that asks is
// a corpus test: with SCRIVLET_CORPUS_REPORT naming a file, the program
// appends a line for each such test at its end, "ran" or "skipped" with
// the test's name, the reason and the folder; `make test` sums them up.
#pragma once

namespace scrivlet::test {

const char* CorpusDirectory();

} // namespace scrivlet::test
