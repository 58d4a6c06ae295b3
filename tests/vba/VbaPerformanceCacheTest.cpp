#include "vba/VbaPerformanceCache.h"
#include "support/Bytes.h"
#include "support/VbaBuilder.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using test::U16;
using test::VbaProjectBuilder;

VbaProjectBuilder ThreeModules() {
  VbaProjectBuilder project;
  project.AddModule("ThisDocument", "x").cacheSize = 775;
  project.AddModule("Module1", "y").cacheSize = 1587;
  project.AddModule("Module2", "z").cacheSize = 0;
  return project;
}

TEST(VbaPerformanceCache, ModuleNamesAndOffsetsAfterTheReferences) {
  VbaPerformanceCache cache = VbaPerformanceCache::Parse(ThreeModules().PerformanceCache());
  EXPECT_FALSE(cache.damaged);
  ASSERT_EQ(cache.modules.size(), 3u);
  EXPECT_EQ(cache.modules[0].name, u"ThisDocument");
  EXPECT_EQ(cache.modules[0].sourceOffset, 775u);
  // The second module's record has the 0xFFFF form of the third field.
  EXPECT_EQ(cache.modules[1].name, u"Module1");
  EXPECT_EQ(cache.modules[1].sourceOffset, 1587u);
  EXPECT_EQ(cache.modules[2].name, u"Module2");
  EXPECT_EQ(cache.modules[2].sourceOffset, 0u);
}

TEST(VbaPerformanceCache, NoReferences) {
  std::string stream(34, '\0');
  stream += std::string(132, '\0') + U16(1);
  stream += U16(2) + "A" + std::string(1, '\0') + U16(0) + U16(0) + "\x01\x02" +
            std::string(8, '\0') + std::string(1, '\0') + std::string(6, '\0');
  stream += test::U32(42) + U16(0);
  VbaPerformanceCache cache = VbaPerformanceCache::Parse(stream);
  EXPECT_FALSE(cache.damaged);
  ASSERT_EQ(cache.modules.size(), 1u);
  EXPECT_EQ(cache.modules[0].name, u"A");
  EXPECT_EQ(cache.modules[0].sourceOffset, 42u);
}

TEST(VbaPerformanceCacheDamage, CountBeyondTheDataKeepsTheModulesBefore) {
  std::string stream = ThreeModules().PerformanceCache();
  // Claim 40000 modules.
  size_t firstName = stream.find(U16(24) + std::string("T\0h\0i\0s", 7));
  ASSERT_NE(firstName, std::string::npos);
  test::Put16(stream, firstName - 2, 40000);
  VbaPerformanceCache cache = VbaPerformanceCache::Parse(stream);
  EXPECT_TRUE(cache.damaged);
  EXPECT_EQ(cache.modules.size(), 3u);
}

TEST(VbaPerformanceCacheDamage, StreamCutInsideAModule) {
  std::string stream = ThreeModules().PerformanceCache();
  VbaPerformanceCache cache = VbaPerformanceCache::Parse(stream.substr(0, stream.size() - 10));
  EXPECT_TRUE(cache.damaged);
  EXPECT_EQ(cache.modules.size(), 2u);
}

TEST(VbaPerformanceCacheDamage, ShortStreams) {
  for (size_t size : {0u, 10u, 34u, 40u, 170u}) {
    VbaPerformanceCache cache =
        VbaPerformanceCache::Parse(ThreeModules().PerformanceCache().substr(0, size));
    EXPECT_TRUE(cache.damaged) << size;
    EXPECT_TRUE(cache.modules.empty()) << size;
  }
}

TEST(VbaPerformanceCacheDamage, ReferenceLongerThanTheStream) {
  std::string stream(34, '\0');
  stream += U16(0xFFF0) + "abc";
  VbaPerformanceCache cache = VbaPerformanceCache::Parse(stream);
  EXPECT_TRUE(cache.damaged);
  EXPECT_TRUE(cache.modules.empty());
}

} // namespace
} // namespace scrivlet
