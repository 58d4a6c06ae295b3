#include "corpus/CorpusDirectory.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>

namespace scrivlet::test {
namespace {

const std::string& Folder() {
  static const std::string folder = [] {
    const char* named = std::getenv("SCRIVLET_CORPUS");
    return std::string(named != nullptr && *named != '\0' ? named : SCRIVLET_CORPUS_DEFAULT);
  }();
  return folder;
}

std::set<const ::testing::TestInfo*>& AskedBy() {
  static std::set<const ::testing::TestInfo*> tests;
  return tests;
}

// The reason a test was skipped, on one line.
std::string SkipReason(const ::testing::TestResult& result) {
  for (int i = 0; i < result.total_part_count(); ++i) {
    const ::testing::TestPartResult& part = result.GetTestPartResult(i);
    if (part.skipped()) {
      std::string reason = part.message();
      for (char& c : reason)
        if (c == '\n' || c == '\t')
          c = ' ';
      return reason;
    }
  }
  return {};
}

void WriteReport() {
  const char* report = std::getenv("SCRIVLET_CORPUS_REPORT");
  if (report == nullptr || *report == '\0')
    return;
  std::FILE* file = std::fopen(report, "a");
  if (file == nullptr)
    return;
  const char* present = std::filesystem::is_directory(Folder()) ? "present" : "absent";
  for (const ::testing::TestInfo* test : AskedBy()) {
    const ::testing::TestResult& result = *test->result();
    std::string line = std::string(result.Skipped() ? "skipped" : "ran") + "\t" +
                       test->test_suite_name() + "." + test->name() + "\t" + SkipReason(result) +
                       "\t" + Folder() + "\t" + present + "\n";
    // One write per line: tests run side by side append to the same file.
    std::fwrite(line.data(), 1, line.size(), file);
    std::fflush(file);
  }
  std::fclose(file);
}

} // namespace

const char* CorpusDirectory() {
  // Asked outside a test (a static initialiser), it notes nothing.
  // The folder and the set are made before the report is registered, so
  // that they are still there when it runs at exit.
  const std::string& folder = Folder();
  if (const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info()) {
    if (AskedBy().empty())
      std::atexit(WriteReport);
    AskedBy().insert(test);
  }
  return folder.c_str();
}

} // namespace scrivlet::test
