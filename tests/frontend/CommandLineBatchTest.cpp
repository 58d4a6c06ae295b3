// The command line over many documents, standard input, output files and
// the summary view.
#include "frontend/CommandLine.h"
#include "frontend/DocumentConversion.h"
#include "writers/JsonWriter.h"

#include "core/ByteReader.h"
#include "core/DocumentSummary.h"
#include "support/ChildProcess.h"
#include "support/CompoundFileBuilder.h"
#include "support/SampleDocuments.h"
#include "support/TempDir.h"
#include "support/WordBuilder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace scrivlet {
namespace {

using test::TempDir;

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

CliRun RunCli(std::vector<std::string> args, const std::string& standardInput = {}) {
  CliRun run;
  run.status = RunCommandLine(args, run.out, run.err, standardInput);
  return run;
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A Word 97 document with a title, an author and a creation time.
std::string TitledWordDocument() {
  test::WordBuilder word;
  word.pieces = {{u"Body text\r", true}};
  // 2005-05-12 14:20:00 UTC as a file time
  word.summaryInformation =
      test::PropertySet({test::PropertyValue::String(2, "Quarterly report"),
                         test::PropertyValue::String(4, "Ann Author"),
                         test::PropertyValue::FileTime(12, 127603692000000000ULL)});
  return word.Build();
}

TEST(CommandLineBatch, ManyFilesInOrderWithHeadLines) {
  TempDir dir;
  std::string a = dir.Write("a.wri", test::SampleWriteLetter());
  std::string b = dir.Write("b.doc", TitledWordDocument());
  std::string single = RunCli({a}).out;
  CliRun run = RunCli({a, b, a});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(run.out.starts_with("==> " + a + " <==\n" + single + "\n==> " + b + " <==\n"))
      << run.out;
  EXPECT_TRUE(run.out.ends_with("\n==> " + a + " <==\n" + single));
  EXPECT_NE(run.out.find("Body text\n"), std::string::npos);
  CliRun parallel = RunCli({"--jobs", "3", a, b, a});
  EXPECT_EQ(parallel.out, run.out);
}

TEST(CommandLineBatch, FailuresMakeTheStatusOneAndAreNamed) {
  TempDir dir;
  std::string good = dir.Write("good.wri", test::SampleWriteLetter());
  std::string bad = dir.Write("bad.wri", "short");
  for (const char* jobs : {"1", "2"}) {
    CliRun run = RunCli({"--jobs", jobs, good, bad, good});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "scrivlet: " + bad + ": Stream read error\n");
    EXPECT_NE(run.out.find("==> " + bad + " <==\n"), std::string::npos);
  }
}

TEST(CommandLineBatch, JsonLinesWithTheirFile) {
  TempDir dir;
  std::string a = dir.Write("a.wri", test::SampleWriteLetter());
  std::string b = dir.Write("b.doc", TitledWordDocument());
  CliRun run = RunCli({"--json", a, b});
  EXPECT_EQ(run.status, 0);
  size_t firstEnd = run.out.find('\n');
  ASSERT_NE(firstEnd, std::string::npos);
  EXPECT_TRUE(
      run.out.starts_with("{\"file\": \"" + a + "\", \"reader\": \"wri\", \"text\": \"A letter"));
  std::string second = run.out.substr(firstEnd + 1);
  EXPECT_TRUE(second.starts_with("{\"file\": \"" + b + "\", \"reader\": \"doc\", "));
  EXPECT_NE(second.find("\"text\": \"\\u000aBody text\\u000a"), std::string::npos) << second;
  EXPECT_NE(second.find("\"Title\": \"Quarterly report\""), std::string::npos);
  EXPECT_NE(second.find("\"LastPrinted\": null"), std::string::npos);
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 2);
}

TEST(CommandLineBatch, EveryInputGetsItsJsonLine) {
  TempDir dir;
  // A compound file whose directory tree points past its end.
  test::CompoundFileBuilder builder;
  builder.AddStream(u"WordDocument", "x");
  std::string damaged = builder.Build();
  size_t rootChild = 512 * (size_t{ByteReader::Get32(damaged, 0x30)} + 1) + 76;
  damaged.replace(rootChild, 4, std::string("\xE8\x03\0\0", 4)); // entry 1000
  std::string bad = dir.Write("bad.doc", damaged);
  std::string empty = dir.Write("empty.doc", "");
  CliRun run = RunCli({"--json", "--jobs", "2", bad, empty, bad});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 3) << run.out;
  EXPECT_TRUE(run.out.starts_with("{\"file\": \"" + bad + "\", \"reader\": \"doc\""));
}

TEST(JsonOutput, FailureWithoutReader) {
  EXPECT_EQ(JsonFailure("a.doc", "stopped by signal 11"),
            "{\"file\": \"a.doc\", \"reader\": null, \"text\": \"\", \"lines\": [], "
            "\"summary\": null, \"stories\": null, \"blocks\": [], \"notes\": [], "
            "\"encrypted\": false, "
            "\"error\": \"stopped by signal 11\"}\n");
  EXPECT_EQ(TextWithLineFeeds(u"a\r\nb\rc\n\r\r\n"), u"a\nb\nc\n\n\n");
}

TEST(CommandLineBatch, SummaryWithoutTextPrintsItsFields) {
  TempDir dir;
  std::string b = dir.Write("b.doc", TitledWordDocument());
  CliRun run = RunCli({"--items", "summary", b});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("Author: Ann Author\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Title: Quarterly report\n"), std::string::npos);
  EXPECT_NE(run.out.find("Created: 2005-05-12T"), std::string::npos);
  EXPECT_EQ(run.out.find("Subject:"), std::string::npos); // empty fields left out
  EXPECT_EQ(run.out.find("Body text"), std::string::npos);
  DocumentSummary empty;
  EXPECT_EQ(SummaryText(empty), u"");
}

TEST(CommandLineBatch, StandardInputByContent) {
  std::string letter = test::SampleWriteLetter();
  TempDir dir;
  CliRun fromFile = RunCli({dir.Write("x.wri", letter)});
  CliRun fromInput = RunCli({"-"}, letter);
  EXPECT_EQ(fromInput.status, 0) << fromInput.err;
  EXPECT_EQ(fromInput.out, fromFile.out);
  CliRun word = RunCli({"--json", "-"}, TitledWordDocument());
  EXPECT_TRUE(word.out.starts_with("{\"file\": \"-\", \"reader\": \"doc\""));
  EXPECT_NE(word.out.find("Body text"), std::string::npos);
  // A name that says nothing: the content decides.
  CliRun misnamed = RunCli({"--json", dir.Write("letter.odt", letter)});
  EXPECT_NE(misnamed.out.find("\"reader\": \"wri\""), std::string::npos);
  CliRun forced = RunCli({"--reader", "wpd", "-"}, letter);
  EXPECT_EQ(forced.status, 1);
  EXPECT_EQ(forced.err, "File - is not valid WordPerfect 6/7/8/9 document.\n");
}

TEST(CommandLineBatch, OutputDirectory) {
  TempDir dir;
  std::string a = dir.Write("report.doc", TitledWordDocument());
  std::string b = dir.Write("letter.wri", test::SampleWriteLetter());
  std::string bad = dir.Write("bad.wri", "short");
  std::string out = dir.File("out/nested");
  CliRun run = RunCli({"--output-dir", out, "--jobs", "2", a, b, bad});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(ReadFile(out + "/report.doc.txt"), RunCli({a}).out);
  EXPECT_EQ(ReadFile(out + "/letter.wri.txt"), RunCli({b}).out);
  EXPECT_FALSE(std::filesystem::exists(out + "/bad.wri.txt"));
  RunCli({"--output-dir", out, "--format", "html", b});
  EXPECT_TRUE(std::filesystem::exists(out + "/letter.wri.html"));
  RunCli({"--output-dir", out, "--format", "rtf", b});
  EXPECT_TRUE(std::filesystem::exists(out + "/letter.wri.rtf"));
  RunCli({"--output-dir", out, "--json", bad});
  EXPECT_NE(ReadFile(out + "/bad.wri.json").find("\"error\": \"Stream read error\""),
            std::string::npos);
  CliRun blocked = RunCli({"--output-dir", a + "/sub", b}); // a is a file
  EXPECT_EQ(blocked.status, 1);
  EXPECT_NE(blocked.err.find("cannot create the directory"), std::string::npos);
}

// Two inputs named alike in different folders each keep their text; which
// one gets the plain name follows the order of the inputs, not of the jobs.
TEST(CommandLineBatch, OutputDirectoryKeepsInputsThatShareAName) {
  TempDir dir;
  std::filesystem::create_directories(dir.File("a"));
  std::filesystem::create_directories(dir.File("b"));
  std::string first = dir.Write("a/same.wri", test::SampleWriteLetter());
  std::string second = dir.Write("b/same.wri", test::GeneratedWriteDocument(2000));
  std::string out = dir.File("out");
  CliRun run = RunCli({"--output-dir", out, "--jobs", "2", second, first, second});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadFile(out + "/same.wri.txt"), RunCli({second}).out);
  EXPECT_EQ(ReadFile(out + "/same.wri.2.txt"), RunCli({first}).out);
  EXPECT_FALSE(std::filesystem::exists(out + "/same.wri.3.txt"));
}

TEST(CommandLineBatch, FilesFromAListOrStandardInput) {
  TempDir dir;
  std::string a = dir.Write("a.wri", test::SampleWriteLetter());
  std::string b = dir.Write("b.doc", TitledWordDocument());
  std::string list = dir.Write("list.txt", a + "\r\n\n" + b + "\n");
  CliRun fromList = RunCli({"--json", "--files-from", list});
  CliRun fromInput = RunCli({"--json", "--files-from", "-", "--jobs", "2"}, a + "\n" + b);
  EXPECT_EQ(fromList.status, 0);
  EXPECT_EQ(fromList.out, RunCli({"--json", a, b}).out);
  EXPECT_EQ(fromInput.out, fromList.out);
  CliRun plain = RunCli({"--files-from", list});
  EXPECT_TRUE(plain.out.starts_with("==> " + a + " <==\n")); // a list is many files
  CliRun missingList = RunCli({"--files-from", dir.File("none.txt")});
  EXPECT_EQ(missingList.status, 1);
  EXPECT_NE(missingList.err.find("cannot read the list"), std::string::npos);
}

TEST(CommandLineBatch, ProgressLineOnATerminal) {
  TempDir dir;
  std::string a = dir.Write("a.wri", test::SampleWriteLetter());
  std::string bad = dir.Write("bad.wri", "short");
  std::string out, err;
  CommandLineStreams streams;
  streams.out = [&](std::string_view text) { out += text; };
  streams.err = [&](std::string_view text) { err += text; };
  streams.progressOnErr = true;
  EXPECT_EQ(RunCommandLine({a, bad, a}, streams), 1);
  EXPECT_NE(err.find("\r\x1b[K1/3 done, 0 failed, "), std::string::npos) << err;
  EXPECT_NE(err.find("\r\x1b[Kscrivlet: " + bad + ": Stream read error\n"), std::string::npos);
  EXPECT_NE(err.find("3/3 done, 1 failed, "), std::string::npos);
  EXPECT_TRUE(err.ends_with(" files/s\n"));
  EXPECT_EQ(out.find('\x1b'), std::string::npos); // never on standard output
  err.clear();
  RunCommandLine({a}, streams);
  EXPECT_EQ(err, ""); // one file: no progress
}

TEST(CommandLineBatch, ProgressLineLeavesTheTerminalBeforeAResult) {
  // Standard output and error on one terminal: what a user sees, in order.
  TempDir dir;
  std::string a = dir.Write("a.wri", test::SampleWriteLetter());
  std::string screen;
  CommandLineStreams streams;
  streams.out = [&](std::string_view text) { screen += text; };
  streams.err = [&](std::string_view text) { screen += text; };
  streams.progressOnErr = true;
  EXPECT_EQ(RunCommandLine({a, a, a}, streams), 0);
  // Every result after the first follows the line's clearing, never the
  // progress text itself.
  for (size_t at = screen.find("==> ", 1); at != std::string::npos;
       at = screen.find("==> ", at + 1)) {
    std::string before = screen.substr(0, at);
    EXPECT_TRUE(before.ends_with("\r\x1b[K") || before.ends_with("\r\x1b[K\n")) << before;
  }
}

TEST(CommandLineBatch, ProgramStreamsAndShowsNoProgressOffATerminal) {
  TempDir dir;
  std::string a = dir.Write("a.wri", test::SampleWriteLetter());
  auto run = test::RunChild(SCRIVLET_CLI_PATH, {"--jobs", "2", a, a}, {});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, ""); // standard error is a pipe here: no progress line
  EXPECT_TRUE(run.out.starts_with("==> " + a + " <==\nA letter from Scrivlet\n"));
}

} // namespace
} // namespace scrivlet
