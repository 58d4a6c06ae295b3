// A host that has read a file already (to tell its format) hands the bytes
// to the reader, which then does not open the file a second time.
#include "frontend/ModelAdapter.h"
#include "readers/write/WriteReader.h"
#include "support/TempDir.h"
#include "support/WriteBuilder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace scrivlet {
namespace {

TEST(FileBytes, LoadFromFileTakesTheBytesGivenForThatName) {
  test::WriteBuilder b;
  b.text = "Given\r\n";
  b.AddRun(b.text.size());
  b.AddParagraph(b.text.size());
  b.AddFont(0x10, "Arial");
  test::TempDir dir;
  std::string name = dir.File("gone.wri"); // never written: only the bytes exist
  ModelAdapter<WriteReader> reader;
  reader.SetFileBytes(name, b.Build());
  reader.LoadFromFile(name);
  EXPECT_EQ(reader.Lines().Get(0), u"Given\r\n");
  // Taken once: the next load reads the file, which does not exist.
  EXPECT_THROW(reader.LoadFromFile(name), Exception);
  // Bytes given for another name are not used.
  reader.SetFileBytes(dir.File("other.wri"), b.Build());
  EXPECT_THROW(reader.LoadFromFile(name), Exception);
}

} // namespace
} // namespace scrivlet
