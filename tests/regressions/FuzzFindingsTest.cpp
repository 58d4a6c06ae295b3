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
    DocReader reader;
    MemoryStream stream(damaged);
    EXPECT_THROW(reader.LoadFromStream(stream), Exception);
  }
}

} // namespace
} // namespace scrivlet
