// Inputs that made a reader do its work again for every repetition or
// nesting level: each is read once now, and the output grows with the
// input, not with its square.
#include "core/Stream.h"
#include "readers/docx/DocxReader.h"
#include "readers/epub/EpubReader.h"
#include "readers/fictionbook/FictionBookReader.h"
#include "readers/word/DocReader.h"
#include "storage/CompoundFile.h"
#include "support/CompoundFileBuilder.h"
#include "support/ReaderHarness.h"
#include "support/WordBuilder.h"
#include "support/ZipBuilder.h"
#include "zip/ZipArchive.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

template <class Reader> std::unique_ptr<Reader> Load(const std::string& bytes) {
  auto reader = std::make_unique<Reader>();
  MemoryStream stream(bytes);
  reader->LoadFromStream(stream);
  return reader;
}

size_t OutputSize(const TextLines& lines) {
  return lines.GetTextW().size();
}

// ------------------------------------------------------------ FictionBook

std::string NestedParagraphs(int depth) {
  std::string body;
  for (int i = 0; i < depth; ++i)
    body += "<p>w";
  for (int i = 0; i < depth; ++i)
    body += "</p>";
  return "<?xml version=\"1.0\"?><FictionBook><body><section>" + body +
         "</section></body></FictionBook>";
}

TEST(NestedFictionBookParagraphs, GiveOneLineWithTheirWholeText) {
  auto reader = Load<test::ReaderHarness<FictionBookReader>>(
      "<FictionBook><body><p>outer <p>inner</p> tail</p><p>next</p></body></FictionBook>");
  ASSERT_EQ(reader->Lines().Count(), 4); // with the (empty) prologue and epilogue
  EXPECT_EQ(reader->Lines().Get(1), u"outer inner tail");
  EXPECT_EQ(reader->Lines().Get(2), u"next");
}

TEST(NestedFictionBookParagraphs, OutputGrowsWithTheInput) {
  // 100,000 levels (700 KB): each level used to repeat the whole text
  // below it, some 5 billion characters.
  const std::string book = NestedParagraphs(100000);
  auto reader = Load<test::ReaderHarness<FictionBookReader>>(book);
  EXPECT_LT(OutputSize(reader->Lines()), book.size());
  EXPECT_EQ(reader->Lines().Get(1).substr(0, 5), u"wwwww");
}

// ------------------------------------------------------------------- EPUB

std::string BookWithSpine(const std::string& spine, const std::string& manifest) {
  test::ZipBuilder zip;
  zip.Add("META-INF/container.xml",
          "<container><rootfiles><rootfile full-path=\"OPS/book.opf\"/></rootfiles></container>");
  zip.Add("OPS/book.opf",
          "<package><manifest>" + manifest + "</manifest><spine>" + spine + "</spine></package>");
  zip.Add("OPS/chapter.xhtml", "<html><body><p>chapter</p></body></html>");
  zip.Add("OPS/other.xhtml", "<html><body><p>other</p></body></html>");
  return zip.Build();
}

std::string ManifestItem(const std::string& id, const std::string& href) {
  return "<item id=\"" + id + "\" href=\"" + href + "\" media-type=\"application/xhtml+xml\"/>";
}

TEST(RepeatedEpubSpine, ReadsEachDocumentOnceAtItsFirstPlace) {
  std::string spine = "<itemref idref=\"c\"/><itemref idref=\"o\"/>";
  for (int i = 0; i < 1000; ++i)
    spine += "<itemref idref=\"c\"/>";
  auto reader = Load<test::ReaderHarness<EpubReader>>(
      BookWithSpine(spine, ManifestItem("c", "chapter.xhtml") + ManifestItem("o", "other.xhtml")));
  ASSERT_EQ(reader->Lines().Count(), 4); // prologue, two documents, epilogue
  EXPECT_EQ(reader->Lines().Get(1), u"chapter");
  EXPECT_EQ(reader->Lines().Get(2), u"other");
}

TEST(RepeatedEpubSpine, OtherSpellingsOfOneMemberCount) {
  // Members are found ignoring case and with "\" for "/": these are one.
  auto reader = Load<test::ReaderHarness<EpubReader>>(
      BookWithSpine("<itemref idref=\"a\"/><itemref idref=\"b\"/><itemref idref=\"c\"/>",
                    ManifestItem("a", "chapter.xhtml") + ManifestItem("b", "CHAPTER.xhtml") +
                        ManifestItem("c", "./x/../Chapter.xhtml")));
  EXPECT_EQ(reader->Lines().Count(), 3);
}

// ------------------------------------------------------------------- .docx

std::string DocxWithHeaderReferences(int references, bool distinctIds) {
  std::string sections, relationships;
  for (int i = 0; i < references; ++i) {
    std::string number = distinctIds ? std::to_string(i) : "1";
    // Footer ids are written in another letter case: they still resolve.
    sections += "<w:p><w:pPr><w:sectPr><w:headerReference r:id=\"rId" + number +
                "\"/><w:footerReference r:id=\"FRID" + number + "\"/></w:sectPr></w:pPr></w:p>";
    if (distinctIds || i == 0)
      relationships += "<Relationship Id=\"rId" + number +
                       "\" Target=\"header1.xml\"/><Relationship Id=\"frId" + number +
                       "\" Target=\"footer1.xml\"/>";
  }
  test::ZipBuilder zip;
  zip.Add("word/document.xml", "<w:document><w:body><w:p><w:r><w:t>body</w:t></w:r></w:p>" +
                                   sections + "</w:body></w:document>");
  zip.Add("word/_rels/document.xml.rels", "<Relationships>" + relationships + "</Relationships>");
  zip.Add("word/header1.xml", "<w:hdr><w:p><w:r><w:t>head</w:t></w:r></w:p></w:hdr>");
  zip.Add("word/footer1.xml", "<w:ftr><w:p><w:r><w:t>foot</w:t></w:r></w:p></w:ftr>");
  return zip.Build();
}

TEST(RepeatedDocxHeaders, EachPartIsReadOnce) {
  for (bool distinctIds : {false, true}) {
    SCOPED_TRACE(distinctIds ? "one id per reference" : "one id for all");
    auto reader =
        Load<test::ReaderHarness<DocxReader>>(DocxWithHeaderReferences(1000, distinctIds));
    ASSERT_EQ(reader->Stories()->Headers.Count(), 1);
    EXPECT_EQ(reader->Stories()->Headers.Get(0), u"head");
    ASSERT_EQ(reader->Stories()->Footers.Count(), 1);
    EXPECT_EQ(reader->Stories()->Footers.Get(0), u"foot");
    EXPECT_EQ(reader->Lines().Get(0), u"body");
  }
}

TEST(RepeatedDocxHeaders, HeadersOfDifferentPartsKeepTheirOrder) {
  test::ZipBuilder zip;
  zip.Add("word/document.xml",
          "<w:document><w:body><w:p><w:pPr><w:sectPr><w:headerReference r:id=\"b\"/>"
          "<w:headerReference r:id=\"a\"/><w:headerReference r:id=\"b\"/></w:sectPr></w:pPr>"
          "</w:p></w:body></w:document>");
  zip.Add("word/_rels/document.xml.rels",
          "<Relationships><Relationship Id=\"a\" Target=\"h1.xml\"/><Relationship Id=\"b\" "
          "Target=\"/word/h2.xml\"/><Relationship Id=\"a\" Target=\"ignored.xml\"/>"
          "</Relationships>");
  zip.Add("word/h1.xml", "<w:hdr><w:p><w:r><w:t>one</w:t></w:r></w:p></w:hdr>");
  zip.Add("word/h2.xml", "<w:hdr><w:p><w:r><w:t>two</w:t></w:r></w:p></w:hdr>");
  auto reader = Load<test::ReaderHarness<DocxReader>>(zip.Build());
  ASSERT_EQ(reader->Stories()->Headers.Count(), 2);
  EXPECT_EQ(reader->Stories()->Headers.Get(0), u"two");
  EXPECT_EQ(reader->Stories()->Headers.Get(1), u"one");
}

// -------------------------------------------------------------- ZIP names

TEST(ZipNameLookup, FirstOfEqualNamesIgnoringCaseThroughAnIndex) {
  test::ZipBuilder builder;
  for (int i = 0; i < 5000; ++i)
    builder.Add("OPS/c" + std::to_string(i) + ".xhtml", std::to_string(i), 0);
  builder.Add("ops/C7.XHTML", "later copy", 0);
  builder.Add("dir\\back.xml", "backslashed", 0);
  ZipArchive zip;
  zip.LoadFromBytes(builder.Build());
  EXPECT_EQ(zip.IndexOfFile("OPS/c0.xhtml"), 0);
  EXPECT_EQ(zip.IndexOfFile("ops/c4999.XHTML"), 4999);
  EXPECT_EQ(zip.GetFileByName("Ops/C7.xhtml"), "7");
  EXPECT_EQ(zip.GetFileByName("DIR/back.xml"), "backslashed");
  EXPECT_EQ(zip.IndexOfFile("OPS/c5000.xhtml"), -1);
  EXPECT_THROW(zip.LoadFromBytes("not an archive"), Exception);
  EXPECT_EQ(zip.IndexOfFile("OPS/c0.xhtml"), -1); // nothing of the archive before stays
}

// --------------------------------------------------------- compound files

// Renames, in the built file's directory, every stream called from to the
// name to (both of the same length).
void RenameEntries(std::string& file, const std::u16string& from, const std::u16string& to) {
  auto utf16 = [](const std::u16string& text) {
    std::string bytes;
    for (char16_t c : text) {
      bytes += static_cast<char>(c & 0xFF);
      bytes += static_cast<char>(c >> 8);
    }
    return bytes;
  };
  const std::string old = utf16(from), replacement = utf16(to);
  for (size_t at = file.find(old); at != std::string::npos; at = file.find(old, at + 1))
    file.replace(at, old.size(), replacement);
}

TEST(RepeatedWordDocumentStreams, TheFirstMainStreamIsReadOnce) {
  test::WordBuilder word;
  word.pieces = {{u"main text\r", true}};
  word.summaryInformation = test::PropertySet({test::PropertyValue::String(2, "First title")});
  test::CompoundFileBuilder storage;
  storage.AddStream(u"WordDocument", word.MainStream());
  storage.AddStream(u"1Table", word.TableStream());
  storage.AddStream(u"\x05SummaryInformation", word.summaryInformation);
  test::WordBuilder copy = word;
  copy.pieces = {{u"copy text\r", true}};
  copy.summaryInformation = test::PropertySet({test::PropertyValue::String(2, "Copy title")});
  // Copies under names of the same length that sort after the originals,
  // renamed after the build: the directory's in-order walk meets the
  // originals first.
  auto copyName = [](std::u16string stem, int i, std::u16string end) {
    for (int divisor : {100, 10, 1})
      stem += static_cast<char16_t>(u'0' + i / divisor % 10);
    return stem + end;
  };
  for (int i = 0; i < 300; ++i) {
    storage.AddStream(copyName(u"WordDocuZ", i, u""), copy.MainStream());
    storage.AddStream(copyName(u"\x05SummaryInformZ", i, u"n"), copy.summaryInformation);
  }
  std::string file = storage.Build();
  for (int i = 0; i < 300; ++i) {
    RenameEntries(file, copyName(u"WordDocuZ", i, u""), u"WordDocument");
    RenameEntries(file, copyName(u"\x05SummaryInformZ", i, u"n"), u"\x05SummaryInformation");
  }
  auto reader = Load<test::ReaderHarness<DocReader>>(file);
  const std::u16string text = reader->Lines().GetTextW();
  size_t first = text.find(u"main text");
  ASSERT_NE(first, std::u16string::npos);
  EXPECT_EQ(text.find(u"main text", first + 1), std::u16string::npos);
  EXPECT_EQ(text.find(u"copy text"), std::u16string::npos);
  EXPECT_EQ(reader->SummaryInformation()->Title, u"First title");
}

TEST(CompoundFileLookup, FindsTheFirstOfEqualNamesIgnoringCase) {
  test::CompoundFileBuilder builder;
  builder.AddStream(u"Alpha", "first");
  builder.AddStream(u"Beta", "beta");
  builder.AddStream(u"AlphX", "second");
  builder.AddStorage(u"ALPHA");
  std::string file = builder.Build();
  RenameEntries(file, u"AlphX", u"Alpha");
  CompoundFile storage(file);
  auto alpha = storage.OpenStream(CompoundFile::kRoot, u"aLPHA");
  ASSERT_NE(alpha, nullptr);
  EXPECT_EQ(alpha->Data(), storage.StreamData(*storage.Find(CompoundFile::kRoot, u"alpha",
                                                            CompoundFile::ElementKind::Stream)));
  EXPECT_TRUE(storage.Find(CompoundFile::kRoot, u"alpha", CompoundFile::ElementKind::Storage));
  EXPECT_FALSE(storage.Find(CompoundFile::kRoot, u"beta", CompoundFile::ElementKind::Storage));
  EXPECT_EQ(storage.OpenStream(CompoundFile::kRoot, u"BETA")->Data(), "beta");
  EXPECT_EQ(storage.OpenStream(CompoundFile::kRoot, u"Gamma"), nullptr);
}

} // namespace
} // namespace scrivlet
