// Compressed data and output under the resource limits: a ZIP member is
// inflated into a buffer that grows with what it produces, never sized
// from the size it declares, and a document past a limit fails with a
// message that names the limit.
#include "core/Limits.h"
#include "core/Stream.h"
#include "readers/docx/DocxReader.h"
#include "readers/fictionbook/FictionBookReader.h"
#include "readers/opendocument/OpenDocumentReader.h"
#include "support/Bytes.h"
#include "support/ReaderHarness.h"
#include "support/ZipBuilder.h"
#include "xml/XmlParser.h"
#include "zip/ZipArchive.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

Limits SmallLimits() {
  Limits limits;
  limits.decodedBytesPerStream = 1 << 20;
  limits.decodedBytesPerDocument = 3 << 20;
  limits.outputCharacters = 1000;
  return limits;
}

std::string LimitMessage(const std::function<void()>& action) {
  try {
    action();
  } catch (const LimitExceeded& error) {
    return error.Message();
  }
  return "no limit reached";
}

// Sets the uncompressed size of every member, in its local header and its
// central directory entry, to size.
void DeclareSize(std::string& zip, uint32_t size) {
  const std::string value = test::U32(size);
  for (size_t at = zip.find("PK\x03\x04"); at != std::string::npos;
       at = zip.find("PK\x03\x04", at + 4))
    zip.replace(at + 22, 4, value);
  for (size_t at = zip.find("PK\x01\x02"); at != std::string::npos;
       at = zip.find("PK\x01\x02", at + 4))
    zip.replace(at + 24, 4, value);
}

TEST(ZipMemberLimits, AMemberPastThePerStreamLimitFailsNamingIt) {
  test::ZipBuilder builder;
  builder.Add("bomb.xml", std::string((1 << 20) + 1, 'a'));
  builder.Add("fits.xml", std::string(1 << 20, 'b'));
  ZipArchive zip(SmallLimits());
  zip.LoadFromBytes(builder.Build());
  EXPECT_EQ(LimitMessage([&] { zip.GetFileData(0); }),
            "The document exceeds the limit of 1048576 decoded bytes per stream");
  EXPECT_EQ(zip.GetFileData(1).size(), size_t{1} << 20);
}

TEST(ZipMemberLimits, MembersTogetherPastThePerDocumentLimitFail) {
  test::ZipBuilder builder;
  builder.Add("part.xml", std::string(900 << 10, 'c'));
  ZipArchive zip(SmallLimits());
  zip.LoadFromBytes(builder.Build());
  for (int i = 0; i < 3; ++i) // reading a member again counts again
    EXPECT_EQ(zip.GetFileData(0).size(), size_t{900} << 10);
  EXPECT_EQ(LimitMessage([&] { zip.GetFileData(0); }),
            "The document exceeds the limit of 3145728 decoded bytes per document");
}

TEST(ZipMemberLimits, ADeclaredSizeIsNotTrusted) {
  // 4 GiB declared for a few bytes: refused by the size check after
  // inflating what is there, not allocated.
  test::ZipBuilder builder;
  builder.Add("small.xml", "<a>small</a>");
  std::string bytes = builder.Build();
  DeclareSize(bytes, 0xFFFFFFFF);
  ZipArchive zip;
  zip.LoadFromBytes(bytes);
  EXPECT_THROW(zip.GetFileData(0), ZipCrcError);
  // Declared smaller than it inflates to: refused as well.
  DeclareSize(bytes, 3);
  zip.LoadFromBytes(bytes);
  EXPECT_THROW(zip.GetFileData(0), ZipCrcError);
}

TEST(ZipMemberLimits, ADocxWithAnInflatingPartFailsWithTheLimitsMessage) {
  test::ZipBuilder builder;
  builder.Add("word/document.xml", "<w:document><w:body><w:p><w:r><w:t>" +
                                       std::string(2 << 20, 'x') +
                                       "</w:t></w:r></w:p></w:body></w:document>");
  const std::string package = builder.Build();
  EXPECT_LT(package.size(), size_t{8} << 10);
  test::ReaderHarness<DocxReader> reader;
  reader.SetResourceLimits(SmallLimits());
  MemoryStream stream(package);
  EXPECT_EQ(LimitMessage([&] { reader.LoadFromStream(stream); }),
            "The document exceeds the limit of 1048576 decoded bytes per stream");
  // Raised, the same package converts.
  Limits raised = SmallLimits();
  raised.decodedBytesPerStream = 4 << 20;
  raised.outputCharacters = 8 << 20;
  reader.SetResourceLimits(raised);
  stream.SetPosition(0);
  reader.LoadFromStream(stream);
  EXPECT_EQ(reader.Lines().Get(0).size(), size_t{2} << 20);
}

TEST(OutputLimit, OutputPastTheLimitFailsNamingIt) {
  std::string body;
  for (int i = 0; i < 200; ++i)
    body += "<p>ten chars</p>";
  test::ReaderHarness<FictionBookReader> reader;
  reader.SetResourceLimits(SmallLimits());
  MemoryStream stream("<FictionBook><body>" + body + "</body></FictionBook>");
  EXPECT_EQ(LimitMessage([&] { reader.LoadFromStream(stream); }),
            "The document exceeds the limit of 1000 output characters");
  // A new document starts counting afresh.
  MemoryStream small("<FictionBook><body><p>short</p></body></FictionBook>");
  reader.LoadFromStream(small);
  EXPECT_EQ(reader.Lines().Get(1), u"short"); // after the empty prologue
}

TEST(OutputLimit, ReachedInsideADocxPartWithItsFooterToWrite) {
  std::string paragraphs;
  for (int i = 0; i < 200; ++i)
    paragraphs += "<w:p><w:r><w:t>ten chars</w:t></w:r></w:p>";
  test::ZipBuilder builder;
  builder.Add("word/document.xml", "<w:document><w:body>" + paragraphs + "</w:body></w:document>");
  for (OutputFormat formating : {OutputFormat::PlainText, OutputFormat::Rtf, OutputFormat::Html}) {
    test::ReaderHarness<DocxReader> reader;
    reader.SetTextFormating(formating);
    reader.SetResourceLimits(SmallLimits());
    MemoryStream stream(builder.Build());
    EXPECT_EQ(LimitMessage([&] { reader.LoadFromStream(stream); }),
              "The document exceeds the limit of 1000 output characters");
  }
}

TEST(XmlLimits, ElementsOfOneDocument) {
  Limits limits;
  limits.elements = 100;
  XmlParser engine;
  engine.SetLimits(limits);
  std::string flat = "<r>";
  for (int i = 0; i < 99; ++i)
    flat += "<a/>";
  for (int i = 0; i < 3; ++i) { // each load counts afresh
    engine.LoadFromBytes(flat + "</r>");
    EXPECT_EQ(engine.RootItem().Items.Count(), 99); // the root and 99 children
  }
  EXPECT_EQ(LimitMessage([&] { engine.LoadFromBytes(flat + "<a/></r>"); }),
            "The document exceeds the limit of 100 elements");
  // Nesting counts its elements like any others, at any depth.
  std::string deep;
  for (int i = 0; i < 101; ++i)
    deep += "<d>";
  EXPECT_EQ(LimitMessage([&] { engine.LoadFromBytes(deep); }),
            "The document exceeds the limit of 100 elements");
}

TEST(XmlLimits, AnOpenDocumentPartPastTheElementLimitFailsNamingIt) {
  std::string paragraphs;
  for (int i = 0; i < 200; ++i)
    paragraphs += "<text:p>p</text:p>";
  test::ZipBuilder builder;
  builder.Add("content.xml", "<office:document-content><office:body><office:text>" + paragraphs +
                                 "</office:text></office:body></office:document-content>");
  Limits limits;
  limits.elements = 150;
  test::ReaderHarness<OpenDocumentTextReader> reader;
  reader.SetResourceLimits(limits);
  MemoryStream stream(builder.Build());
  EXPECT_EQ(LimitMessage([&] { reader.LoadFromStream(stream); }),
            "The document exceeds the limit of 150 elements");
}

TEST(DecodeBudget, CapsTheNextStreamByWhatIsLeft) {
  Limits limits;
  limits.decodedBytesPerStream = 100;
  limits.decodedBytesPerDocument = 250;
  DecodeBudget budget(limits);
  EXPECT_EQ(budget.NextStreamCap(), 100u);
  budget.Spend(100);
  budget.Spend(100);
  EXPECT_EQ(budget.NextStreamCap(), 50u);
  EXPECT_EQ(LimitMessage([&] { budget.Exceeded(); }),
            "The document exceeds the limit of 250 decoded bytes per document");
  budget.Spend(50);
  EXPECT_EQ(budget.NextStreamCap(), 0u);
  EXPECT_EQ(budget.Used(), 250u);
}

} // namespace
} // namespace scrivlet
