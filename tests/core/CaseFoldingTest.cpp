#include "core/CaseFolding.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

TEST(Names, SameNameText) {
  EXPECT_TRUE(SameNameText(true, u"Body", u"Body"));
  EXPECT_FALSE(SameNameText(true, u"Body", u"body"));
  EXPECT_TRUE(SameNameText(false, u"Body", u"bODY"));
  EXPECT_TRUE(SameNameText(false, u"\u00C9T\u0416", u"\u00E9t\u0436"));
  EXPECT_FALSE(SameNameText(false, u"ab", u"abc"));
}

} // namespace
} // namespace scrivlet
