// PDF inputs that made the page-text code do the same work again and again:
// forms that show forms many times over, and resources, content streams and
// font programs that many pages or fonts share, filter chains whose work
// the decoded bytes did not show.  Each now costs work that
// grows with the file (or stops at a limit that the message names).
#include "core/Exception.h"
#include "core/Limits.h"
#include "core/Stream.h"
#include "pdf/PageTree.h"
#include "pdf/PdfDocument.h"
#include "readers/pdf/PdfReader.h"
#include "support/PdfBuilder.h"
#include "support/ReaderHarness.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

namespace scrivlet {
namespace {

using test::PdfBuilder;

struct Outcome {
  std::string message; // empty when the document converted
  std::u16string text;
  double seconds = 0;
};

Outcome Convert(const std::string& bytes) {
  Outcome outcome;
  test::ReaderHarness<PdfReader> reader;
  MemoryStream stream(bytes);
  auto start = std::chrono::steady_clock::now();
  try {
    reader.LoadFromStream(stream);
    outcome.text = reader.Lines().GetTextW();
  } catch (const Exception& error) {
    outcome.message = error.Message();
  }
  outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return outcome;
}

std::string Ref(uint32_t number) {
  return std::to_string(number) + " 0 R";
}

// A page that shows form 1 of `depth` forms; each form shows the next one
// `fanOut` times, and the last one shows `leafContent`.  With `spread`,
// each showing stands beside the one before (6 units for the innermost
// forms) instead of over it, where a reader would read it once.
std::string NestedForms(int fanOut, int depth, const std::string& leafContent,
                        bool spread = false) {
  PdfBuilder pdf;
  uint32_t catalog = pdf.Reserve();
  uint32_t pages = pdf.Reserve();
  uint32_t font = pdf.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
  std::vector<uint32_t> forms;
  for (int i = 0; i < depth; ++i)
    forms.push_back(pdf.Reserve());
  for (int i = 0; i < depth; ++i) {
    std::string content, resources;
    if (i + 1 < depth) {
      double shift = 6;
      for (int level = i + 2; level < depth; ++level)
        shift *= fanOut;
      for (int k = 0; k < fanOut; ++k)
        content += spread ? "/X Do 1 0 0 1 " + std::to_string(shift) + " 0 cm\n" : "/X Do\n";
      resources = "<< /XObject << /X " + Ref(forms[i + 1]) + " >> >>";
    } else {
      content = leafContent;
      resources = "<< /Font << /F1 " + Ref(font) + " >> >>";
    }
    pdf.Put(forms[i], PdfBuilder::Stream("/Type /XObject /Subtype /Form /BBox [0 0 9 9] "
                                         "/Resources " +
                                             resources,
                                         content));
  }
  uint32_t contents = pdf.Add(PdfBuilder::Stream("", "/X Do"));
  uint32_t page =
      pdf.Add("<< /Type /Page /Parent " + Ref(pages) + " /Resources << /XObject << /X " +
              Ref(forms[0]) + " >> >> /Contents " + Ref(contents) + " >>");
  pdf.Put(pages, "<< /Type /Pages /Kids [" + Ref(page) + "] /Count 1 >>");
  pdf.Put(catalog, "<< /Type /Catalog /Pages " + Ref(pages) + " >>");
  pdf.Trailer = "/Root " + Ref(catalog);
  return pdf.Build();
}

TEST(PdfNestedFormFanOut, FormsShownSeveralTimesGiveTheirTextEachTime) {
  Outcome outcome = Convert(NestedForms(3, 3, "BT /F1 10 Tf 0 0 Td (x) Tj ET", true));
  ASSERT_EQ(outcome.message, "");
  EXPECT_NE(outcome.text.find(u"xxxxxxxxx"), std::u16string::npos);
  EXPECT_EQ(outcome.text.find(u"xxxxxxxxxx"), std::u16string::npos);
}

TEST(PdfNestedFormFanOut, StopsAtTheDecodedBytesLimit) {
  // Nine forms, each showing the next ten times: 100 million runs of the
  // last one from a file of 2 KB; they ran for minutes (with a text leaf,
  // until memory ran out).
  Outcome outcome = Convert(NestedForms(10, 9, " "));
  EXPECT_EQ(outcome.message, "The document exceeds the limit of " +
                                 std::to_string(Limits{}.decodedBytesPerDocument) +
                                 " decoded bytes per document");
  // The message shows the budget at work; the time (about a second, ten
  // under the sanitizers) only guards against a hang.
  EXPECT_LT(outcome.seconds, 60);
}

// The budget of form runs is the reader's decoded-bytes limit, so a limit
// set on the reader (raised on the command line, or lowered) holds for it.
TEST(PdfNestedFormFanOut, TheBudgetIsTheReadersLimit) {
  Limits limits;
  limits.decodedBytesPerDocument = 1 << 20;
  test::ReaderHarness<PdfReader> reader;
  reader.SetResourceLimits(limits);
  MemoryStream stream(NestedForms(10, 9, " "));
  std::string message;
  try {
    reader.LoadFromStream(stream);
  } catch (const Exception& error) {
    message = error.Message();
  }
  EXPECT_EQ(message, "The document exceeds the limit of 1048576 decoded bytes per document");
}

// `pages` pages that share one resources object naming `pages` fonts (all
// one font object); page i shows "page i" in font F(pages - 1 - i).
std::string PagesSharingResources(int pages) {
  PdfBuilder pdf;
  uint32_t catalog = pdf.Reserve();
  uint32_t tree = pdf.Reserve();
  uint32_t font = pdf.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
  std::string fonts;
  for (int i = 0; i < pages; ++i)
    fonts += "/F" + std::to_string(i) + " " + Ref(font) + " ";
  uint32_t resources = pdf.Add("<< /Font << " + fonts + ">> >>");
  std::string kids;
  for (int i = 0; i < pages; ++i) {
    uint32_t contents =
        pdf.Add(PdfBuilder::Stream("", "BT /F" + std::to_string(pages - 1 - i) + " 10 Tf (page " +
                                           std::to_string(i) + ") Tj ET"));
    kids += Ref(pdf.Add("<< /Type /Page /Parent " + Ref(tree) + " /Resources " + Ref(resources) +
                        " /Contents " + Ref(contents) + " >>")) +
            " ";
  }
  pdf.Put(tree, "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " >>");
  pdf.Put(catalog, "<< /Type /Catalog /Pages " + Ref(tree) + " >>");
  pdf.Trailer = "/Root " + Ref(catalog);
  return pdf.Build();
}

TEST(PdfSharedResources, ManyPagesAndFontsTakeTimeOfTheFile) {
  // 16,000 pages of a 4 MB file: each page read the shared resources object
  // and scanned its 16,000 fonts again, 22 seconds in all.
  Outcome outcome = Convert(PagesSharingResources(16000));
  ASSERT_EQ(outcome.message, "");
  EXPECT_NE(outcome.text.find(u"page 0"), std::u16string::npos);
  EXPECT_NE(outcome.text.find(u"page 15999"), std::u16string::npos);
  EXPECT_LT(outcome.seconds, 10); // 0.15 s, 3 s under the sanitizers; unbounded, 22 s
}

// `pages` pages that all show one content stream: `spaces` bytes of white
// space under ASCIIHexDecode, which decode to nothing.
std::string PagesSharingBlankContent(int pages, int spaces) {
  PdfBuilder pdf;
  uint32_t catalog = pdf.Reserve();
  uint32_t tree = pdf.Reserve();
  uint32_t contents =
      pdf.Add(PdfBuilder::Stream("/Filter /ASCIIHexDecode", std::string(spaces, ' ') + ">"));
  std::string kids;
  for (int i = 0; i < pages; ++i)
    kids += Ref(pdf.Add("<< /Type /Page /Parent " + Ref(tree) + " /Contents " + Ref(contents) +
                        " >>")) +
            " ";
  pdf.Put(tree, "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " >>");
  pdf.Put(catalog, "<< /Type /Catalog /Pages " + Ref(tree) + " >>");
  pdf.Trailer = "/Root " + Ref(catalog);
  return pdf.Build();
}

TEST(PdfSharedContent, AStreamThatDecodesToNothingSpendsTheBudgetOnEachReading) {
  // 100,000 pages share 100 KB that decode to nothing: a 6 MB file whose
  // 10 GB of decoding the budget of decoded bytes never saw.
  // Reaching the limit shows that the readings were counted (uncounted, the
  // document converts after 10 GB of work); the limit itself is 1 GiB of
  // scanning, a second here and some ten under the sanitizers, so the time
  // bound only guards against a hang.  The document's work budget (64
  // times its size and a floor) ends it before the decoding limit does.
  Outcome outcome = Convert(PagesSharingBlankContent(100000, 100000));
  EXPECT_TRUE(outcome.message.starts_with("The document exceeds the limit of ") &&
              outcome.message.ends_with(" units of work"))
      << outcome.message;
  EXPECT_LT(outcome.seconds, 60);
}

TEST(PdfSharedContent, FewReadingsStillConvert) {
  Outcome outcome = Convert(PagesSharingBlankContent(100, 100000));
  EXPECT_EQ(outcome.message, "");
}

TEST(PdfLongTrailer, IsSearchedForEncryptionOnce) {
  // 8,000 pages and a trailer of 2.4 MB: every stream read searched the
  // trailer for /Encrypt again, 40 seconds in all.
  std::vector<std::string> contents;
  for (int i = 0; i < 8000; ++i)
    contents.push_back("BT (page " + std::to_string(i) + ") Tj ET");
  PdfBuilder pdf = PdfBuilder::WithPages(contents);
  for (int i = 0; i < 800000; ++i)
    pdf.Trailer += " /A";
  Outcome outcome = Convert(pdf.Build());
  ASSERT_EQ(outcome.message, "");
  EXPECT_NE(outcome.text.find(u"page 7999"), std::u16string::npos);
  EXPECT_LT(outcome.seconds, 15); // 0.1 s, 2.5 s under the sanitizers; unbounded, 43 s
}

// `pages` pages that the page tree does not reach, whose common parent is
// a large node with the resources: a font that shows code "a" as "z".
std::string OrphanPagesOfALargeParent(int pages) {
  PdfBuilder pdf;
  uint32_t catalog = pdf.Reserve();
  uint32_t parent = pdf.Reserve();
  uint32_t font = pdf.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding "
                          "<< /Differences [97 /z] >> >>");
  std::string junk;
  for (int i = 0; i < pages * 50; ++i)
    junk += "1 ";
  pdf.Put(parent, "<< /Type /Pages /Kids [] /Junk [" + junk + "] /Resources << /Font << /F1 " +
                      Ref(font) + " >> >> >>");
  for (int i = 0; i < pages; ++i) {
    uint32_t contents =
        pdf.Add(PdfBuilder::Stream("", "BT /F1 10 Tf (a page " + std::to_string(i) + ") Tj ET"));
    pdf.Add("<< /Type /Page /Parent " + Ref(parent) + " /Contents " + Ref(contents) + " >>");
  }
  pdf.Put(catalog, "<< /Type /Catalog /Pages 999999 0 R >>");
  pdf.Trailer = "/Root " + Ref(catalog);
  return pdf.Build();
}

TEST(PdfOrphanPages, ReadTheirCommonParentOnce) {
  // 6,000 orphan pages under a 600 KB parent: the parent's dictionary was
  // read again for each page, 16 seconds in all.
  Outcome outcome = Convert(OrphanPagesOfALargeParent(6000));
  ASSERT_EQ(outcome.message, "");
  EXPECT_NE(outcome.text.find(u"z pzge 0"), std::u16string::npos);
  EXPECT_NE(outcome.text.find(u"z pzge 5999"), std::u16string::npos);
  EXPECT_LT(outcome.seconds, 8); // 0.07 s, 1.4 s under the sanitizers; unbounded, 16 s
}

TEST(PdfSharedContent, FilterOutputThatALaterFilterDropsSpendsTheBudget) {
  // FlateDecode writes 4 MB of white space that ASCIIHexDecode then drops:
  // 50 pages showing it inflated 200 MB while the budget counted 4 KB.
  PdfBuilder pdf;
  uint32_t catalog = pdf.Reserve();
  uint32_t tree = pdf.Reserve();
  uint32_t contents = pdf.Add(PdfBuilder::Stream("/Filter [/FlateDecode /ASCIIHexDecode]",
                                                 PdfBuilder::Zlib(std::string(4 << 20, ' '))));
  std::string kids;
  for (int i = 0; i < 50; ++i)
    kids += Ref(pdf.Add("<< /Type /Page /Parent " + Ref(tree) + " /Contents " + Ref(contents) +
                        " >>")) +
            " ";
  pdf.Put(tree, "<< /Type /Pages /Kids [" + kids + "] /Count 50 >>");
  pdf.Put(catalog, "<< /Type /Catalog /Pages " + Ref(tree) + " >>");
  pdf.Trailer = "/Root " + Ref(catalog);
  pdf::PdfDocument::Limits limits;
  limits.DocumentBudget = 10000000;
  pdf::PdfDocument document(pdf.Build(), limits);
  int pagesRead = 0;
  std::string message;
  try {
    pdf::WalkPages(document, [&](pdf::PdfPage&) { ++pagesRead; });
  } catch (const Exception& error) {
    message = error.Message();
  }
  EXPECT_NE(message.find("exceeds the decoding limit"), std::string::npos) << message;
  EXPECT_EQ(pagesRead, 2);
}

// One page showing a letter in each of `count` fonts whose dictionaries
// `makeFont` writes.
std::string PageWithFonts(PdfBuilder& pdf, int count, const std::function<std::string()>& makeFont,
                          const std::string& shown) {
  uint32_t catalog = pdf.Reserve();
  uint32_t tree = pdf.Reserve();
  std::string fonts, content = "BT";
  for (int i = 0; i < count; ++i) {
    uint32_t font = pdf.Add(makeFont());
    fonts += "/F" + std::to_string(i) + " " + Ref(font) + " ";
    content += " /F" + std::to_string(i) + " 10 Tf " + shown + " Tj";
  }
  uint32_t contents = pdf.Add(PdfBuilder::Stream("", content + " ET"));
  uint32_t page = pdf.Add("<< /Type /Page /Parent " + Ref(tree) + " /Resources << /Font << " +
                          fonts + ">> >> /Contents " + Ref(contents) + " >>");
  pdf.Put(tree, "<< /Type /Pages /Kids [" + Ref(page) + "] /Count 1 >>");
  pdf.Put(catalog, "<< /Type /Catalog /Pages " + Ref(tree) + " >>");
  pdf.Trailer = "/Root " + Ref(catalog);
  return pdf.Build();
}

TEST(PdfSharedWidths, EachFontReadsOnlyTheWidthsOfItsCodes) {
  // 2,000 fonts share one /Widths array of 40,000 numbers (and one page shows
  // a letter in each): every font read the whole array, 10 seconds.
  PdfBuilder pdf;
  std::string numbers;
  for (int i = 0; i < 40000; ++i)
    numbers += "500 ";
  uint32_t widths = pdf.Add("[" + numbers + "]");
  std::string bytes = PageWithFonts(
      pdf, 2000,
      [&] {
        return "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /FirstChar 32 /Widths " +
               Ref(widths) + " >>";
      },
      "(a)");
  Outcome outcome = Convert(bytes);
  ASSERT_EQ(outcome.message, "");
  // Each letter starts where the one before ended: one word of 2,000.
  EXPECT_NE(outcome.text.find(std::u16string(2000, u'a')), std::u16string::npos);
  EXPECT_LT(outcome.seconds, 3);
}

TEST(PdfSharedFontArrays, ADifferencesArrayIsParsedOncePerDocument) {
  // 2,000 fonts share one /Differences array of 40,000 names: each font
  // parsed the whole array, 7 seconds.
  PdfBuilder pdf;
  std::string names = "65 /B";
  for (int i = 0; i < 20000; ++i)
    names += " 300 /x";
  uint32_t differences = pdf.Add("[" + names + "]");
  std::string bytes = PageWithFonts(
      pdf, 2000,
      [&] {
        return "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding << /BaseEncoding "
               "/WinAnsiEncoding /Differences " +
               Ref(differences) + " >> >>";
      },
      "(A)");
  Outcome outcome = Convert(bytes);
  ASSERT_EQ(outcome.message, "");
  EXPECT_NE(outcome.text.find(std::u16string(2000, u'B')), std::u16string::npos);
  EXPECT_LT(outcome.seconds, 3);
}

TEST(PdfSharedFontArrays, ACidWidthArrayIsParsedOncePerDocument) {
  // 2,000 composite fonts share one /W array of 60,000 ranges: each font
  // parsed and kept its own table, 6 seconds and 2 GB.
  PdfBuilder pdf;
  std::string ranges = "1 [500]";
  for (int i = 0; i < 60000; ++i)
    ranges += " 2 3 500";
  uint32_t widths = pdf.Add("[" + ranges + "]");
  uint32_t toUnicode = pdf.Add(PdfBuilder::Stream("", "1 beginbfchar <0001> <0061> endbfchar"));
  std::string bytes = PageWithFonts(
      pdf, 2000,
      [&] {
        return "<< /Type /Font /Subtype /Type0 /BaseFont /F /Encoding /Identity-H /ToUnicode " +
               Ref(toUnicode) +
               " /DescendantFonts [<< /Type /Font /Subtype /CIDFontType2 /DW 2000 /W " +
               Ref(widths) + " >>] >>";
      },
      "<0001>");
  Outcome outcome = Convert(bytes);
  ASSERT_EQ(outcome.message, "");
  // Half an em each (from /W, not /DW): the letters make one word.
  EXPECT_NE(outcome.text.find(std::u16string(2000, u'a')), std::u16string::npos);
  EXPECT_LT(outcome.seconds, 3);
}

// One page (or `pages` pages) whose /Contents name the given streams.
std::string PagesShowing(const std::vector<std::string>& streams, int pages = 1) {
  PdfBuilder pdf;
  uint32_t catalog = pdf.Reserve();
  uint32_t tree = pdf.Reserve();
  uint32_t font = pdf.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
  std::string contents;
  for (const std::string& stream : streams)
    contents += Ref(pdf.Add(stream)) + " ";
  std::string kids;
  for (int i = 0; i < pages; ++i)
    kids += Ref(pdf.Add("<< /Type /Page /Parent " + Ref(tree) + " /Resources << /Font << /F1 " +
                        Ref(font) + " >> >> /Contents [" + contents + "] >>")) +
            " ";
  pdf.Put(tree, "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " >>");
  pdf.Put(catalog, "<< /Type /Catalog /Pages " + Ref(tree) + " >>");
  pdf.Trailer = "/Root " + Ref(catalog);
  return pdf.Build();
}

std::string Repeated(const std::string& part, size_t times) {
  std::string whole;
  whole.reserve(part.size() * times);
  for (size_t i = 0; i < times; ++i)
    whole += part;
  return whole;
}

TEST(PdfSharedContent, EveryPageShowingAStreamPaysForItsDecodedSize) {
  // 1,100 pages of a 146 KB file showed one stream that decodes to
  // megabytes: each showing spent only its compressed size, and the file
  // ran for minutes.  The stream is now decoded twice at most (then kept),
  // and every showing spends what it decodes to.
  const std::string content = Repeated("BT /F1 10 Tf 0 0 Td (word) Tj ET\n", 20000);
  const std::string file =
      PagesShowing({PdfBuilder::Stream("/Filter /FlateDecode", PdfBuilder::Zlib(content))}, 50);
  pdf::PdfDocument document(file);
  int pages = 0;
  pdf::WalkPages(document, [&](pdf::PdfPage& page) {
    ++pages;
    EXPECT_EQ(page.Contents, content);
  });
  EXPECT_EQ(pages, 50);
  EXPECT_GE(document.Budget().WorkSpent(), 50 * content.size());
  // Kept once: the records budget holds the stream's size, not more.
  EXPECT_GE(document.Budget().MemorySpent(), content.size());
  EXPECT_LT(document.Budget().MemorySpent(), 2 * content.size());
}

// Streams that decode to more than the work a small file may cost stop as
// their output reaches it, before the memory is spent: a content stream
// of 255 M operators (649 KB), one of LZW that decodes to the limit of a
// stream (233 KB), four of 255 MB each (1 MB).
TEST(PdfSharedContent, TheOutputLimitEndsTheReadingOfPages) {
  // The text of every page was laid out before any of it was counted
  // against the output limit: a thousand pages of a dense shared stream
  // took seconds each, to fail at the end.  Here 200 pages of 10,000
  // characters each under a limit of 50,000.
  std::string content;
  for (int line = 0; line < 2000; ++line)
    content += "BT /F1 10 Tf 0 " + std::to_string(12 * line) + " Td (wordy) Tj ET\n";
  Limits limits;
  limits.outputCharacters = 50000;
  test::ReaderHarness<PdfReader> reader;
  reader.SetResourceLimits(limits);
  MemoryStream stream(
      PagesShowing({PdfBuilder::Stream("/Filter /FlateDecode", PdfBuilder::Zlib(content))}, 200));
  std::string message;
  try {
    reader.LoadFromStream(stream);
  } catch (const Exception& error) {
    message = error.Message();
  }
  EXPECT_EQ(message, "The document exceeds the limit of 50000 output characters");
  EXPECT_EQ(reader.Inner().PageCount(), 6u);
}

TEST(PdfDecodingWork, StopsAtTheWorkLeftWhileDecoding) {
  const std::string operators = Repeated("q Q ", 512 << 10); // 2 MB
  const std::vector<std::string> streams{
      PdfBuilder::Stream("/Filter /FlateDecode", PdfBuilder::Zlib(operators)),
      PdfBuilder::Stream("/Filter /LZWDecode", PdfBuilder::Lzw(operators)),
  };
  for (const std::string& stream : streams) {
    pdf::PdfDocument::Limits limits;
    limits.WorkPerInputByte = 1;
    limits.WorkFloor = 256 << 10;
    pdf::PdfDocument document(PagesShowing({stream}), limits);
    std::string message;
    try {
      pdf::WalkPages(document, [](pdf::PdfPage&) {});
    } catch (const Exception& error) {
      message = error.Message();
    }
    EXPECT_TRUE(message.starts_with("The document exceeds the limit of ") &&
                message.ends_with(" units of work"))
        << message;
    EXPECT_LE(document.Budget().WorkSpent(), document.Budget().WorkLimit());
  }
}

TEST(PdfDecodingWork, APagesStreamsJoinedKeepToTheLimitOfOneStream) {
  const std::string part = PdfBuilder::Stream(
      "/Filter /FlateDecode", PdfBuilder::Zlib("BT (" + std::string(700000, 'a') + ") Tj ET"));
  pdf::PdfDocument::Limits limits;
  limits.StreamCap = 1 << 20;
  pdf::PdfDocument document(PagesShowing({part, part}), limits);
  std::string message;
  try {
    pdf::WalkPages(document, [](pdf::PdfPage&) {});
  } catch (const Exception& error) {
    message = error.Message();
  }
  EXPECT_EQ(message, "PDF stream exceeds the decoding limit of 1048576 bytes");
}

TEST(PdfXrefStream, NoMoreEntriesAreDecodedThanTheFileCanHold) {
  // A cross-reference stream of a few hundred kilobytes announced and
  // decoded to 255 million free entries, read one by one.  No more are
  // decoded than the table may hold (the file's size and 65,536): here 4
  // million under a limit of 1 MB per stream, which decoding them all
  // passed (and the file was then repaired).
  PdfBuilder pdf;
  pdf.Put(1, "<< /Type /Catalog /Pages 2 0 R >>");
  pdf.Put(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  pdf.Put(3, "<< /Type /Page /Parent 2 0 R /Contents 4 0 R >>");
  pdf.Put(4, PdfBuilder::Stream("", "BT (listed) Tj ET"));
  pdf.Trailer = "/Root 1 0 R";
  std::string file = pdf.Build();
  const size_t entries = 4 << 20;
  const size_t start = file.size();
  const size_t table = file.find("\nxref\n") + 1;
  file += "9 0 obj\n" +
          PdfBuilder::Stream("/Type /XRef /W [0 1 0] /Size " + std::to_string(entries) +
                                 " /Root 1 0 R /Prev " + std::to_string(table) +
                                 " /Filter /FlateDecode",
                             PdfBuilder::Zlib(std::string(entries, '\0'))) +
          "\nendobj\nstartxref\n" + std::to_string(start) + "\n%%EOF\n";
  pdf::PdfDocument::Limits limits;
  limits.StreamCap = 1 << 20;
  pdf::PdfDocument document(file, limits);
  EXPECT_FALSE(document.Repaired());
  std::vector<std::string> contents;
  pdf::WalkPages(document, [&](pdf::PdfPage& page) { contents.push_back(page.Contents); });
  EXPECT_EQ(contents, std::vector<std::string>{"BT (listed) Tj ET"});
}

TEST(PdfGlyphByGlyph, APageOfManyGlyphsConvertsWithinTheRecordsBudget) {
  // A page of ten million one-letter strings (88 KB) was refused by the
  // records budget: a record per glyph.  Strings shown one right after the
  // other are one record.  Here 300,000 of them under a budget of 4 MB.
  const std::string content = "BT /F1 10 Tf 0 0 Td\n" + Repeated("(a) Tj\n", 300000) + "ET";
  const std::string file =
      PagesShowing({PdfBuilder::Stream("/Filter /FlateDecode", PdfBuilder::Zlib(content))});
  Limits limits;
  limits.memoryFloor = 4 << 20;
  test::ReaderHarness<PdfReader> reader;
  reader.SetResourceLimits(limits);
  MemoryStream stream(file);
  std::string message;
  try {
    reader.LoadFromStream(stream);
  } catch (const Exception& error) {
    message = error.Message();
  }
  EXPECT_EQ(message, "");
  EXPECT_NE(reader.Lines().GetTextW().find(std::u16string(300000, u'a')), std::u16string::npos);
}

} // namespace
} // namespace scrivlet
