#include "core/FileBeneath.h"

#include "support/TempDir.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace scrivlet {
namespace {

using test::TempDir;

// A root with a file, a folder and links, beside a file outside it.
class FileBeneath : public ::testing::Test {
protected:
  void SetUp() override {
    FOutsideFile = FOutside.Write("secret.txt", "outside");
    FRoot.Write("inside.txt", "inside");
    std::filesystem::create_directory(FRoot.File("folder"));
    FRoot.Write("folder/deep.txt", "deep");
    Link(FOutsideFile, "absolute-out");
    Link("../" + std::filesystem::path(FOutside.Path()).filename().string() + "/secret.txt",
         "relative-out");
    Link("inside.txt", "relative-in");
    Link(FRoot.File("inside.txt"), "absolute-in");
    // A magic link of /proc: whatever the process has open (here the
    // outside file).
    FOpenOutside = ::open(FOutsideFile.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(FOpenOutside, 0);
    Link("/proc/self/fd/" + std::to_string(FOpenOutside), "magic");
    Link("loop", "loop");
    ASSERT_EQ(mkfifo(FRoot.File("pipe").c_str(), 0600), 0);
  }
  void TearDown() override {
    if (FOpenOutside >= 0)
      ::close(FOpenOutside);
  }
  void Link(const std::string& target, const std::string& name) const {
    std::filesystem::create_symlink(target, FRoot.File(name));
  }

  TempDir FRoot, FOutside;
  std::string FOutsideFile;
  int FOpenOutside = -1;
};

TEST_F(FileBeneath, OnlyRegularFilesBeneathTheDirectoryAreOpened) {
  const std::string self = std::filesystem::path(FRoot.Path()).filename().string();
  struct Case {
    std::string name;
    BeneathOutcome outcome;
    std::string bytes;
  };
  const Case cases[] = {
      {"inside.txt", BeneathOutcome::Opened, "inside"},
      {"folder/deep.txt", BeneathOutcome::Opened, "deep"},
      {"relative-in", BeneathOutcome::Opened, "inside"},
      // Found by the opened file's path: an absolute link and a name that
      // climbs out and back in.
      {"absolute-in", BeneathOutcome::Opened, "inside"},
      {"../" + self + "/inside.txt", BeneathOutcome::Opened, "inside"},
      {FRoot.File("inside.txt"), BeneathOutcome::Opened, "inside"},
      {"absolute-out", BeneathOutcome::Outside, ""},
      {"relative-out", BeneathOutcome::Outside, ""},
      {"magic", BeneathOutcome::Outside, ""},
      {FOutsideFile, BeneathOutcome::Outside, ""},
      {"../../../../../../etc/passwd", BeneathOutcome::Outside, ""},
      {"none.txt", BeneathOutcome::Missing, ""},
      {"inside.txt/x", BeneathOutcome::Missing, ""},
      {"loop", BeneathOutcome::Missing, ""},
      {"", BeneathOutcome::Missing, ""},
      {"folder", BeneathOutcome::NotRegular, ""},
      {"pipe", BeneathOutcome::NotRegular, ""}, // and opening it does not wait for a writer
  };
  for (const Case& c : cases) {
    BeneathFile opened = OpenFileBeneath(FRoot.Path(), c.name);
    EXPECT_EQ(opened.outcome, c.outcome) << c.name;
    EXPECT_EQ(opened.file.IsOpen(), c.outcome == BeneathOutcome::Opened) << c.name;
    EXPECT_EQ(opened.file.ReadAll(), c.bytes) << c.name;
  }
  EXPECT_FALSE(OpenFileBeneath(FRoot.Path(), "inside.txt").checkedByPath);
  EXPECT_TRUE(OpenFileBeneath(FRoot.Path(), "absolute-in").checkedByPath);
  EXPECT_EQ(OpenFileBeneath(FRoot.File("none"), "inside.txt").outcome, BeneathOutcome::Missing);
}

TEST_F(FileBeneath, WhatWasOpenedIsWhatIsRead) {
  BeneathFile opened = OpenFileBeneath(FRoot.Path(), "relative-in");
  ASSERT_EQ(opened.outcome, BeneathOutcome::Opened);
  const struct stat before = opened.file.Status();
  // The link now leads outside, and the file it led to is gone: the open
  // file is still the inside one.
  std::filesystem::remove(FRoot.File("relative-in"));
  std::filesystem::create_symlink(FOutsideFile, FRoot.File("relative-in"));
  std::filesystem::remove(FRoot.File("inside.txt"));
  EXPECT_EQ(opened.file.ReadAll(), "inside");
  EXPECT_EQ(opened.file.Status().st_ino, before.st_ino);
  EXPECT_EQ(OpenFileBeneath(FRoot.Path(), "relative-in").outcome, BeneathOutcome::Outside);
}

TEST_F(FileBeneath, AnUnreadableFileSaysWhy) {
  if (::geteuid() == 0)
    GTEST_SKIP() << "running as root: every file can be read";
  std::filesystem::permissions(FRoot.File("inside.txt"), std::filesystem::perms::none);
  BeneathFile opened = OpenFileBeneath(FRoot.Path(), "inside.txt");
  EXPECT_EQ(opened.outcome, BeneathOutcome::Unreadable);
  EXPECT_EQ(opened.error, EACCES);
}

} // namespace
} // namespace scrivlet
