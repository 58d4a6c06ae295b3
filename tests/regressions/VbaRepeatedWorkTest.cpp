// VBA projects whose module records make the reader do the same work again
// for every record: many modules in one large stream.  Each stream is now
// read once (and all reading counts against the decoded-bytes limit), and
// a module's stream is found through the storage's index.
#include "storage/CompoundFile.h"
#include "support/CompoundFileBuilder.h"
#include "support/VbaBuilder.h"
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

} // namespace
} // namespace scrivlet
