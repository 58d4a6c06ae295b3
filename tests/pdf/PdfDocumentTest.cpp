#include "pdf/PdfDocument.h"

#include "core/Exception.h"
#include "pdf/DocumentInfo.h"
#include "pdf/PageTree.h"
#include "support/PdfBuilder.h"

#include <gtest/gtest.h>

namespace scrivlet::pdf {
namespace {

using test::PdfBuilder;

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& error) {
    return error.Message();
  }
  return "";
}

PdfBuilder ThreePages() {
  return PdfBuilder::WithPages({"(one) Tj", "(two) Tj", "(three) Tj"});
}

std::vector<std::string> Contents(const PdfDocument& document) {
  std::vector<std::string> contents;
  WalkPages(document, [&](PdfPage& page) { contents.push_back(page.Contents); });
  return contents;
}

const std::vector<std::string> ThreeContents = {"(one) Tj", "(two) Tj", "(three) Tj"};

// Header.

TEST(PdfDocumentTest, HeaderInTheFirstKilobyteOrObjectsWithoutOne) {
  std::string file = ThreePages().Build();
  EXPECT_EQ(MessageOf([&] { PdfDocument document("GIF89a"); }), "This is not valid PDF-document");
  EXPECT_EQ(MessageOf([&] { PdfDocument document(""); }), "This is not valid PDF-document");
  PdfDocument document(file);
  EXPECT_EQ(document.Version(), "1.7");
  EXPECT_FALSE(document.Repaired());
  PdfDocument shifted("junk before the header\n" + file);
  EXPECT_EQ(shifted.Version(), "1.7");
  EXPECT_EQ(Contents(shifted).size(), 3u);
  // A header damaged in place: the objects are still there to read.
  std::string headless = file;
  headless.replace(0, 5, "%1.7\n");
  PdfDocument damaged(headless);
  EXPECT_EQ(damaged.Version(), "1.0"); // as when a header names none
  EXPECT_EQ(Contents(damaged), ThreeContents);
}

// Cross-reference forms.

TEST(PdfDocumentTest, ClassicTableFindsEveryObject) {
  PdfDocument document(ThreePages().Build());
  EXPECT_EQ(Contents(document), ThreeContents);
  EXPECT_FALSE(document.Repaired());
  EXPECT_EQ(document.Xref().Size(), 8u);
}

TEST(PdfDocumentTest, TableWithSeveralSubsections) {
  PdfBuilder pdf = ThreePages();
  uint32_t gap = pdf.Reserve();
  (void)gap; // a number without an object splits the table
  pdf.Add("(after the gap)");
  PdfDocument document(pdf.Build(PdfBuilder::Xref::SubsectionTable));
  EXPECT_FALSE(document.Repaired());
  EXPECT_EQ(Contents(document), ThreeContents);
  EXPECT_EQ(Trim(document.Object(10).Body()), "(after the gap)");
}

TEST(PdfDocumentTest, CrossReferenceStreamsOfEveryShape) {
  for (int offsetWidth : {2, 3, 4, 8})
    for (bool index : {false, true})
      for (bool predictor : {false, true}) {
        PdfBuilder::StreamOptions options;
        options.OffsetWidth = offsetWidth;
        options.WithIndex = index;
        options.PngPredictor = predictor;
        PdfDocument document(ThreePages().Build(PdfBuilder::Xref::Stream, options));
        EXPECT_FALSE(document.Repaired()) << offsetWidth << index << predictor;
        EXPECT_EQ(Contents(document), ThreeContents) << offsetWidth << index << predictor;
      }
}

TEST(PdfDocumentTest, ObjectsOfAnObjectStreamGiveTheirOwnText) {
  PdfBuilder pdf = ThreePages();
  // Catalog, page tree node and pages, packed together.
  pdf.PackIntoObjectStream({1, 2, 4, 6, 8});
  PdfDocument document(pdf.Build(PdfBuilder::Xref::Stream));
  EXPECT_EQ(Contents(document), ThreeContents);
  IndirectObject pages = document.Object(2);
  EXPECT_TRUE(pages.InObjectStream);
  EXPECT_EQ(GetKeyValue("/count", pages.Dictionary), "3");
  // The page's own keys, not those of the first object of the stream.
  EXPECT_EQ(GetKeyValue("/type", document.ObjectText(6)), "/Page");
  EXPECT_EQ(GetKeyValue("/type", document.ObjectText(1)), "/Catalog");
}

TEST(PdfDocumentTest, HybridFileTakesObjectStreamEntriesFromXrefStm) {
  // A classic table for the loose objects, and a cross-reference stream
  // (named by /XRefStm) for the packed ones.
  PdfBuilder pdf = ThreePages();
  pdf.PackIntoObjectStream({6});
  std::string streamFile = pdf.Build(PdfBuilder::Xref::Stream);
  size_t xrefObject = streamFile.rfind("obj", streamFile.find("/Type /XRef"));
  size_t xrefStart = streamFile.rfind('\n', xrefObject - 6) + 1;
  std::string head = streamFile.substr(0, streamFile.find("startxref"));
  // Classic table of the loose objects appended after the stream.
  std::string table = "xref\n0 1\n0000000000 65535 f \n";
  for (uint32_t n : {1u, 2u, 3u, 4u, 5u, 7u, 8u, 9u}) {
    size_t at = head.find("\n" + std::to_string(n) + " 0 obj");
    char line[32];
    std::snprintf(line, sizeof line, "%u 1\n%010zu 00000 n \n", n, at + 1);
    table += line;
  }
  std::string file = head;
  size_t tableOffset = file.size();
  file += table + "trailer\n<< /Size 12 /Root 1 0 R /XRefStm " + std::to_string(xrefStart) +
          " >>\nstartxref\n" + std::to_string(tableOffset) + "\n%%EOF\n";
  PdfDocument document(file);
  EXPECT_FALSE(document.Repaired());
  EXPECT_TRUE(document.Object(6).InObjectStream);
  EXPECT_EQ(Contents(document), ThreeContents);
}

// Incremental updates.

TEST(PdfDocumentTest, NewestSectionWinsForObjectsAndTrailerKeys) {
  PdfBuilder pdf = PdfBuilder::WithPages({"(old) Tj"}, "/Title (Old title)");
  std::string base = pdf.Build();
  // Object 3 is the content stream, 5 the Info dictionary.
  std::string updated = PdfBuilder::AppendUpdate(
      base, {{3, PdfBuilder::Stream("", "(new) Tj")}, {5, "<< /Title (New title) >>"}},
      "/Root 1 0 R");
  PdfDocument document(updated);
  EXPECT_FALSE(document.Repaired());
  EXPECT_EQ(Contents(document), std::vector<std::string>{"(new) Tj"});
  // The newest trailer lacks /Info: the older one fills the gap.
  ASSERT_TRUE(document.Info());
  EXPECT_EQ(document.Info()->Number, 5u);
  EXPECT_EQ(GetStringValue("/title", document.Object(5).Dictionary, true, false), "New title");
}

TEST(PdfDocumentTest, UpdateWithCrossReferenceStream) {
  std::string base = ThreePages().Build(PdfBuilder::Xref::Stream);
  std::string updated = PdfBuilder::AppendUpdate(
      base, {{5, PdfBuilder::Stream("", "(changed) Tj")}}, "/Root 1 0 R", PdfBuilder::Xref::Stream);
  PdfDocument document(updated);
  EXPECT_EQ(Contents(document),
            (std::vector<std::string>{"(one) Tj", "(changed) Tj", "(three) Tj"}));
}

TEST(PdfDocumentTest, PrevChainThatLoopsEnds) {
  std::string base = ThreePages().Build();
  size_t xref = base.rfind("startxref\n") + 10;
  std::string offset = base.substr(xref, base.find('\n', xref) - xref);
  // The section names itself as its predecessor.
  std::string file = base;
  file.replace(file.find("trailer\n<<") + 10, 0, " /Prev " + offset);
  PdfDocument document(file);
  EXPECT_EQ(Contents(document), ThreeContents);
}

// Object texts.

TEST(PdfDocumentTest, ObjectTextEndsAtEndobj) {
  PdfBuilder pdf = ThreePages();
  uint32_t last = pdf.Add("<< /Kind /Last >>");
  PdfDocument document(pdf.Build());
  std::string_view text = document.ObjectText(last);
  EXPECT_EQ(text.find("trailer"), std::string_view::npos);
  EXPECT_EQ(text.find("endobj"), std::string_view::npos);
  // The trailer's keys do not answer the last object's searches.
  EXPECT_EQ(GetKeyValue("/root", text), "");
  EXPECT_EQ(document.ObjectText(999), "");
}

TEST(PdfDocumentTest, StreamDataMayHoldEndobj) {
  PdfBuilder pdf = ThreePages();
  std::string data = "endobj endstream 9 0 obj";
  uint32_t stream = pdf.Add(PdfBuilder::Stream("/Kind /Odd", data));
  PdfDocument document(pdf.Build());
  EXPECT_EQ(document.StreamData(stream), data);
  EXPECT_EQ(GetKeyValue("/kind", document.ObjectText(stream)), "/Odd");
}

TEST(PdfDocumentTest, IndirectLengthAndWrongLength) {
  PdfBuilder pdf = ThreePages();
  uint32_t length = pdf.Add("11");
  uint32_t indirect =
      pdf.Add("<< /Length " + std::to_string(length) + " 0 R >>\nstream\nhello world\nendstream");
  uint32_t wrong = pdf.Add("<< /Length 999 >>\nstream\r\nshort\r\nendstream");
  uint32_t missing = pdf.Add("<< >>\nstream\nno length\nendstream");
  PdfDocument document(pdf.Build());
  EXPECT_EQ(document.StreamData(indirect), "hello world");
  EXPECT_EQ(document.StreamData(wrong), "short");
  EXPECT_EQ(document.StreamData(missing), "no length");
}

TEST(PdfDocumentTest, LineEndBeforeEndstreamFollowsTheLength) {
  PdfBuilder pdf = ThreePages();
  uint32_t excluded = pdf.Add("<< /Length 4 >>\nstream\r\nabcd\r\nendstream");
  uint32_t included = pdf.Add("<< /Length 6 >>\nstream\r\nabcd\r\nendstream");
  PdfDocument document(pdf.Build());
  EXPECT_EQ(document.StreamData(excluded), "abcd");
  EXPECT_EQ(document.StreamData(included), "abcd\r\n");
}

// Untrusted counts.

TEST(PdfDocumentTest, HugeCountsAllocateNothing) {
  // A table header that counts far more entries than follow.
  std::string table = ThreePages().Build();
  table.replace(table.find("xref\n0 9\n"), 9, "xref\n0 4000000000\n");
  PdfDocument fromTable(table);
  EXPECT_FALSE(fromTable.Repaired());
  EXPECT_EQ(Contents(fromTable), ThreeContents);
  // A cross-reference stream whose /Size and /Index claim billions.
  PdfBuilder::StreamOptions options;
  options.WithIndex = true;
  std::string stream = ThreePages().Build(PdfBuilder::Xref::Stream, options);
  stream.replace(stream.find("/Index [1 9 ]"), 13, "/Index [1 4000000000 7 9]");
  stream.replace(stream.find("/Size 10"), 8, "/Size 4000000000");
  PdfDocument fromStream(stream);
  EXPECT_EQ(Contents(fromStream), ThreeContents);
  EXPECT_LE(fromStream.Xref().Size(), 10u);
}

// Cross-reference data that repeat or overreach: each costs what its bytes
// do, once.

// The bytes the trailers of the table span together.
size_t TrailerBytes(const PdfDocument& document) {
  size_t bytes = 0;
  for (std::string_view trailer : document.Xref().Trailers())
    bytes += trailer.size();
  return bytes;
}

TEST(PdfDocumentTest, UnclosedTrailersEndAtTheNextKeyword) {
  // Repair: every "trailer" keyword's dictionary, none of them closed.
  std::string repaired = "%PDF-1.4\n1 0 obj\n<< /Type /Catalog >>\nendobj\n";
  for (int i = 0; i < 2000; ++i)
    repaired += "trailer\n<< /Root 1 0 R /Size 2 ";
  PdfDocument scanned(repaired);
  EXPECT_TRUE(scanned.Repaired());
  EXPECT_EQ(scanned.Xref().Trailers().size(), 2000u);
  // Unbounded, each ran to the end of the file: 2000 times half the file.
  EXPECT_LE(TrailerBytes(scanned), repaired.size());
  ASSERT_TRUE(scanned.Root().has_value());
  EXPECT_EQ(scanned.Root()->Number, 1u);

  // A /Prev chain of classic sections whose trailers are never closed.
  std::string base = ThreePages().Build();
  std::string chained = base.substr(0, base.rfind("startxref"));
  size_t previous = base.find("xref\n");
  for (int i = 0; i < 500; ++i) {
    const size_t at = chained.size();
    chained += "xref\n0 0\ntrailer\n<< /Root 1 0 R /Prev " + std::to_string(previous) + " ";
    previous = at;
  }
  chained += "\nstartxref\n" + std::to_string(previous) + "\n%%EOF\n";
  PdfDocument sections(chained);
  EXPECT_FALSE(sections.Repaired());
  EXPECT_EQ(Contents(sections), ThreeContents);
  EXPECT_EQ(sections.Xref().Trailers().size(), 501u);
  EXPECT_LE(TrailerBytes(sections), chained.size());
}

TEST(PdfDocumentTest, ACrossReferenceStreamNamedAgainIsReadOnce) {
  // A hybrid file whose 300 sections all name one large /XRefStm.
  PdfBuilder pdf = ThreePages();
  for (int i = 0; i < 2000; ++i)
    pdf.Add("<< /Filler " + std::to_string(i) + " >>");
  pdf.PackIntoObjectStream({6});
  const std::string streamFile = pdf.Build(PdfBuilder::Xref::Stream);
  const size_t xrefObject = streamFile.rfind("obj", streamFile.find("/Type /XRef"));
  const size_t xrefStart = streamFile.rfind('\n', xrefObject - 6) + 1;
  std::string file = streamFile.substr(0, streamFile.find("startxref"));
  size_t previous = xrefStart;
  for (int i = 0; i < 300; ++i) {
    const size_t at = file.size();
    file += "xref\n0 0\ntrailer\n<< /Root 1 0 R /XRefStm " + std::to_string(xrefStart) + " /Prev " +
            std::to_string(previous) + " >>\n";
    previous = at;
  }
  file += "startxref\n" + std::to_string(previous) + "\n%%EOF\n";
  PdfDocument document(file);
  EXPECT_FALSE(document.Repaired());
  EXPECT_EQ(Contents(document), ThreeContents);
  // Read for each section, the stream cost 300 times its size.
  EXPECT_LT(document.Budget().WorkSpent(), 3 * file.size());
}

TEST(PdfDocumentTest, CrossReferenceEntriesAreBoundedByTheFile) {
  // A cross-reference stream of a few kilobytes that decodes to two
  // million one-byte entries, each an object at offset 9.
  std::string base = ThreePages().Build();
  std::string file = base.substr(0, base.rfind("startxref"));
  const size_t at = file.size();
  file += "99 0 obj\n" +
          PdfBuilder::Stream("/Type /XRef /W [0 1 0] /Size 2000000 /Root 1 0 R /Prev " +
                                 std::to_string(base.find("xref\n")) + " /Filter /FlateDecode",
                             PdfBuilder::Zlib(std::string(2000000, '\x09'))) +
          "\nendobj\nstartxref\n" + std::to_string(at) + "\n%%EOF\n";
  PdfDocument document(file);
  EXPECT_LE(document.Xref().Size(), file.size() + 65536);
  EXPECT_GT(document.Budget().MemorySpent(), 0u);
}

// Damage.

TEST(PdfDocumentTest, MissingStartxrefIsRepairedByScanning) {
  std::string file = ThreePages().Build();
  file.erase(file.find("startxref"));
  PdfDocument document(file);
  EXPECT_TRUE(document.Repaired());
  EXPECT_EQ(Contents(document), ThreeContents);
}

TEST(PdfDocumentTest, WrongOffsetIsRepairedForItsObject) {
  std::string file = ThreePages().Build();
  // The table's entry of object 4 (a page) points at object 3.
  size_t lines = file.find('\n', file.find("xref\n0 ") + 5) + 1;
  file.replace(lines + 4 * 20, 20, file.substr(lines + 3 * 20, 20));
  PdfDocument document(file);
  EXPECT_FALSE(document.Repaired());
  EXPECT_EQ(Contents(document), ThreeContents);
}

TEST(PdfDocumentTest, OffsetsCountedFromPastTheHeaderAreRepaired) {
  // A writer whose every offset (of objects and sections) is 4 too far.
  std::string file = ThreePages().Build();
  size_t lines = file.find('\n', file.find("xref\n0 ") + 5) + 1;
  for (size_t line = lines + 20; file.compare(line, 7, "trailer") != 0; line += 20) {
    uint64_t offset = std::stoull(file.substr(line, 10)) + 4;
    char digits[16];
    std::snprintf(digits, sizeof digits, "%010llu", static_cast<unsigned long long>(offset));
    file.replace(line, 10, digits);
  }
  size_t startxref = file.rfind("startxref\n") + 10;
  size_t end = file.find('\n', startxref);
  file.replace(startxref, end - startxref,
               std::to_string(std::stoull(file.substr(startxref, end - startxref)) + 4));
  PdfDocument document(file);
  EXPECT_FALSE(document.Repaired());
  EXPECT_EQ(Contents(document), ThreeContents);
}

TEST(PdfDocumentTest, ShiftedFileIsRepairedByScanning) {
  std::string file = ThreePages().Build();
  // Shift every object by inserting bytes after the header.
  file.insert(file.find("1 0 obj"), "% a comment that moves everything\n");
  PdfDocument document(file);
  EXPECT_EQ(Contents(document), ThreeContents);
}

TEST(PdfDocumentTest, TruncatedFileGivesItsReadablePages) {
  std::string file = ThreePages().Build();
  file.resize(file.find("xref"));
  PdfDocument document(file);
  EXPECT_EQ(Contents(document), ThreeContents);
}

TEST(PdfDocumentTest, NoCatalogAnywhereGivesNoPages) {
  PdfDocument document("%PDF-1.4\n1 0 obj << /A 1 >> endobj\n");
  EXPECT_FALSE(document.Root());
  EXPECT_EQ(CountPages(document), 0u);
}

TEST(PdfDocumentTest, BadXrefStreamWidthsRaiseTheirMessage) {
  std::string file = ThreePages().Build(PdfBuilder::Xref::Stream);
  file.replace(file.find("/W [1 "), 6, "/W [2 ");
  // Without a readable table nor catalog found by the scan, the message stands.
  std::string noCatalog = file;
  noCatalog.replace(noCatalog.find("/Type /Catalog"), 14, "/Type /Katalog");
  EXPECT_EQ(MessageOf([&] { PdfDocument document(noCatalog); }),
            "First parameter in /W tag for /TYPE/XREF section is not valid");
  // With a catalog the scan recovers the pages.
  PdfDocument document(file);
  EXPECT_TRUE(document.Repaired());
  EXPECT_EQ(Contents(document), ThreeContents);
}

TEST(PdfDocumentTest, XrefStreamOfPartialEntriesRaisesItsMessage) {
  PdfBuilder pdf = ThreePages();
  std::string file = pdf.Build(PdfBuilder::Xref::Stream);
  file.replace(file.find("/W [1 4 2]"), 10, "/W [1 4 3]");
  file.replace(file.find("/Type /Catalog"), 14, "/Type /Katalog");
  EXPECT_EQ(MessageOf([&] { PdfDocument document(file); }),
            "Content of stream for /TYPE/XREF section have incorrect length");
}

TEST(PdfDocumentTest, ObjectStreamsThatNeedThemselvesEnd) {
  PdfBuilder pdf = ThreePages();
  pdf.PackIntoObjectStream({2});
  std::string file = pdf.Build(PdfBuilder::Xref::Stream);
  // The object stream's length refers to an object inside itself.
  size_t objstm = file.find("/Type /ObjStm");
  size_t length = file.find("/Length ", objstm);
  size_t end = file.find(" >>", length);
  file.replace(length, end - length, "/Length 2 0 R");
  PdfDocument document(file);
  // The stream is then found by its "endstream".
  EXPECT_EQ(CountPages(document), 3u);
}

TEST(PdfDocumentTest, DecodingBudgetStopsRepeatedWork) {
  PdfBuilder pdf;
  uint32_t catalog = pdf.Reserve();
  uint32_t pages = pdf.Reserve();
  uint32_t stream = pdf.Add(
      PdfBuilder::Stream("/Filter /FlateDecode", PdfBuilder::Zlib(std::string(100000, ' '))));
  std::string kids;
  for (int i = 0; i < 50; ++i)
    kids +=
        std::to_string(pdf.Add("<< /Type /Page /Contents " + std::to_string(stream) + " 0 R >>")) +
        " 0 R ";
  pdf.Put(catalog, "<< /Type /Catalog /Pages " + std::to_string(pages) + " 0 R >>");
  pdf.Put(pages, "<< /Type /Pages /Kids [" + kids + "] >>");
  pdf.Trailer = "/Root 1 0 R";
  PdfDocument::Limits limits;
  limits.DocumentBudget = 1000000;
  PdfDocument document(pdf.Build(), limits);
  EXPECT_EQ(MessageOf([&] { WalkPages(document, [](PdfPage&) {}); }),
            "PDF-document exceeds the decoding limit of 1000000 bytes");
}

// Encryption seam.

class XorDecryptor : public ObjectDecryptor {
public:
  std::string DecryptString(std::string_view bytes, uint32_t number, uint16_t) const override {
    return Xor(bytes, number);
  }
  std::string DecryptStream(std::string_view bytes, uint32_t number, uint16_t) const override {
    return Xor(bytes, number);
  }
  static std::string Xor(std::string_view bytes, uint32_t number) {
    std::string out(bytes);
    for (char& c : out)
      c = static_cast<char>(c ^ (0x20 + number));
    return out;
  }
};

TEST(PdfDocumentTest, EncryptedDocumentNeedsADecryptor) {
  PdfBuilder pdf;
  pdf.Put(1, "<< /Type /Catalog /Pages 2 0 R >>");
  pdf.Put(2, "<< /Type /Pages /Kids [4 0 R] /Count 1 >>");
  pdf.Put(3, PdfBuilder::Stream("", XorDecryptor::Xor("(secret) Tj", 3)));
  pdf.Put(4, "<< /Type /Page /Contents 3 0 R >>");
  pdf.Put(5, "<< /Filter /Standard /V 2 /R 3 >>");
  pdf.Put(
      6, "<< /Title <" + [] {
        std::string hex;
        for (unsigned char c : XorDecryptor::Xor("Hidden", 6)) {
          char two[3];
          std::snprintf(two, sizeof two, "%02X", c);
          hex += two;
        }
        return hex;
      }() + "> >>");
  pdf.Trailer = "/Root 1 0 R /Info 6 0 R /Encrypt 5 0 R /ID [<0A0B0C> <0D0E>]";
  PdfDocument document(pdf.Build());
  EXPECT_TRUE(document.IsEncrypted());
  EXPECT_EQ(document.EncryptDictionary(), " /Filter /Standard /V 2 /R 3 ");
  EXPECT_EQ(document.FirstId(), "\x0A\x0B\x0C");
  EXPECT_EQ(MessageOf([&] { Contents(document); }), "Could not read the password protected file");
  document.SetDecryptor(std::make_unique<XorDecryptor>());
  EXPECT_EQ(Contents(document), std::vector<std::string>{"(secret) Tj"});
  EXPECT_EQ(ReadDocumentInfo(document).Title, u"Hidden");
}

class IdentityDecryptor : public ObjectDecryptor {
public:
  std::string DecryptString(std::string_view bytes, uint32_t, uint16_t) const override {
    return std::string(bytes);
  }
  std::string DecryptStream(std::string_view bytes, uint32_t, uint16_t) const override {
    return std::string(bytes);
  }
};

TEST(PdfDocumentTest, EncryptedObjectStreamsReadOnceADecryptorIsSet) {
  PdfBuilder pdf = ThreePages();
  pdf.PackIntoObjectStream({1, 2, 4, 6, 8});
  uint32_t encrypt = pdf.Add("<< /Filter /Standard /V 4 /R 4 >>");
  pdf.Trailer += " /Encrypt " + std::to_string(encrypt) + " 0 R";
  PdfDocument document(pdf.Build(PdfBuilder::Xref::Stream));
  ASSERT_TRUE(document.Root());
  EXPECT_EQ(MessageOf([&] { Contents(document); }), "Could not read the password protected file");
  document.SetDecryptor(std::make_unique<IdentityDecryptor>());
  EXPECT_EQ(Contents(document), ThreeContents);
}

} // namespace
} // namespace scrivlet::pdf
