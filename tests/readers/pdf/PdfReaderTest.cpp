#include "readers/pdf/PdfReader.h"
#include "support/ReaderHarness.h"

#include "core/CodePage.h"
#include "core/Exception.h"
#include "core/Stream.h"
#include "frontend/ReaderRegistry.h"
#include "support/ChildProcess.h"
#include "support/PdfBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using test::PdfBuilder;

std::string MessageOf(test::ReaderHarness<PdfReader>& reader, const std::string& bytes) {
  MemoryStream stream(bytes);
  try {
    reader.LoadFromStream(stream);
  } catch (const Exception& error) {
    return error.Message();
  }
  return "";
}

const char* const InfoEntries =
    "/Title (Quarterly report) /Author (Ann Smith) /Subject (Sales) /Keywords (q3, sales) "
    "/Producer (Report Maker 2.1) /Creator (Writer) /CreationDate (D:20090512102030+02'00') "
    "/ModDate (D:2009)";

TEST(PdfReaderTest, InfoFillsTheSummary) {
  test::ReaderHarness<PdfReader> reader;
  ASSERT_EQ(MessageOf(reader, PdfBuilder::WithPages({"a", "b"}, InfoEntries).Build()), "");
  const DocumentSummary& summary = *reader.SummaryInformation();
  EXPECT_EQ(summary.Title, u"Quarterly report");
  EXPECT_EQ(summary.Author, u"Ann Smith");
  EXPECT_EQ(summary.Subject, u"Sales");
  EXPECT_EQ(summary.Keywords, u"q3, sales");
  EXPECT_EQ(summary.AppName, u"Report Maker 2.1");
  EXPECT_EQ(summary.PageCount, 2);
  DateTimeFields created = DecodeDateTime(summary.Created);
  EXPECT_EQ(created.year, 2009);
  EXPECT_EQ(created.month, 5);
  EXPECT_EQ(created.day, 12);
  EXPECT_EQ(created.hour, 10);
  EXPECT_EQ(created.minute, 20);
  EXPECT_EQ(created.second, 30);
  // A date of only a year is not a date.
  EXPECT_EQ(summary.LastSaved, 0);
  EXPECT_FALSE(reader.IsEncrypted());
  EXPECT_EQ(reader.SummaryInformation()->PageCount, 2);
}

TEST(PdfReaderTest, WideTitlesKeepTheirCharacters) {
  test::ReaderHarness<PdfReader> reader;
  ASSERT_EQ(MessageOf(reader, PdfBuilder::WithPages({"a"}, "/Title <FEFF041F04400438>").Build()),
            "");
  EXPECT_EQ(reader.SummaryInformation()->Title, u"\u041f\u0440\u0438");
}

TEST(PdfReaderTest, SummaryOnlyWhenAskedFor) {
  test::ReaderHarness<PdfReader> reader;
  reader.SetParseItems({ContentItem::Text});
  ASSERT_EQ(MessageOf(reader, PdfBuilder::WithPages({"a"}, InfoEntries).Build()), "");
  EXPECT_EQ(reader.SummaryInformation()->Title, u"");
  EXPECT_EQ(reader.Inner().PageCount(), 1u);
}

TEST(PdfReaderTest, ARebuiltFileWithoutPageContentsIsDamagedNotEmpty) {
  test::ReaderHarness<PdfReader> reader;
  std::string file = PdfBuilder::WithPages({""}).Build();
  EXPECT_EQ(MessageOf(reader, file), ""); // an empty page of a sound file
  file.replace(file.rfind("startxref"), 9, "startxxxx");
  EXPECT_EQ(MessageOf(reader, file), "The document is damaged: no page has readable contents");
}

TEST(PdfReaderTest, FailuresRaiseTheirMessages) {
  test::ReaderHarness<PdfReader> reader;
  EXPECT_EQ(MessageOf(reader, "GIF89a"), "This is not valid PDF-document");
  EXPECT_EQ(MessageOf(reader, ""), "This is not valid PDF-document");
  PdfBuilder pdf = PdfBuilder::WithPages({"a"});
  uint32_t encrypt = pdf.Add("<< /Filter /Standard /V 1 /R 2 >>");
  pdf.Trailer += " /Encrypt " + std::to_string(encrypt) + " 0 R";
  // A standard security dictionary whose values no password reproduces:
  // without a password the message says how to give one.
  reader.SetFileName("locked.pdf");
  EXPECT_EQ(MessageOf(reader, pdf.Build()),
            "locked.pdf is protected by a password (give it with --password)");
  EXPECT_TRUE(reader.IsEncrypted());
  reader.SetPassword("wrong");
  EXPECT_EQ(MessageOf(reader, pdf.Build()), "The password is not valid");
}

// The decoding limits a user raises reach the PDF engine; the defaults,
// lower than the engine's own caps, leave those.
TEST(PdfReaderTest, RaisedDecodingLimitsRaiseThePdfCaps) {
  const pdf::PdfDocument::Limits engine;
  const pdf::PdfDocument::Limits defaults = PdfReader::DecodingLimits(Limits{});
  EXPECT_EQ(defaults.StreamCap, engine.StreamCap);
  EXPECT_EQ(defaults.DocumentBudget, engine.DocumentBudget);
  Limits raised;
  raised.decodedBytesPerStream = uint64_t{3} << 30;
  raised.decodedBytesPerDocument = uint64_t{5} << 30;
  const pdf::PdfDocument::Limits decoding = PdfReader::DecodingLimits(raised);
  EXPECT_EQ(decoding.StreamCap, size_t{3} << 30);
  EXPECT_EQ(decoding.DocumentBudget, uint64_t{5} << 30);
  // The work and memory budgets follow the reader's limits.
  raised.workPerInputByte = 500;
  raised.memoryFloor = 7;
  const pdf::PdfDocument::Limits budgets = PdfReader::DecodingLimits(raised);
  EXPECT_EQ(budgets.WorkPerInputByte, 500u);
  EXPECT_EQ(budgets.MemoryFloor, 7u);
}

TEST(PdfReaderTest, ClearForgetsTheLastDocument) {
  test::ReaderHarness<PdfReader> reader;
  ASSERT_EQ(MessageOf(reader, PdfBuilder::WithPages({"a"}, InfoEntries).Build()), "");
  ASSERT_EQ(MessageOf(reader, PdfBuilder::WithPages({"a", "b", "c"}).Build()), "");
  EXPECT_EQ(reader.SummaryInformation()->Title, u"");
  EXPECT_EQ(reader.SummaryInformation()->PageCount, 3);
}

TEST(PdfReaderTest, TheReaderTableSelectsItForPdfFiles) {
  const ReaderKind& kind = ReaderForFileName("report.PDF");
  EXPECT_STREQ(kind.name, "pdf");
  EXPECT_STREQ(kind.className, "PdfReader");
  Document document;
  kind.create()->Read(PdfBuilder::WithPages({"a"}, InfoEntries).Build(), "report.PDF",
                      ReaderOptions(), document);
  EXPECT_EQ(document.summary.Title, u"Quarterly report");
  EXPECT_EQ(ReaderByName("pdf"), &kind);
}

TEST(PdfReaderTest, CommandLineReadsPdfFiles) {
  test::TempDir dir;
  std::string file =
      dir.Write("report.pdf", PdfBuilder::WithPages({"a", "b"}, InfoEntries).Build());
  test::ChildResult json = test::RunChild(SCRIVLET_CLI_PATH, {"--json", file}, {});
  EXPECT_EQ(json.status, 0) << json.err;
  EXPECT_NE(json.out.find("\"reader\": \"pdf\""), std::string::npos) << json.out;
  EXPECT_NE(json.out.find("\"Title\": \"Quarterly report\""), std::string::npos) << json.out;
  EXPECT_NE(json.out.find("\"PageCount\": 2"), std::string::npos) << json.out;
  test::ChildResult forced = test::RunChild(
      SCRIVLET_CLI_PATH, {"--json", "--reader", "pdf", dir.Write("x.bin", "no")}, {});
  EXPECT_EQ(forced.status, 1);
  EXPECT_NE(forced.out.find("\"error\": \"This is not valid PDF-document\""), std::string::npos)
      << forced.out;
}

} // namespace
} // namespace scrivlet
