#include "pdf/PageTree.h"

#include "support/PdfBuilder.h"

#include <gtest/gtest.h>

namespace scrivlet::pdf {
namespace {

using test::PdfBuilder;

struct Walked {
  std::vector<uint32_t> Numbers;
  std::vector<std::string> Resources;
  std::vector<std::string> Contents;
  std::vector<int> Rotations;
};

Walked Walk(const std::string& file) {
  PdfDocument document(file);
  Walked walked;
  WalkPages(document, [&](PdfPage& page) {
    walked.Numbers.push_back(page.ObjectNumber);
    walked.Resources.emplace_back(Trim(page.Resources));
    walked.Contents.push_back(page.Contents);
    walked.Rotations.push_back(page.Rotate);
  });
  return walked;
}

// A tree: root (resources R0, rotate 90) -> [node A (resources RA) -> [p1, p2], p3 (own R3)]
PdfBuilder NestedTree() {
  PdfBuilder pdf;
  pdf.Put(1, "<< /Type /Catalog /Pages 2 0 R >>");
  pdf.Put(2, "<< /Type /Pages /Kids [3 0 R 6 0 R] /Count 3 /Rotate 90 "
             "/Resources << /Font << /F0 9 0 R >> >> >>");
  pdf.Put(3, "<< /Type /Pages /Parent 2 0 R /Kids [4 0 R 5 0 R] /Count 2 /Resources 8 0 R >>");
  pdf.Put(4, "<< /Type /Page /Parent 3 0 R /Contents 10 0 R >>");
  pdf.Put(5, "<< /Type /Page /Parent 3 0 R /Contents [10 0 R 11 0 R] /Rotate 0 >>");
  pdf.Put(6, "<< /Type /Page /Parent 2 0 R /Resources << /Font << /F3 9 0 R >> >> >>");
  pdf.Put(8, "<< /Font << /FA 9 0 R >> >>");
  pdf.Put(9, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
  pdf.Put(10, PdfBuilder::Stream("", "(first) Tj"));
  pdf.Put(11, PdfBuilder::Stream("/Filter /FlateDecode", PdfBuilder::Zlib("(second) Tj")));
  pdf.Trailer = "/Root 1 0 R";
  return pdf;
}

TEST(PdfPageTreeTest, PagesInOrderWithInheritedAttributes) {
  Walked walked = Walk(NestedTree().Build());
  EXPECT_EQ(walked.Numbers, (std::vector<uint32_t>{4, 5, 6}));
  EXPECT_EQ(walked.Resources,
            (std::vector<std::string>{"/Font << /FA 9 0 R >>", "/Font << /FA 9 0 R >>",
                                      "/Font << /F3 9 0 R >>"}));
  EXPECT_EQ(walked.Rotations, (std::vector<int>{90, 0, 90}));
}

TEST(PdfPageTreeTest, ContentArraysJoinTheirStreams) {
  Walked walked = Walk(NestedTree().Build());
  EXPECT_EQ(walked.Contents,
            (std::vector<std::string>{"(first) Tj", "(first) Tj\n(second) Tj", ""}));
}

TEST(PdfPageTreeTest, ContentsAsAnArrayObject) {
  PdfBuilder pdf = NestedTree();
  pdf.Put(4, "<< /Type /Page /Parent 3 0 R /Contents 12 0 R >>");
  pdf.Put(12, "[11 0 R 10 0 R]");
  Walked walked = Walk(pdf.Build());
  EXPECT_EQ(walked.Contents[0], "(second) Tj\n(first) Tj");
}

TEST(PdfPageTreeTest, KidThatIsAnAncestorIsSkipped) {
  PdfBuilder pdf = NestedTree();
  pdf.Put(3, "<< /Type /Pages /Kids [4 0 R 2 0 R 3 0 R 5 0 R] /Count 2 >>");
  Walked walked = Walk(pdf.Build());
  EXPECT_EQ(walked.Numbers, (std::vector<uint32_t>{4, 5, 6}));
}

TEST(PdfPageTreeTest, RepeatedContentStreamIsReadOnce) {
  PdfBuilder pdf = NestedTree();
  pdf.Put(4, "<< /Type /Page /Contents [10 0 R 10 0 R] >>");
  EXPECT_EQ(Walk(pdf.Build()).Contents[0], "(first) Tj");
}

TEST(PdfPageTreeTest, KidsWithoutTypeAndMissingKids) {
  PdfBuilder pdf = NestedTree();
  pdf.Put(3, "<< /Kids [4 0 R 5 0 R 77 0 R] >>"); // no /Type; 77 does not exist
  pdf.Put(6, "<< /Contents 10 0 R >>");           // a leaf without /Type
  Walked walked = Walk(pdf.Build());
  EXPECT_EQ(walked.Numbers, (std::vector<uint32_t>{4, 5, 6}));
}

TEST(PdfPageTreeTest, DeepTreeIsWalkedWithoutRecursion) {
  PdfBuilder pdf;
  const uint32_t depth = 20000;
  pdf.Put(1, "<< /Type /Catalog /Pages 2 0 R >>");
  for (uint32_t n = 2; n < depth; ++n)
    pdf.Put(n, "<< /Type /Pages /Kids [" + std::to_string(n + 1) + " 0 R] >>");
  pdf.Put(depth, "<< /Type /Page >>");
  pdf.Trailer = "/Root 1 0 R";
  EXPECT_EQ(Walk(pdf.Build()).Numbers, std::vector<uint32_t>{depth});
}

TEST(PdfPageTreeTest, CountWithoutContents) {
  PdfDocument document(PdfBuilder::WithPages({"a", "b", "c", "d"}).Build());
  EXPECT_EQ(CountPages(document), 4u);
}

} // namespace
} // namespace scrivlet::pdf

namespace scrivlet::pdf {
namespace {

TEST(PdfPageTreeTest, PagesOutsideALoopingTreeAreStillRead) {
  PdfBuilder pdf;
  pdf.Put(1, "<< /Type /Catalog /Pages 2 0 R >>");
  pdf.Put(2, "<< /Type /Pages /Kids [2 0 R] /Count 1 /Resources << /Font << /F1 5 0 R >> >> "
             "/Parent 2 0 R >>"); // its own kid and parent
  pdf.Put(3, "<< /Type /Page /Parent 2 0 R /Contents 4 0 R >>");
  pdf.Put(4, PdfBuilder::Stream("", "(orphan) Tj"));
  pdf.Trailer = "/Root 1 0 R";
  Walked walked = Walk(pdf.Build());
  EXPECT_EQ(walked.Numbers, std::vector<uint32_t>{3});
  EXPECT_EQ(walked.Contents, std::vector<std::string>{"(orphan) Tj"});
  // Its resources come from its parent all the same.
  EXPECT_EQ(walked.Resources, std::vector<std::string>{"/Font << /F1 5 0 R >>"});
}

} // namespace
} // namespace scrivlet::pdf
