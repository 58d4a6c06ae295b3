#include "storage/CompoundFile.h"
#include "core/CodePage.h"
#include "core/Exception.h"
#include "support/CompoundFileBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using test::CompoundFileBuilder;
using Kind = CompoundFile::ElementKind;

void Put32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    s[at + i] = static_cast<char>(v >> (8 * i));
}

std::string Pattern(size_t size) {
  std::string data(size, '\0');
  for (size_t i = 0; i < size; ++i)
    data[i] = static_cast<char>(i * 7 + i / 251);
  return data;
}

std::vector<std::u16string> Names(const CompoundFile& file, uint32_t storage) {
  std::vector<std::u16string> names;
  for (const auto& element : file.Elements(storage))
    names.push_back(element.name);
  return names;
}

TEST(CompoundFile, SmallAndLargeStreamsInBothVersions) {
  for (int version : {3, 4}) {
    CompoundFileBuilder b(version);
    b.AddStream(u"small", "tiny data");
    b.AddStream(u"edge", Pattern(4095));
    b.AddStream(u"WordDocument", Pattern(70000));
    b.AddStream(u"empty", "");
    CompoundFile file(b.Build());
    EXPECT_EQ(file.OpenStream(CompoundFile::kRoot, u"small")->Data(), "tiny data");
    EXPECT_EQ(file.OpenStream(CompoundFile::kRoot, u"edge")->Data(), Pattern(4095));
    EXPECT_EQ(file.OpenStream(CompoundFile::kRoot, u"worddocument")->Data(), Pattern(70000));
    EXPECT_EQ(file.OpenStream(CompoundFile::kRoot, u"empty")->Data(), "");
    EXPECT_EQ(file.OpenStream(CompoundFile::kRoot, u"missing"), nullptr);
  }
}

TEST(CompoundFile, EnumerationFollowsTheDirectoryTree) {
  CompoundFileBuilder b;
  for (const char16_t* name : {u"WordDocument", u"1Table", u"\x05SummaryInformation",
                               u"\x01"
                               u"CompObj",
                               u"Data", u"ObjectPool/_1234", u"Macros/VBA/dir"})
    b.AddStream(name, "x");
  CompoundFile file(b.Build());
  EXPECT_EQ(
      Names(file, CompoundFile::kRoot),
      (std::vector<std::u16string>{u"Data", u"1Table", u"Macros",
                                   u"\x01"
                                   u"CompObj",
                                   u"ObjectPool", u"WordDocument", u"\x05SummaryInformation"}));
  auto macros = file.Find(CompoundFile::kRoot, u"MACROS", Kind::Storage);
  ASSERT_TRUE(macros);
  auto vba = file.Find(*macros, u"VBA", Kind::Storage);
  ASSERT_TRUE(vba);
  EXPECT_EQ(Names(file, *vba), std::vector<std::u16string>{u"dir"});
  EXPECT_FALSE(file.Find(CompoundFile::kRoot, u"Macros", Kind::Stream));
}

TEST(CompoundFile, FatBeyondTheHeaderThroughDifatSectors) {
  CompoundFileBuilder b;
  std::string big = Pattern(7'500'000); // more than 109 FAT sectors of 512 bytes
  b.AddStream(u"big", big);
  b.AddStream(u"small", "s");
  std::string bytes = b.Build();
  ASSERT_GT(b.LastLayout().fatSectors, 109u);
  CompoundFile file(bytes);
  EXPECT_EQ(file.OpenStream(CompoundFile::kRoot, u"big")->Data(), big);
  EXPECT_EQ(file.OpenStream(CompoundFile::kRoot, u"small")->Data(), "s");
}

TEST(CompoundFile, SignatureAndFiles) {
  CompoundFileBuilder b;
  b.AddStream(u"s", "data");
  std::string bytes = b.Build();
  test::TempDir dir;
  EXPECT_TRUE(CompoundFile::IsCompoundFile(dir.Write("a.doc", bytes)));
  EXPECT_FALSE(CompoundFile::IsCompoundFile(dir.Write("b.doc", "PK\x03\x04")));
  EXPECT_FALSE(CompoundFile::IsCompoundFile(dir.File("none")));
  EXPECT_EQ(
      CompoundFile::OpenFile(dir.File("a.doc"))->OpenStream(CompoundFile::kRoot, u"s")->Data(),
      "data");
  EXPECT_EQ(CompoundFile::TryOpen("not a compound file at all"), nullptr);
  EXPECT_THROW(CompoundFile("not a compound file"), StorageError);
}

class DamagedCompoundFile : public ::testing::Test {
protected:
  void SetUp() override {
    b.AddStream(u"WordDocument", Pattern(10000));
    b.AddStream(u"small", Pattern(100));
    bytes = b.Build();
    layout = b.LastLayout();
  }
  size_t FatEntry(uint32_t sector) const { return 512 + 4 * sector; }
  size_t DirectoryEntry(uint32_t index) const {
    return 512 * (layout.firstDirectorySector + 1) + 128 * index;
  }
  void ExpectStreamFails(const std::string& damaged) {
    try {
      CompoundFile file(damaged);
      file.OpenStream(CompoundFile::kRoot, u"WordDocument");
      file.OpenStream(CompoundFile::kRoot, u"small");
      FAIL() << "no error";
    } catch (const StorageError& e) {
      EXPECT_FALSE(e.Message().empty());
    }
  }
  CompoundFileBuilder b;
  std::string bytes;
  CompoundFileBuilder::Layout layout;
};

TEST_F(DamagedCompoundFile, ChainThatLoops) {
  uint32_t directory = layout.firstDirectorySector;
  std::string damaged = bytes;
  Put32(damaged, FatEntry(directory), directory); // the directory's chain points at itself
  EXPECT_THROW(CompoundFile{damaged}, StorageError);
}

TEST_F(DamagedCompoundFile, SectorsOutsideTheFile) {
  std::string damaged = bytes;
  Put32(damaged, 48, 0x00FFFFFF); // first directory sector far away
  EXPECT_THROW(CompoundFile{damaged}, StorageError);
  damaged = bytes;
  Put32(damaged, 44, 0x7FFFFFFF); // FAT size beyond the file
  EXPECT_THROW(CompoundFile{damaged}, StorageError);
  ExpectStreamFails(bytes.substr(0, bytes.size() / 2)); // data sectors cut off
  EXPECT_THROW(CompoundFile{bytes.substr(0, 300)}, StorageError);
}

TEST_F(DamagedCompoundFile, StreamSizeBeyondItsChain) {
  std::string damaged = bytes;
  Put32(damaged, DirectoryEntry(1) + 120, 0x7FFFFFF0);
  Put32(damaged, DirectoryEntry(2) + 120, 0x7FFFFFF0);
  ExpectStreamFails(damaged);
  damaged = bytes;
  Put32(damaged, DirectoryEntry(2) + 120, 3000); // mini stream too short for it
  ExpectStreamFails(damaged);
}

TEST_F(DamagedCompoundFile, DirectoryTreeThatLoops) {
  std::string damaged = bytes;
  uint32_t child = static_cast<uint8_t>(damaged[DirectoryEntry(0) + 76]);
  Put32(damaged, DirectoryEntry(child) + 68, child); // its left sibling is itself
  CompoundFile file(damaged);
  EXPECT_THROW(file.Elements(CompoundFile::kRoot), StorageError);
  Put32(damaged, DirectoryEntry(child) + 68, 5000); // beyond the directory
  CompoundFile outside(damaged);
  EXPECT_THROW(outside.Elements(CompoundFile::kRoot), StorageError);
}

} // namespace
} // namespace scrivlet
