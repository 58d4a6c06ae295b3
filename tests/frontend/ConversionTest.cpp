#include "frontend/Conversion.h"

#include "core/Exception.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

TEST(ReadDocumentFile, OnlyAnExistingFileIsRead) {
  test::TempDir dir;
  const std::string missing = dir.File("missing.doc");
  try {
    ReadDocumentFile(missing);
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "File " + missing + " is not found.");
  }
  // A directory is not a document file.
  EXPECT_THROW(ReadDocumentFile(dir.Path()), Exception);
  EXPECT_EQ(ReadDocumentFile(dir.Write("here.txt", "contents")), "contents");
}

} // namespace
} // namespace scrivlet
