// VBA projects whose module records make the reader do the same work again
// for every record: many modules in one large stream.  Each stream is now
// read once (and all reading counts against the decoded-bytes limit), and
// a module's stream is found through the storage's index.
#include "core/ByteReader.h"
#include "storage/CompoundFile.h"
#include "support/Bytes.h"
#include "support/CompoundFileBuilder.h"
#include "support/VbaBuilder.h"
#include "vba/VbaCompression.h"
#include "vba/VbaProject.h"

#include <gtest/gtest.h>

#include <chrono>

namespace scrivlet {
namespace {

using test::CompoundFileBuilder;
using test::VbaProjectBuilder;

TEST(VbaModulesSharingAStream, ReadTheStreamOnce) {
  // 20,000 module records whose sources all lie at the end of one 2 MB
  // stream: the stream was copied out of the file for each record, 40 GB.
  VbaProjectBuilder project;
  project.writeCache = false;
  for (int i = 0; i < 20000; ++i) {
    test::VbaModuleSpec& module =
        project.AddModule("M" + std::to_string(i), "Attribute VB_Name = \"M\"\r\n");
    module.streamName = "Big";
    module.cacheSize = 2 << 20;
    module.writeStream = i == 0;
  }
  CompoundFileBuilder file;
  project.AddTo(file, u"Macros");
  CompoundFile compound(file.Build());
  auto macros = compound.Find(CompoundFile::kRoot, u"Macros", CompoundFile::ElementKind::Storage);
  ASSERT_TRUE(macros);
  auto start = std::chrono::steady_clock::now();
  VbaProject read = VbaProject::Read(compound, *macros);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_FALSE(read.damaged);
  ASSERT_EQ(read.modules.size(), 20000u);
  EXPECT_EQ(read.modules.back().source, u"Attribute VB_Name = \"M\"\r\n");
  EXPECT_LT(seconds, 2) << seconds;
}

// The directory entries of a built compound file, as offsets into its
// bytes (the builder writes the directory in consecutive sectors).
std::vector<size_t> DirectoryEntryOffsets(const std::string& bytes,
                                          const CompoundFileBuilder::Layout& layout, size_t count) {
  std::vector<size_t> offsets;
  size_t start = (layout.firstDirectorySector + size_t{1}) * layout.sectorSize;
  for (size_t i = 0; i < count && start + (i + 1) * 128 <= bytes.size(); ++i)
    offsets.push_back(start + i * 128);
  return offsets;
}

std::u16string EntryName(const std::string& bytes, size_t offset) {
  size_t length = ByteReader::Get16(bytes, offset + 64);
  std::u16string name;
  for (size_t i = 0; i + 2 < length && i < 64; i += 2)
    name += static_cast<char16_t>(ByteReader::Get16(bytes, offset + i));
  return name;
}

TEST(VbaStoragesSharingASubtree, AreListedOnce) {
  // 5,000 storages below "Macros", each damaged so that its children are
  // the whole tree of Macros' children: every storage listed all 5,000
  // again, 25 million elements (6 s and 3 GB for a 700 KB file; the square
  // of the storages).
  const size_t count = 5000;
  CompoundFileBuilder file;
  for (size_t i = 0; i < count; ++i) {
    std::u16string path = u"Macros/S";
    for (char digit : std::to_string(i))
      path += static_cast<char16_t>(digit);
    file.AddStorage(path);
  }
  std::string bytes = file.Build();
  std::vector<size_t> entries = DirectoryEntryOffsets(bytes, file.LastLayout(), count + 2);
  uint32_t macrosChild = 0;
  for (size_t offset : entries)
    if (EntryName(bytes, offset) == u"Macros")
      macrosChild = ByteReader::Get32(bytes, offset + 76);
  size_t patched = 0;
  for (size_t offset : entries)
    if (EntryName(bytes, offset).starts_with(u"S")) {
      test::Put32(bytes, offset + 76, macrosChild);
      ++patched;
    }
  ASSERT_EQ(patched, count);

  CompoundFile compound(bytes);
  auto macros = compound.Find(CompoundFile::kRoot, u"Macros", CompoundFile::ElementKind::Storage);
  ASSERT_TRUE(macros);
  auto start = std::chrono::steady_clock::now();
  VbaProject read = VbaProject::Read(compound, *macros);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_TRUE(read.damaged);
  EXPECT_TRUE(read.modules.empty());
  EXPECT_LT(seconds, 3) << seconds; // 0.03 s, 0.3 s under the sanitizers; unbounded, 6 s
}

TEST(VbaStoragesWithDamagedDirs, DecompressNoMoreThanTheProjectMay) {
  // 40 storages, each with a "dir" stream of a few kilobytes that
  // decompresses to 2 MB and does not parse: every one was decompressed in
  // full, 80 MB here (and a 459 KB file took minutes).
  const std::string dir = test::CompressVba(std::string(2 << 20, 'A'));
  CompoundFileBuilder file;
  for (int i = 0; i < 40; ++i)
    file.AddStream(u"Macros/S" + std::u16string(1, static_cast<char16_t>(u'A' + i)) + u"/dir", dir);
  CompoundFile compound(file.Build());
  auto macros = compound.Find(CompoundFile::kRoot, u"Macros", CompoundFile::ElementKind::Storage);
  ASSERT_TRUE(macros);
  VbaProject read = VbaProject::Read(compound, *macros);
  EXPECT_TRUE(read.modules.empty());
  EXPECT_LE(read.decompressed, kVbaMaxDecompressed);
  EXPECT_GT(read.decompressed, 0u);
}

TEST(VbaProjectWithTooManyModules, IsDamagedAndKeepsTheDeclaredOnes) {
  VbaProjectBuilder project;
  project.writeCache = false;
  for (int i = 0; i < 3; ++i)
    project.AddModule("M" + std::to_string(i), "Attribute VB_Name = \"M\"\r\n");
  std::string dir = project.DirStream();
  // One module declared: the other two are cut, and the project damaged.
  const size_t count = dir.find(std::string("\x0F\x00\x02\x00\x00\x00", 6));
  ASSERT_NE(count, std::string::npos);
  dir[count + 6] = 1;
  CompoundFileBuilder file;
  project.AddTo(file, u"Macros");
  file.AddStream(u"Macros/VBA/dir", test::CompressVba(dir));
  CompoundFile compound(file.Build());
  auto macros = compound.Find(CompoundFile::kRoot, u"Macros", CompoundFile::ElementKind::Storage);
  ASSERT_TRUE(macros);
  VbaProject read = VbaProject::Read(compound, *macros);
  EXPECT_TRUE(read.damaged);
  ASSERT_EQ(read.modules.size(), 1u);
  EXPECT_EQ(read.modules[0].name, u"M0");
}

} // namespace
} // namespace scrivlet
