// Inputs the fuzz targets found, reduced to what makes the fault, built
// byte by byte.  Each failed with something other than the reader's own
// error (a crash, a standard-library exception that no caller expects, or
// memory out of proportion to the input).
#include "core/Exception.h"
#include "core/Stream.h"
#include "readers/word/DocReader.h"
#include "storage/CompoundFile.h"
#include "support/Bytes.h"
#include "support/CompoundFileBuilder.h"
#include "support/ReaderHarness.h"
#include "support/ZipBuilder.h"
#include "zip/ZipArchive.h"

#include <chrono>
#include <gtest/gtest.h>

namespace scrivlet {
namespace {

// The offset of a directory entry in a built compound file.
size_t DirectoryEntryOffset(const test::CompoundFileBuilder& builder, size_t entry) {
  const auto& layout = builder.LastLayout();
  return (size_t{layout.firstDirectorySector} + 1) * layout.sectorSize + entry * 128;
}

TEST(FuzzFindings, SixtyFourBitStreamSizeNearItsMaximum) {
  // Version 4 files give a stream a 64-bit size.  Rounded up to whole
  // sectors it wrapped around to a small count that passed the check, and
  // the full size was then reserved (std::length_error).
  test::CompoundFileBuilder builder(4);
  builder.AddStream(u"Small", "small data");
  builder.AddStream(u"WordDocument", std::string(5000, 'w'));
  std::string file = builder.Build();
  for (size_t entry : {size_t{0}, size_t{1}, size_t{2}}) {
    std::string damaged = file;
    damaged.replace(DirectoryEntryOffset(builder, entry) + 120, 8, std::string(8, '\xFF'));
    SCOPED_TRACE(entry);
    try {
      CompoundFile storage(damaged);
      ASSERT_NE(entry, 0u);
      EXPECT_THROW(storage.StreamData(static_cast<uint32_t>(entry)), StorageError);
    } catch (const StorageError&) {
      // the root's mini stream is refused when the file is opened
    }
    test::ReaderHarness<DocReader> reader;
    MemoryStream stream(damaged);
    EXPECT_THROW(reader.LoadFromStream(stream), Exception);
  }
}

TEST(FuzzFindings, ZipMembersSharingDataThatDeclareLargeSizes) {
  // 2,000 directory entries lead to one member of 8 KB of deflate data
  // that each declare 60 MB.  Every read zero-filled a buffer of the
  // declared size (up to 1032 times the data: 8 MB) before inflating the
  // 8 KB it holds: 16 GB of writes for a 100 KB file.
  std::string text;
  for (uint32_t i = 0, x = 1; i < 8000; ++i, x = x * 1103515245 + 12345)
    text += static_cast<char>('a' + (x >> 16) % 26);
  test::ZipBuilder builder;
  builder.Add("part.xml", text);
  std::string zip = builder.Build();
  const size_t central = zip.find("PK\x01\x02");
  const size_t end = zip.find("PK\x05\x06");
  std::string entry = zip.substr(central, end - central);
  entry.replace(24, 4, test::U32(60000000)); // the declared size
  std::string directory;
  for (int i = 0; i < 2000; ++i)
    directory += entry;
  std::string record = zip.substr(end);
  record.replace(8, 2, test::U16(2000));
  record.replace(10, 2, test::U16(2000));
  record.replace(12, 4, test::U32(static_cast<uint32_t>(directory.size())));
  zip = zip.substr(0, central) + directory + record;
  zip.replace(22, 4, test::U32(60000000)); // in the local header too

  ZipArchive archive;
  archive.LoadFromBytes(zip);
  ASSERT_EQ(archive.Files().size(), 2000u);
  const auto start = std::chrono::steady_clock::now();
  // 8,000 bytes, not 60 MB; the other entries are refused, as they share
  // the first one's data.
  EXPECT_THROW(archive.GetFileData(0), ZipCrcError);
  for (int i = 1; i < 2000; ++i)
    EXPECT_THROW(archive.GetFileData(i), Exception);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 20.0); // some 0.1 s; the zero-filling took minutes
}

} // namespace
} // namespace scrivlet
