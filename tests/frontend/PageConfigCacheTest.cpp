#include "frontend/PageConfigCache.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using namespace std::chrono_literals;

TEST(PageConfigCache, FollowsTheFileAsItChangesAndGoes) {
  test::TempDir dir;
  std::string file = dir.File("scrivlet.cfg");
  PageConfigCache cache(file);
  EXPECT_TRUE(cache.Current().documentRoot.empty());
  dir.Write("scrivlet.cfg", "[DocumentRoot]\n/srv/a\n[TimeLimit]\n2.5\n");
  EXPECT_EQ(cache.Current().documentRoot, "/srv/a");
  EXPECT_EQ(cache.Current().timeLimit, 2500ms);
  // Rewritten in place with another length, then replaced by a file of
  // the same length.
  dir.Write("scrivlet.cfg", "[DocumentRoot]\n/srv/bb\n[Layout]\ndocument\n");
  EXPECT_EQ(cache.Current().documentRoot, "/srv/bb");
  EXPECT_EQ(cache.Current().layout, PageLayout::Document);
  EXPECT_EQ(cache.Current().timeLimit, kDefaultTimeLimit);
  dir.Write("next.cfg", "[DocumentRoot]\n/srv/cc\n[Layout]\ndocument\n");
  std::filesystem::rename(dir.File("next.cfg"), file);
  EXPECT_EQ(cache.Current().documentRoot, "/srv/cc");
  std::filesystem::remove(file);
  EXPECT_TRUE(cache.Current().documentRoot.empty());
  EXPECT_EQ(cache.Current().layout, PageLayout::Classic);
}

TEST(PageConfigCache, AnUnchangedFileIsNotReadAgain) {
  test::TempDir dir;
  std::string file = dir.Write("scrivlet.cfg", "[DocumentRoot]\n/srv/a\n");
  PageConfigCache cache(file);
  const PageConfig* first = &cache.Current();
  EXPECT_EQ(first->documentRoot, "/srv/a");
  EXPECT_EQ(&cache.Current(), first);
  EXPECT_EQ(cache.Current().documentRoot, "/srv/a");
}

} // namespace
} // namespace scrivlet
