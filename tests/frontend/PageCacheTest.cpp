#include "frontend/PageCache.h"
#include "frontend/PageService.h"
#include "support/SampleDocuments.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace scrivlet {
namespace {

const std::string kPage = "Content-Type: text/html; charset=utf-8\r\n\r\n<p>page</p>";

TEST(PageCache, KeysNameTheRequestTheFileAndTheConfiguration) {
  test::TempDir docs;
  docs.Write("a.wri", "first");
  PageConfig config;
  config.documentRoot = docs.Path();
  CgiRequest request{false, "a.wri"};
  std::optional<std::string> key = PageCache::KeyOf(request, config, 1, 65001);
  ASSERT_TRUE(key);
  EXPECT_EQ(PageCache::KeyOf(request, config, 1, 65001), key); // nothing changed
  CgiRequest first{true, "a.wri"};
  EXPECT_NE(PageCache::KeyOf(first, config, 1, 65001), key);
  EXPECT_NE(PageCache::KeyOf(request, config, 2, 65001), key); // the configuration was read again
  EXPECT_NE(PageCache::KeyOf(request, config, 1, 1251), key);
  // The file written again, even to the same length, is another file.
  docs.Write("a.wri", "other");
  EXPECT_NE(PageCache::KeyOf(request, config, 1, 65001), key);

  // What is never kept: a password request, a refused body, no file.
  CgiRequest password{false, "a.wri"};
  password.password = "secret";
  EXPECT_FALSE(PageCache::KeyOf(password, config, 1, 65001));
  CgiRequest tooLarge{false, "a.wri"};
  tooLarge.tooLarge = true;
  EXPECT_FALSE(PageCache::KeyOf(tooLarge, config, 1, 65001));
  EXPECT_FALSE(PageCache::KeyOf({false, "none.wri"}, config, 1, 65001));
  EXPECT_FALSE(PageCache::KeyOf({false, ""}, config, 1, 65001));
  EXPECT_FALSE(PageCache::KeyOf({false, "."}, config, 1, 65001)); // a folder
}

TEST(PageCache, KeepsPlainAnswersWithinItsBytesLeastRecentlyUsedFirstOut) {
  PageCache cache(8 * 60); // room for nine pages
  cache.Store("a", kPage);
  cache.Store("b", "Status: 404 Not Found\r\n" + kPage); // never kept
  cache.Store("big", kPage + std::string(200, 'x'));     // over an eighth of the whole
  ASSERT_NE(cache.Find("a"), nullptr);
  EXPECT_EQ(*cache.Find("a"), kPage);
  EXPECT_EQ(cache.Find("b"), nullptr);
  EXPECT_EQ(cache.Find("big"), nullptr);
  for (const char* key : {"c", "d", "e", "f", "g", "h", "i", "j", "k", "l"}) {
    cache.Find("a"); // used again and again: stays
    cache.Store(key, kPage);
  }
  EXPECT_LE(cache.Size(), 480u);
  EXPECT_NE(cache.Find("a"), nullptr);
  EXPECT_EQ(cache.Find("c"), nullptr); // the oldest went
  EXPECT_NE(cache.Find("l"), nullptr);
  cache.SetCapacity(0);
  EXPECT_EQ(cache.Count(), 0u);
  EXPECT_EQ(cache.Size(), 0u);
}

// A worker that keeps its pages answers as one that does not, and a
// document written again gives its new page at once.
TEST(PageCache, AWorkerKeepingPagesAnswersAsOneThatDoesNot) {
  test::TempDir docs, bin;
  std::string letter = docs.Write("letter.wri", test::SampleWriteLetter());
  std::string configFile = bin.Write("scrivlet.cfg", "[DocumentRoot]\n" + docs.Path() + "\n");
  PageService keeping(configFile, 65001, true), fresh(configFile, 65001, false);
  auto never = [](const std::string&) { FAIL() << "no request runs out of time"; };
  for (const char* query : {"filename=letter.wri", "filename=letter.wri&firstpage=1",
                            "filename=none.doc", "filename=letter.wri"}) {
    std::vector<std::string> environment{std::string("QUERY_STRING=") + query};
    EXPECT_EQ(keeping.Answer(environment, "", never), fresh.Answer(environment, "", never))
        << query;
  }
  std::vector<std::string> environment{"QUERY_STRING=filename=letter.wri"};
  std::string before = keeping.Answer(environment, "", never);
  std::filesystem::copy_file(letter, docs.File("copy.wri"));
  docs.Write("letter.wri", "not a Write document any more");
  EXPECT_NE(keeping.Answer(environment, "", never), before);
  EXPECT_EQ(keeping.Answer(environment, "", never), fresh.Answer(environment, "", never));
  // Without room for pages, none is kept.
  bin.Write("scrivlet.cfg", "[PageCache]\n0\n[DocumentRoot]\n" + docs.Path() + "\n");
  EXPECT_EQ(ReadPageConfig(configFile).pageCacheBytes, 0u);
  EXPECT_EQ(keeping.Answer(environment, "", never), fresh.Answer(environment, "", never));
}

TEST(PageCache, TheConfigurationSaysHowManyMegabytes) {
  test::TempDir dir;
  auto bytes = [&dir](const std::string& text) {
    return ReadPageConfig(dir.Write("a.cfg", text)).pageCacheBytes;
  };
  EXPECT_EQ(bytes(""), kDefaultPageCacheBytes);
  EXPECT_EQ(bytes("[PageCache]\n 64 \n"), 64u << 20);
  EXPECT_EQ(bytes("[PageCache]\n0\n"), 0u);
  EXPECT_EQ(bytes("[PageCache]\n-1\n"), kDefaultPageCacheBytes);
  EXPECT_EQ(bytes("[PageCache]\n99999\n"), kDefaultPageCacheBytes);
  EXPECT_EQ(bytes("[PageCache]\nlots\n"), kDefaultPageCacheBytes);
}

} // namespace
} // namespace scrivlet
