#include "frontend/OutputNames.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

TEST(OutputNames, InputsSharingAFileNameGetNumberedNames) {
  OutputNames names("out", ".txt");
  EXPECT_EQ(names.PathFor("a/x.doc"), "out/x.doc.txt");
  EXPECT_EQ(names.PathFor("b/x.doc"), "out/x.doc.2.txt");
  EXPECT_EQ(names.PathFor("a/x.doc"), "out/x.doc.txt"); // the same input keeps its name
  EXPECT_EQ(names.PathFor("c/x.doc"), "out/x.doc.3.txt");
  // An input whose own name is a numbered one already given moves on.
  EXPECT_EQ(names.PathFor("x.doc.2"), "out/x.doc.2.2.txt");
  EXPECT_EQ(names.PathFor("-"), "out/stdin.txt");
  EXPECT_EQ(names.PathFor("dir/"), "out/output.txt");
  EXPECT_EQ(names.PathFor(".."), "out/output.2.txt");
}

} // namespace
} // namespace scrivlet
