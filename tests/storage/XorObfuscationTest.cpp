#include "storage/XorObfuscation.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

TEST(XorObfuscation, VerifierKeyAndTheBytesItLeaves) {
  // The verifier and key of "sesame", as LibreOffice accepts them in a Word
  // 97 document it opens with that password.
  const XorObfuscation sesame(u"sesame");
  EXPECT_EQ(sesame.Verifier(), 0xDE57);
  EXPECT_EQ(sesame.Key(), 0x8B60);
  EXPECT_TRUE(sesame.Matches(0xDE57, 0x8B60));
  EXPECT_FALSE(XorObfuscation(u"Sesame").Matches(0xDE57, 0x8B60));
  // A character whose low byte is zero counts by its high byte; past 15
  // characters nothing counts.
  EXPECT_EQ(XorObfuscation(u"\u4100b").Key(), XorObfuscation(u"Ab").Key());
  EXPECT_EQ(XorObfuscation(u"fifteen letters and more").Verifier(),
            XorObfuscation(u"fifteen letters").Verifier());

  std::string bytes("plain text\0\x01 of a stream", 24);
  std::string coded = bytes;
  sesame.Apply(coded, 1000);
  EXPECT_NE(coded, bytes);
  EXPECT_EQ(coded[10], '\0'); // zero stays zero
  sesame.Apply(coded, 1000);
  EXPECT_EQ(coded, bytes);
  std::string shifted = bytes;
  sesame.Apply(shifted, 1001); // the array is indexed by the stream offset
  sesame.Apply(shifted, 1000);
  EXPECT_NE(shifted, bytes);
}

} // namespace
} // namespace scrivlet
