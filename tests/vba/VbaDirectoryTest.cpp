#include "vba/VbaDirectory.h"
#include "support/Bytes.h"
#include "support/VbaBuilder.h"
#include "vba/VbaCompression.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using test::U16;
using test::U32;
using test::VbaProjectBuilder;

VbaProjectBuilder TwoModules() {
  VbaProjectBuilder project;
  project.codePage = 1251;
  project.AddModule("ThisDocument", "Attribute VB_Name = \"ThisDocument\"\r\n").cacheSize = 777;
  auto& module = project.AddModule("Module1", "Sub A()\r\nEnd Sub\r\n");
  module.cacheSize = 1234;
  module.streamName = "Module1Stream";
  return project;
}

TEST(VbaDirectory, ModulesAndCodePageAmidEveryKindOfRecord) {
  VbaDirectory dir = VbaDirectory::Parse(TwoModules().DirStream());
  EXPECT_EQ(dir.codePage, 1251);
  ASSERT_EQ(dir.modules.size(), 2u);
  EXPECT_EQ(dir.modules[0].name, "ThisDocument");
  EXPECT_EQ(dir.modules[0].unicodeName, u"ThisDocument");
  EXPECT_EQ(dir.modules[0].streamName, "ThisDocument");
  EXPECT_EQ(dir.modules[0].sourceOffset, 777u);
  EXPECT_EQ(dir.modules[1].name, "Module1");
  EXPECT_EQ(dir.modules[1].streamName, "Module1Stream");
  EXPECT_EQ(dir.modules[1].unicodeStreamName, u"Module1Stream");
  EXPECT_EQ(dir.modules[1].sourceOffset, 1234u);
}

TEST(VbaDirectory, ReadsTheCompressedStreamAsStored) {
  VbaProjectBuilder project = TwoModules();
  VbaDirectory dir = VbaDirectory::Parse(DecompressVba(test::CompressVba(project.DirStream())));
  EXPECT_EQ(dir.modules.size(), 2u);
}

TEST(VbaDirectory, VersionRecordCarriesSixBytesDespiteItsSize) {
  // A version whose minor number looks like a module name record if the
  // declared size were believed: 0x0019 then bytes.
  std::string dir = U16(0x0009) + U32(4) + U32(0x00190000) + U16(0x0019);
  dir += U16(0x0019) + U32(1) + "M" + U16(0x0031) + U32(4) + U32(9);
  dir += U16(0x0010) + U32(0);
  VbaDirectory parsed = VbaDirectory::Parse(dir);
  ASSERT_EQ(parsed.modules.size(), 1u);
  EXPECT_EQ(parsed.modules[0].name, "M");
  EXPECT_EQ(parsed.modules[0].sourceOffset, 9u);
}

TEST(VbaDirectory, UnknownRecordsAreSkippedBySize) {
  std::string dir = U16(0x7777) + U32(3) + "xyz" + U16(0x0019) + U32(2) + "Ab";
  EXPECT_EQ(VbaDirectory::Parse(dir).modules.at(0).name, "Ab");
}

TEST(VbaDirectory, EndRecordStopsTheParse) {
  std::string dir = U16(0x0010) + U32(0) + "garbage after the end";
  VbaDirectory parsed = VbaDirectory::Parse(dir);
  EXPECT_TRUE(parsed.modules.empty());
  EXPECT_FALSE(parsed.codePage);
}

// Module records past the declared count (or past what a 16-bit count
// can declare) are not kept: each costs a record in memory, and a small
// compressed stream holds millions of them.
TEST(VbaDirectoryDamage, ModulesPastTheDeclaredCountAreCut) {
  std::string records;
  for (int i = 0; i < 100000; ++i)
    records += U16(0x0019) + U32(1) + "M" + U16(0x0031) + U32(4) + U32(7);
  VbaDirectory declared = VbaDirectory::Parse(U16(0x000F) + U32(2) + U16(3) + records);
  EXPECT_EQ(declared.modules.size(), 3u);
  EXPECT_TRUE(declared.modulesCut);
  VbaDirectory undeclared = VbaDirectory::Parse(records);
  EXPECT_EQ(undeclared.modules.size(), 0xFFFFu);
  EXPECT_TRUE(undeclared.modulesCut);
  EXPECT_FALSE(VbaDirectory::Parse(TwoModules().DirStream()).modulesCut);
}

TEST(VbaDirectoryDamage, RecordPastTheStream) {
  std::string dir = TwoModules().DirStream();
  std::string cut = dir.substr(0, dir.find("Module1Stream") + 4);
  EXPECT_THROW(VbaDirectory::Parse(cut), VbaError);
  EXPECT_THROW(VbaDirectory::Parse(U16(0x0019) + U32(0xFFFFFFF0) + "abc"), VbaError);
}

TEST(VbaDirectoryDamage, RecordHeaderCutOff) {
  EXPECT_THROW(VbaDirectory::Parse(U16(0x0019) + "\x01"), VbaError);
}

TEST(VbaDirectoryDamage, FixedSizeRecordsOfAnotherSize) {
  EXPECT_THROW(VbaDirectory::Parse(U16(0x0003) + U32(4) + U32(1252)), VbaError);
  std::string offset = U16(0x0019) + U32(1) + "M" + U16(0x0031) + U32(2) + U16(7);
  EXPECT_THROW(VbaDirectory::Parse(offset), VbaError);
}

TEST(VbaDirectoryDamage, ModuleRecordBeforeAnyModuleName) {
  EXPECT_THROW(VbaDirectory::Parse(U16(0x0031) + U32(4) + U32(7)), VbaError);
  EXPECT_THROW(VbaDirectory::Parse(U16(0x001A) + U32(1) + "S"), VbaError);
}

} // namespace
} // namespace scrivlet
