#include "frontend/ConfigFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using Lines = std::vector<std::string>;

Lines Section(const ConfigFile& ini, const char* name, bool namesOnly = false) {
  Lines lines{"left over"};
  ini.ReadSection(name, lines, namesOnly);
  return lines;
}

TEST(IniFile, SectionsHoldWholeLines) {
  test::TempDir dir;
  ConfigFile ini(
      dir.Write("a.cfg", "[head]\r\n<link rel=x>\r\n\r\n[EndOfBody]\nx=1\n  \n; kept\r"));
  EXPECT_EQ(Section(ini, "Head"), Lines{"<link rel=x>"});
  EXPECT_EQ(Section(ini, "EndOfBody"), (Lines{"x=1", "  ", "; kept"}));
  EXPECT_EQ(Section(ini, "Missing"), Lines{});
  EXPECT_EQ(ini.IndexOfSection("ENDOFBODY"), 3);
}

TEST(IniFile, HeadersAreMatchedUntrimmedButEndSectionsTrimmed) {
  test::TempDir dir;
  ConfigFile ini(dir.Write("b.cfg", "[Head]\none\n [EndOfBody]\ntwo\n[Head]\nthree\n"));
  EXPECT_EQ(Section(ini, "Head"), Lines{"one"}); // first header only
  EXPECT_EQ(Section(ini, "EndOfBody"), Lines{});
  EXPECT_EQ(ini.IndexOfSection("EndOfBody"), -1);
  EXPECT_TRUE(ConfigFile::IsSectionLine("\t[x] "));
  EXPECT_FALSE(ConfigFile::IsSectionLine("[x"));
  EXPECT_FALSE(ConfigFile::IsSectionLine("   "));
}

TEST(IniFile, NamesOnly) {
  test::TempDir dir;
  ConfigFile ini(dir.Write("c.cfg", "[S]\na = b\nno equals\n =c\n"));
  EXPECT_EQ(Section(ini, "S", true), Lines{"a"});
}

TEST(IniFile, MissingOrEmptyFileReadsAsEmpty) {
  test::TempDir dir;
  EXPECT_EQ(Section(ConfigFile(dir.File("none.cfg")), "Head"), Lines{});
  EXPECT_EQ(Section(ConfigFile(dir.Write("empty.cfg", "")), "Head"), Lines{});
}

TEST(IniFile, SplitLines) {
  EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\r\n"), Lines{"a"});
  EXPECT_EQ(SplitLines("\r\n\r\n"), (Lines{"", ""}));
  EXPECT_EQ(SplitLines(""), Lines{});
}

} // namespace
} // namespace scrivlet
