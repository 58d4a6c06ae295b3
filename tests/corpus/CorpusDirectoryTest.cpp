// The corpus folder is the environment's when it names one, and each test
// that reads it is reported, ran or skipped with the reason.
#include "support/ChildProcess.h"
#include "support/TempDir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace scrivlet {
namespace {

std::string ThisProgram() {
  char path[4096];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  return n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string();
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

test::ChildResult RunCorpusTest(const std::string& corpus, const std::string& report) {
  return test::RunChild(ThisProgram(), {"--gtest_filter=ContentDetection.CorpusDocumentsByContent"},
                        {"SCRIVLET_CORPUS=" + corpus, "SCRIVLET_CORPUS_REPORT=" + report});
}

TEST(CorpusFolder, TheEnvironmentNamesItAndTheReportSaysWhatRan) {
  test::TempDir dir;
  std::string report = dir.File("report.txt");
  auto absent = RunCorpusTest(dir.File("no-corpus"), report);
  EXPECT_EQ(absent.status, 0) << absent.out;
  EXPECT_EQ(ReadFile(report),
            "skipped\tContentDetection.CorpusDocumentsByContent\tcorpus folder \"" +
                dir.File("no-corpus") + "\" not present\t" + dir.File("no-corpus") + "\tabsent\n");
  // An empty corpus folder: the test runs and finds nothing to check.
  std::filesystem::create_directory(dir.File("empty"));
  std::filesystem::remove(report);
  RunCorpusTest(dir.File("empty"), report);
  EXPECT_TRUE(ReadFile(report).starts_with("ran\tContentDetection.CorpusDocumentsByContent\t\t" +
                                           dir.File("empty") + "\tpresent\n"))
      << ReadFile(report);
  // A test that never asks for the corpus is not reported.
  std::filesystem::remove(report);
  test::RunChild(ThisProgram(), {"--gtest_filter=UrlDecoding.Escapes"},
                 {"SCRIVLET_CORPUS_REPORT=" + report});
  EXPECT_FALSE(std::filesystem::exists(report));
}

} // namespace
} // namespace scrivlet
