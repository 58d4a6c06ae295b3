#include "frontend/CommandLine.h"
#include "support/SampleDocuments.h"
#include "support/TempDir.h"
#include "writers/JsonWriter.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace scrivlet {
namespace {

std::optional<CommandLineOptions> Parse(std::vector<std::string> args) {
  std::string error;
  return ParseCommandLine(args, error);
}

TEST(CommandLineOptions, ValuesAndDefaults) {
  auto defaults = Parse({"a.doc"});
  ASSERT_TRUE(defaults);
  EXPECT_EQ(defaults->formating, OutputFormat::PlainText);
  EXPECT_EQ(defaults->items.Bits(), 9 | 32);
  EXPECT_EQ(defaults->maxLength, 0);
  EXPECT_FALSE(defaults->json);

  auto all =
      Parse({"--format", "html", "--items=text,vba,hidden", "--max-length", "20",
             "--raw-control-chars", "--password", "pw", "--reader", "pdf", "--json", "x.bin"});
  ASSERT_TRUE(all);
  EXPECT_EQ(all->formating, OutputFormat::Html);
  EXPECT_EQ(all->items,
            (ContentItems{ContentItem::Text, ContentItem::Macros, ContentItem::HiddenText}));
  EXPECT_EQ(all->maxLength, 20);
  EXPECT_TRUE(all->rawControlChars);
  EXPECT_EQ(all->password, "pw");
  EXPECT_EQ(all->readerName, "pdf");
  EXPECT_TRUE(all->json);
  EXPECT_EQ(all->files, std::vector<std::string>{"x.bin"});
  auto budgets = Parse({"--max-work", "1000", "--max-records=200", "a.pdf"});
  ASSERT_TRUE(budgets);
  EXPECT_EQ(budgets->limits.workPerInputByte, 1000u);
  EXPECT_EQ(budgets->limits.memoryPerInputByte, 200u);
  EXPECT_EQ(defaults->limits.workPerInputByte, Limits{}.workPerInputByte);
  EXPECT_EQ(Parse({"--", "-dash.doc", "--json"})->files,
            (std::vector<std::string>{"-dash.doc", "--json"}));
}

TEST(CommandLineOptions, UsageErrors) {
  for (std::vector<std::string> bad : {std::vector<std::string>{},
                                       {"-", "-"},
                                       {"--files-from", "-", "-"},
                                       {"--jobs", "0", "a"},
                                       {"--jobs", "x", "a"},
                                       {"--output-dir=", "a"},
                                       {"--crlf=yes", "a"},
                                       {"--format"},
                                       {"--format", "txt", "a"},
                                       {"--items", "text,bogus", "a"},
                                       {"--max-length", "ten", "a"},
                                       {"--max-length", "-5", "a"},
                                       {"--reader", "xls", "a"},
                                       {"--max-work", "0", "a"},
                                       {"--max-records", "lots", "a"},
                                       {"--unknown", "a"},
                                       {"--json=1", "a"}}) {
    std::string out, err;
    EXPECT_EQ(RunCommandLine(bad, out, err), 2);
    EXPECT_FALSE(err.empty());
  }
}

TEST(CommandLineOptions, UsageNamesEveryFormatAndReader) {
  std::string out, err;
  ASSERT_EQ(RunCommandLine({"--help"}, out, err), 0);
  EXPECT_NE(out.find("EPUB, PDF) to text"), std::string::npos) << out;
  EXPECT_NE(out.find("the same path given twice writes one file"), std::string::npos) << out;
  EXPECT_NE(out.find("force a reader: doc, docx, wpd, wri, odt, odp, fb2, epub, pdf\n"),
            std::string::npos)
      << out;
}

TEST(CommandLineFiles, WhatNoReaderTakesIsSaidSo) {
  test::TempDir dir;
  const std::string formats = "(not doc, docx, wpd, wri, odt, odp, fb2, epub or pdf)\n";
  std::string out, err;
  // Content no format claims, under a name that names no format either.
  std::string text = dir.Write("notes.txt", "just words");
  EXPECT_EQ(RunCommandLine({text}, out, err), 1);
  EXPECT_EQ(err, text + ": unrecognised format " + formats);
  std::string empty = dir.Write("empty", "");
  err.clear();
  EXPECT_EQ(RunCommandLine({empty}, out, err), 1);
  EXPECT_EQ(err, empty + ": unrecognised format " + formats);
  err.clear();
  EXPECT_EQ(RunCommandLine({"-"}, out, err, "just words"), 1);
  EXPECT_EQ(err, "-: unrecognised format " + formats);
  // A directory.
  out.clear();
  err.clear();
  EXPECT_EQ(RunCommandLine({"--json", dir.Path()}, out, err), 1);
  EXPECT_NE(out.find("\"reader\": null"), std::string::npos) << out;
  EXPECT_NE(out.find("\"error\": \"" + dir.Path() + " is a directory\""), std::string::npos) << out;
  // The extension still chooses for content without a signature, and the
  // content for a name without a known extension.
  std::string misnamedText = dir.Write("notes.doc", "just words");
  err.clear();
  RunCommandLine({misnamedText}, out, err);
  EXPECT_NE(err.find("is not valid MS Word document"), std::string::npos) << err;
  std::string letter = dir.Write("letter.bin", test::SampleWriteLetter());
  out.clear();
  EXPECT_EQ(RunCommandLine({letter}, out, err), 0);
  EXPECT_NE(out.find("Dear reader,"), std::string::npos) << out;
}

TEST(CommandLineFiles, ThePathGivenTwiceWritesOneFile) {
  test::TempDir dir;
  std::string letter = dir.Write("letter.wri", test::SampleWriteLetter());
  std::string out, err;
  EXPECT_EQ(RunCommandLine({"--output-dir", dir.File("out"), letter, letter}, out, err), 0);
  EXPECT_TRUE(std::filesystem::exists(dir.File("out/letter.wri.txt")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("out/letter.wri.2.txt")));
}

TEST(JsonStrings, EscapesControlsAndLoneSurrogates) {
  EXPECT_EQ(JsonString(u"a\"b\\c"), "\"a\\\"b\\\\c\"");
  EXPECT_EQ(JsonString(u"\r\n\x01"), "\"\\u000d\\u000a\\u0001\"");
  EXPECT_EQ(JsonString(u"\u00e9\U0001F600"), "\"\xc3\xa9\xf0\x9f\x98\x80\"");
  EXPECT_EQ(JsonString(std::u16string(1, u'\xDC00')), "\"\\udc00\"");
  EXPECT_EQ(JsonString(std::u16string{u'\xD800', u'a'}), "\"\\ud800a\"");
}

} // namespace
} // namespace scrivlet
