#include "crypto/Md5.h"
#include "support/Hex.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using test::ToHex;

// The test suite of RFC 1321, appendix A.5.
TEST(Md5, Rfc1321Suite) {
  const std::pair<std::string, std::string> suite[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& [message, digest] : suite)
    EXPECT_EQ(ToHex(Md5::Digest(message)), digest) << message;
}

TEST(Md5, FinalWithoutUpdateIsTheEmptyMessage) {
  Md5 md5;
  EXPECT_EQ(ToHex(md5.Final()), "d41d8cd98f00b204e9800998ecf8427e");
}

TEST(Md5, PiecewiseUpdatesGiveTheDigestOfTheWhole) {
  Md5 md5;
  md5.Update("a");
  md5.Update("");
  md5.Update("b");
  md5.Update("c");
  EXPECT_EQ(ToHex(md5.Final()), "900150983cd24fb0d6963f7d28e17f72");

  // Pieces crossing the 64-byte block boundary, and one of exactly 64 bytes.
  std::string message;
  for (int i = 0; i < 200; ++i)
    message += static_cast<char>(i * 7 + 3);
  const std::string whole = Md5::Digest(message);
  for (size_t cut : {1u, 63u, 64u, 65u, 128u, 199u}) {
    md5.Update(std::string_view(message).substr(0, cut));
    md5.Update(std::string_view(message).substr(cut));
    EXPECT_EQ(md5.Final(), whole) << cut;
  }
  md5.Update(std::string_view(message).substr(0, 64));
  EXPECT_EQ(md5.Final(), Md5::Digest(std::string_view(message).substr(0, 64)));
}

TEST(Md5, FinalStartsANewMessage) {
  Md5 md5;
  md5.Update("something else");
  md5.Final();
  md5.Update("abc");
  EXPECT_EQ(ToHex(md5.Final()), "900150983cd24fb0d6963f7d28e17f72");
  md5.Update("junk");
  md5.Init();
  EXPECT_EQ(ToHex(md5.Final()), "d41d8cd98f00b204e9800998ecf8427e");
}

} // namespace
} // namespace scrivlet
