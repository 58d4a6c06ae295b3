// The stories of a document besides its text in plain output: headers and
// footers with "--items headers", comments with "--items comments", each
// after the text; without them the text stands alone.
#include "frontend/CommandLine.h"
#include "support/TempDir.h"
#include "support/WordBuilder.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

std::string StoriesDocument(const test::TempDir& dir) {
  test::WordBuilder word;
  word.pieces = {{u"Body text\rHead\rFoot\r\rNote\r", true}};
  word.paragraphs = {{0, 10, 0, ""}};
  word.ccpHdd = 11;
  word.ccpAtn = 5;
  word.headerPlaces = {0, 0, 0, 0, 0, 0, 0, 0, 5, 5, 10, 10, 10, 11};
  return dir.Write("stories.doc", word.Build());
}

// The output's lines that hold something, each ended by LF.
std::string NonEmptyLines(const std::string& text) {
  std::string lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos)
      end = text.size();
    if (end > start)
      lines += text.substr(start, end - start) + "\n";
    start = end + 1;
  }
  return lines;
}

TEST(CommandLineStories, HeadersAndCommentsFollowTheTextWhenAskedFor) {
  test::TempDir dir;
  const std::string path = StoriesDocument(dir);
  struct Case {
    const char* items;
    const char* expected;
  };
  const Case cases[] = {
      {"text", "Body text\n"},
      {"text,headers", "Body text\nHead\nFoot\n"},
      {"text,comments", "Body text\nNote\n"},
      {"text,headers,comments", "Body text\nHead\nFoot\nNote\n"},
  };
  for (const Case& c : cases) {
    std::string out, err;
    ASSERT_EQ(RunCommandLine({"--items", c.items, path}, out, err), 0) << err;
    EXPECT_EQ(NonEmptyLines(out), c.expected) << c.items;
  }
}

} // namespace
} // namespace scrivlet
