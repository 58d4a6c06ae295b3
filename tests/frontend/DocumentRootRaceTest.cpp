// A writer inside the document root (an upload folder, a shared host) swaps
// a symbolic link between a file inside the root and one outside it while
// the link is asked for again and again: the outside file must never be
// shown, whether the check and the reading of the name could fall on
// either side of a swap or not.
#include "support/ChildProcess.h"
#include "support/FastCgiClient.h"
#include "support/SampleDocuments.h"
#include "support/TempDir.h"

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace scrivlet {
namespace {

using test::TempDir;

constexpr const char* kOutsideText = "Top secret";

// The sample letter with other words in place of its greeting (the same
// length, so that the file stays whole).
std::string OutsideLetter() {
  std::string letter = test::SampleWriteLetter();
  size_t at = letter.find("Dear reader");
  if (at != std::string::npos)
    letter.replace(at, 11, "Top secret!");
  return letter;
}

// What the requests got.
struct Tally {
  int inside = 0, refused = 0, escaped = 0;
  void Count(const std::string& page) {
    if (page.find(kOutsideText) != std::string::npos)
      ++escaped;
    else if (page.find("Dear reader,") != std::string::npos)
      ++inside;
    else if (page.starts_with("Status: 404 Not Found\r\n"))
      ++refused;
  }
};

class DocumentRootRace : public ::testing::Test {
protected:
  void SetUp() override {
    FProgram = FBin.File("scrivlet.cgi");
    std::filesystem::copy_file(SCRIVLET_CGI_PATH, FProgram);
    FBin.Write("scrivlet.cfg", "[DocumentRoot]\n" + FDocs.Path() + "\n[PageCache]\n0\n");
    FDocs.Write("inside.wri", test::SampleWriteLetter());
    FSecret = FOutside.Write("secret.wri", OutsideLetter());
    std::filesystem::create_symlink("inside.wri", FDocs.File("doc.wri"));
  }

  // Swaps doc.wri between the inside file and the outside one until the
  // requests are done: doc.wri and a spare link exchange places, each swap
  // one system call, as fast as an attacker would make them.
  void StartFlipping() {
    std::filesystem::create_symlink(FSecret, FDocs.File("spare.wri"));
    FFlipper = std::thread([this] {
      const std::string link = FDocs.File("doc.wri"), spare = FDocs.File("spare.wri");
      for (long flip = 0; !FStop && flip < 100'000'000; ++flip) {
        if (::renameat2(AT_FDCWD, spare.c_str(), AT_FDCWD, link.c_str(), RENAME_EXCHANGE) != 0)
          break;
        FFlips = flip + 1;
      }
    });
  }
  long StopFlipping() {
    FStop = true;
    FFlipper.join();
    return FFlips;
  }

  TempDir FBin, FDocs, FOutside, FSocket;
  std::string FProgram, FSecret;
  std::thread FFlipper;
  std::atomic<bool> FStop{false};
  std::atomic<long> FFlips{0};
};

TEST_F(DocumentRootRace, TheCgiNeverShowsTheOutsideFile) {
  Tally tally;
  StartFlipping();
  for (int i = 0; i < 250; ++i)
    tally.Count(
        test::RunChild("/bin/sh",
                       {"-c", "cd \"$1\" && exec \"$2\" </dev/null", "sh", FBin.Path(), FProgram},
                       {"PATH=/usr/bin:/bin", "QUERY_STRING=filename=doc.wri"})
            .out);
  long flips = StopFlipping();
  EXPECT_EQ(tally.escaped, 0) << flips << " flips, " << tally.inside << " inside, " << tally.refused
                              << " refused";
  EXPECT_GT(tally.inside, 0);
  EXPECT_GT(tally.refused, 0);
}

TEST_F(DocumentRootRace, AFastCgiWorkerNeverShowsTheOutsideFile) {
  test::FastCgiWorker worker(FProgram, FBin.Path(), FSocket.File("w"), {"PATH=/usr/bin:/bin"});
  ASSERT_TRUE(worker.Started());
  const test::FastCgiParams get{{"QUERY_STRING", "filename=doc.wri"}, {"REQUEST_METHOD", "GET"}};
  Tally tally;
  StartFlipping();
  for (int i = 0; i < 6000; ++i)
    tally.Count(worker.Request(get).out);
  long flips = StopFlipping();
  EXPECT_EQ(tally.escaped, 0) << flips << " flips, " << tally.inside << " inside, " << tally.refused
                              << " refused";
  EXPECT_GT(tally.inside, 0);
  EXPECT_GT(tally.refused, 0);
}

} // namespace
} // namespace scrivlet
