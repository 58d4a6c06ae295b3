#include "crypto/Base64.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

TEST(Base64, DecodesAcrossWhiteSpaceAndRefusesOtherText) {
  EXPECT_EQ(DecodeBase64("aGVs\n bG8="), "hello");
  EXPECT_EQ(DecodeBase64(""), "");
  EXPECT_FALSE(DecodeBase64("aGVsbG8*"));
  EXPECT_FALSE(DecodeBase64("aGVsbG8")); // cut short
}

} // namespace
} // namespace scrivlet
