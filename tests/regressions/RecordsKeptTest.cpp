// The memory a small file makes the readers keep: the XML trees they hold
// and the blocks they give are records paid for from the document's
// budget, so that a file of a few kilobytes cannot make them keep hundreds
// of megabytes.
#include "core/Limits.h"
#include "core/WorkBudget.h"
#include "readers/epub/EpubReader.h"
#include "readers/opendocument/OpenDocumentReader.h"
#include "support/EpubBuilder.h"
#include "support/OpenDocumentBuilder.h"
#include "support/ZipBuilder.h"
#include "xml/XmlParser.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

TEST(RecordsKept, AnXmlTreeIsPaidForWhileItStands) {
  WorkBudget budget;
  {
    XmlParser engine;
    engine.SetBudget(&budget);
    engine.LoadFromBytes("<a><b/><b>text</b></a>");
    EXPECT_GE(budget.MemorySpent(), 3 * XmlParser::kElementBytes);
    engine.LoadFromBytes("<a/>"); // the first tree goes
    EXPECT_GE(budget.MemorySpent(), XmlParser::kElementBytes);
    EXPECT_LT(budget.MemorySpent(), 2 * XmlParser::kElementBytes);
  }
  EXPECT_EQ(budget.MemorySpent(), 0u);
}

// Items each inside ten lists opened and closed around it: every level
// gives the boundaries of a list and an item, blocks the document keeps.
TEST(RecordsKept, NestedListsPerItemArePaidFor) {
  test::OpenDocumentBuilder package;
  std::string item;
  for (int level = 0; level < 10; ++level)
    item += level == 0 ? "<text:list text:style-name=\"L1\"><text:list-item>"
                       : "<text:list><text:list-item>";
  item += "<text:p>x</text:p>";
  for (int level = 0; level < 10; ++level)
    item += "</text:list-item></text:list>";
  for (int i = 0; i < 300; ++i)
    package.body += item;
  ReaderOptions options;
  options.items = {ContentItem::Text};
  options.limits.memoryPerInputByte = 0;
  // Room for the tree (some 6,300 elements) and its source, not for the
  // tree and the blocks of every level of every item besides.
  options.limits.memoryFloor = 6400 * XmlParser::kElementBytes + (1 << 20);
  Document document;
  OpenDocumentTextReader reader;
  try {
    reader.Read(package.Build(), "lists.odt", options, document);
    ADD_FAILURE() << "no limit raised";
  } catch (const LimitExceeded& error) {
    EXPECT_EQ(error.Message(), "The document exceeds the limit of " +
                                   std::to_string(options.limits.memoryFloor) +
                                   " bytes of records kept");
  }
  // With room for them, the blocks are all there.
  options.limits.memoryFloor = 64 << 20;
  Document whole;
  reader.Read(package.Build(), "lists.odt", options, whole);
  size_t items = 0;
  for (const Block& block : whole.Main().blocks)
    items += block.kind == BlockKind::ListItemStart ? 1 : 0;
  EXPECT_EQ(items, 300u * 10);
}

// Divs nested thousands deep around one paragraph: every div has a block
// below it, and what the walk keeps of each is paid for besides its
// element.
TEST(RecordsKept, NestedDivsArePaidFor) {
  constexpr int kDepth = 4000;
  std::string body;
  for (int i = 0; i < kDepth; ++i)
    body += "<div>";
  body += "<p>deep</p>";
  for (int i = 0; i < kDepth; ++i)
    body += "</div>";
  test::EpubBuilder book;
  book.Chapter("c.xhtml", body);
  ReaderOptions options;
  options.items = {ContentItem::Text};
  options.limits.memoryPerInputByte = 0;
  // The tree of the chapter and its source, not what the walk keeps too.
  options.limits.memoryFloor = (kDepth + 50) * XmlParser::kElementBytes + 64 * 1024;
  EpubReader reader;
  Document document;
  try {
    reader.Read(book.Build(), "divs.epub", options, document);
    ADD_FAILURE() << "no limit raised";
  } catch (const LimitExceeded& error) {
    EXPECT_NE(error.Message().find("bytes of records kept"), std::string::npos);
  }
  options.limits.memoryFloor = 64 << 20;
  Document whole;
  reader.Read(book.Build(), "divs.epub", options, whole);
  ASSERT_EQ(whole.Main().blocks.size(), 1u);
  EXPECT_EQ(whole.Main().blocks[0].VisibleText(), u"deep");
}

// A spine that names one chapter twenty thousand times: the chapter is
// read once, and every reference is paid for as work.
TEST(RecordsKept, SpineReferencesToOneChapterArePaidFor) {
  std::string spine;
  for (int i = 0; i < 20000; ++i)
    spine += "<itemref idref=\"c\"/>";
  test::ZipBuilder zip;
  zip.Add("mimetype", "application/epub+zip", 0);
  zip.Add("META-INF/container.xml", "<container><rootfiles><rootfile full-path=\"content.opf\"/>"
                                    "</rootfiles></container>");
  zip.Add("content.opf", "<package><manifest><item id=\"c\" href=\"c.xhtml\" "
                         "media-type=\"application/xhtml+xml\"/></manifest><spine>" +
                             spine + "</spine></package>");
  zip.Add("c.xhtml", test::EpubBuilder::Xhtml("<p>the one chapter</p>"));
  const std::string file = zip.Build();
  ReaderOptions options;
  options.items = {ContentItem::Text};
  options.limits.workPerInputByte = 0;
  // The members' bytes, not twenty thousand references besides.
  options.limits.workFloor = 4 * file.size();
  EpubReader reader;
  Document document;
  try {
    reader.Read(file, "spine.epub", options, document);
    ADD_FAILURE() << "no limit raised";
  } catch (const LimitExceeded& error) {
    EXPECT_NE(error.Message().find("units of work"), std::string::npos);
  }
  options.limits.workFloor = 64 << 20;
  Document whole;
  reader.Read(file, "spine.epub", options, whole);
  ASSERT_EQ(whole.Main().blocks.size(), 1u); // read once
  EXPECT_EQ(whole.Main().blocks[0].VisibleText(), u"the one chapter");
}

} // namespace
} // namespace scrivlet
