// The programs' side of the findings: the reader a CGI request gets is the
// one for the file it opens, and the command line turns every failure,
// running out of memory included, into a message and exit status 1.
#include "frontend/CgiPage.h"
#include "frontend/CommandLine.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"
#include "support/ZipBuilder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace scrivlet {
namespace {

const std::string kBook = "<?xml version=\"1.0\"?><FictionBook><description><title-info>"
                          "<book-title>Title of the book</book-title></title-info></description>"
                          "<body><p>text</p></body></FictionBook>";

TEST(NulInRequestedName, TheReaderIsChosenFromTheNameOpened) {
  test::TempDir dir;
  dir.Write("book.fb2", kBook);
  // "%00" ends the name the file system opens; the extension after it
  // chose another reader, which then failed on the book.
  CgiRequest request = ScanRequest({"QUERY_STRING=filename=" + dir.File("book.fb2") + "%00.wpd"});
  EXPECT_EQ(request.fileName, dir.File("book.fb2"));
  EXPECT_EQ(ReaderForFileName(request.fileName).className, std::string("FictionBookReader"));
  PageConfig config;
  config.documentRoot = dir.Path();
  PageContent content = ConvertForPage(request, config);
  EXPECT_EQ(content.error, "");
  EXPECT_EQ(content.heading, "Title of the book");
  // Quotes around the name are taken off before the cut.
  EXPECT_EQ(ScanRequest({"QUERY_STRING=filename=%22a.doc%22%00.fb2"}).fileName, "a.doc\"");
  EXPECT_EQ(ScanRequest({"QUERY_STRING=filename=%00.fb2"}).fileName, "");
}

TEST(CommandLineLimits, OptionsRaiseTheReadersLimits) {
  std::string error;
  auto options =
      ParseCommandLine({"--max-decoded-bytes", "1000000000", "--max-output=5", "f"}, error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->limits.decodedBytesPerStream, 1000000000u);
  EXPECT_EQ(options->limits.decodedBytesPerDocument, 1000000000u);
  EXPECT_EQ(options->limits.outputCharacters, 5u);
  options = ParseCommandLine({"--max-decoded-bytes=1000", "f"}, error);
  ASSERT_TRUE(options);
  EXPECT_EQ(options->limits.decodedBytesPerStream, 1000u);
  EXPECT_EQ(options->limits.decodedBytesPerDocument, Limits().decodedBytesPerDocument);
  for (const char* bad : {"0", "-5", "many", ""}) {
    EXPECT_FALSE(ParseCommandLine({"--max-decoded-bytes", bad, "f"}, error)) << bad;
    EXPECT_EQ(error, "--max-decoded-bytes takes a positive whole number");
  }
  EXPECT_FALSE(ParseCommandLine({"--max-output", "0", "f"}, error));
}

TEST(CommandLineLimits, ALimitReachedIsExitOneNamingIt) {
  test::TempDir dir;
  test::ZipBuilder zip;
  zip.Add("word/document.xml", "<w:document><w:body><w:p><w:r><w:t>" + std::string(100000, 'x') +
                                   "</w:t></w:r></w:p></w:body></w:document>");
  std::string file = dir.Write("big.docx", zip.Build());
  std::string out, err;
  EXPECT_EQ(RunCommandLine({"--max-decoded-bytes", "50000", file}, out, err), 1);
  EXPECT_EQ(err, "The document exceeds the limit of 50000 decoded bytes per stream\n");
  out.clear();
  err.clear();
  EXPECT_EQ(RunCommandLine({"--max-output", "1000", file}, out, err), 1);
  EXPECT_EQ(err, "The document exceeds the limit of 1000 output characters\n");
  out.clear();
  err.clear();
  EXPECT_EQ(RunCommandLine({file}, out, err), 0);
  EXPECT_EQ(out.size(), 100000u + 1); // the text and its line feed
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif

TEST(CommandLineOutOfMemory, IsExitOneWithAMessage) {
  if (kAddressSanitizer)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
  // 40 million characters of text from a 40 KB package, converted in an
  // address space of 200 MB: the reader or the joining of its output (which
  // used to end the program, exit 134) runs out of memory.
  test::TempDir dir;
  test::ZipBuilder zip;
  std::string paragraphs;
  for (int i = 0; i < 40; ++i)
    paragraphs += "<w:p><w:r><w:t>" + std::string(1000000, 'x') + "</w:t></w:r></w:p>";
  zip.Add("word/document.xml", "<w:document><w:body>" + paragraphs + "</w:body></w:document>");
  std::string file = dir.Write("huge.docx", zip.Build());
  test::ChildResult result = test::RunChild(
      "/bin/sh", {"-c", "ulimit -v 200000; exec \"$0\" \"$@\"", SCRIVLET_CLI_PATH, file}, {});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("Out of memory"), std::string::npos) << result.err;
}

// An OpenDocument package at the limits: its content part inflates to
// 61 MB (under the 64 MiB per stream) of 1.65 million paragraphs (under
// the 2 Mi elements).  Their records are more than a file of 190 KB may
// keep (its peak was some 950 MB): the page ends with the records limit's
// name, complete, in 1.2 GB of address space; one more megabyte of content
// is refused with the per-stream limit's name, in a complete page.
std::string OpenDocumentOfParagraphs(int paragraphs) {
  std::string content = "<office:document-content><office:body><office:text>";
  content.reserve(static_cast<size_t>(paragraphs) * 39 + 200);
  for (int i = 0; i < paragraphs; ++i)
    content += "<text:p>yyyyyyyyyyyyyyyyyyyyyy</text:p>";
  content += "</office:text></office:body></office:document-content>";
  test::ZipBuilder zip;
  zip.Add("content.xml", content);
  return zip.Build();
}

TEST(CgiWorstRequest, APackageAtTheLimitsFitsInItsMemory) {
  if (kAddressSanitizer)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
  test::TempDir dir;
  std::filesystem::copy_file(SCRIVLET_CGI_PATH, dir.File("scrivlet.cgi"));
  // Absolute names are served only below a configured root.
  dir.Write("scrivlet.cfg", "[DocumentRoot]\n" + dir.Path() + "\n");
  dir.Write("full.odt", OpenDocumentOfParagraphs(1650000));
  dir.Write("over.odt", OpenDocumentOfParagraphs(1750000));
  auto request = [&](const std::string& name) {
    return test::RunChild("/bin/sh",
                          {"-c", "ulimit -v 1200000; exec \"$0\"", dir.File("scrivlet.cgi")},
                          {"QUERY_STRING=filename=" + dir.File(name)});
  };
  test::ChildResult full = request("full.odt");
  EXPECT_EQ(full.status, 0);
  EXPECT_TRUE(full.out.ends_with("</body>\r\n</html>\r\n"));
  EXPECT_NE(full.out.find("bytes of records kept</h1>"), std::string::npos) << full.out;
  test::ChildResult over = request("over.odt");
  EXPECT_EQ(over.status, 0);
  EXPECT_NE(over.out.find("<h1 align=\"center\">The document exceeds the limit of 67108864 "
                          "decoded bytes per stream</h1>"),
            std::string::npos);
  EXPECT_TRUE(over.out.ends_with("</body>\r\n</html>\r\n"));
}

} // namespace
} // namespace scrivlet
