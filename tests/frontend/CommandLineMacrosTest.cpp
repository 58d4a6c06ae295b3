// "--items vba": the macro listing of a Word binary document after its
// text, and in the JSON's stories.
#include "frontend/CommandLine.h"
#include "frontend/DocumentConversion.h"
#include "support/CompoundFileBuilder.h"
#include "support/TempDir.h"
#include "support/VbaBuilder.h"
#include "support/WordBuilder.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

const std::string kRule = "'===================================";

std::string MacroDocument(const test::TempDir& dir) {
  test::WordBuilder word;
  word.pieces = {{u"Body text\r", true}};
  test::CompoundFileBuilder file;
  file.AddStream(u"WordDocument", word.MainStream());
  file.AddStream(u"1Table", word.TableStream());
  test::VbaProjectBuilder project;
  project.AddModule("Module1", "Attribute VB_Name = \"Module1\"\r\nSub A()\r\nEnd Sub\r\n");
  project.AddTo(file, u"Macros");
  return dir.Write("macros.doc", file.Build());
}

// Line ends as lone LF: plain output may turn CR LF into LF.
std::string WithoutCarriageReturns(std::string text) {
  std::erase(text, '\r');
  return text;
}

std::string Convert(std::vector<std::string> args) {
  std::string out, err;
  EXPECT_EQ(RunCommandLine(args, out, err), 0) << err;
  return WithoutCarriageReturns(out);
}

TEST(CommandLineMacros, ListingFollowsTheTextInEveryFormat) {
  test::TempDir dir;
  std::string path = MacroDocument(dir);
  const std::string listing =
      WithoutCarriageReturns(kRule + "\r\n'  Macro(s) from Module1\r\n" + kRule + "\r\n" +
                             "Attribute VB_Name = \"Module1\"\r\nSub A()\r\nEnd Sub\r\n\r\n\r\n");
  for (const char* format : {"plain", "rtf", "html"}) {
    std::string out = Convert({"--format", format, "--items", "text,vba", path});
    size_t text = out.find("Body text");
    size_t macros = out.find(listing);
    ASSERT_NE(text, std::string::npos) << format;
    ASSERT_NE(macros, std::string::npos) << format << ": " << out;
    EXPECT_LT(text, macros) << format;
    EXPECT_EQ(out.size(), macros + listing.size()) << format; // the listing comes last
  }
}

TEST(CommandLineMacros, ListingWithoutText) {
  test::TempDir dir;
  std::string out = Convert({"--items", "vba", MacroDocument(dir)});
  EXPECT_EQ(out.rfind(kRule + "\n'  Macro(s) from Module1\n", 0), 0u) << out;
  EXPECT_EQ(out.find("Body text"), std::string::npos);
}

TEST(CommandLineMacros, NoListingUnlessAskedFor) {
  test::TempDir dir;
  std::string out = Convert({MacroDocument(dir)});
  EXPECT_NE(out.find("Body text"), std::string::npos);
  EXPECT_EQ(out.find("Macro(s)"), std::string::npos);
}

TEST(CommandLineMacros, JsonStoriesHoldTheListing) {
  test::TempDir dir;
  std::string out = Convert({"--json", "--items", "text,vba", MacroDocument(dir)});
  std::string macros = "\"macros\": [\"" + kRule + "\", \"'  Macro(s) from Module1\", \"" + kRule +
                       "\", \"Attribute VB_Name = \\\"Module1\\\"\\u000d\\u000aSub "
                       "A()\\u000d\\u000aEnd Sub\\u000d\\u000a\\u000d\\u000a\"]";
  EXPECT_NE(out.find(macros), std::string::npos) << out;
}

} // namespace
} // namespace scrivlet

namespace scrivlet {
namespace {

// Source whose project names no code page is in the host's: the code page
// of the conversion, not of the process (which stays UTF-8 here).
TEST(CommandLineMacros, SourceWithoutACodePageIsInTheConversionsCodePage) {
  test::TempDir dir;
  test::WordBuilder word;
  word.pieces = {{u"Body text\r", true}};
  test::CompoundFileBuilder file;
  file.AddStream(u"WordDocument", word.MainStream());
  file.AddStream(u"1Table", word.TableStream());
  test::VbaProjectBuilder project;
  project.AddModule("Module1", "' \xCF\xF0\xE8\xE2\xE5\xF2\r\n").cacheSize = 600;
  project.writeDir = false;
  project.AddTo(file, u"Macros");
  const std::string path = dir.Write("greeting.doc", file.Build());
  std::string error;
  auto options = ParseCommandLine({"--json", "--items", "text,vba", path}, error);
  ASSERT_TRUE(options) << error;
  options->codePage = 1251;
  ConvertedDocument converted = ConvertDocument(*options, path, {});
  EXPECT_NE(converted.output.find("' \xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"),
            std::string::npos)
      << converted.output;
}

} // namespace
} // namespace scrivlet
