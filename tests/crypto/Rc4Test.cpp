#include "crypto/Rc4.h"
#include "support/Hex.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using test::FromHex;
using test::ToHex;

std::string KeyStream(std::string_view key, size_t offset, size_t length) {
  Rc4 rc4(key);
  rc4.Crypt(std::string(offset, '\0'));
  return ToHex(rc4.Crypt(std::string(length, '\0')));
}

// Key streams of RFC 6229, section 2 (the 40-bit and 128-bit keys).
TEST(Rc4, Rfc6229KeyStreams) {
  const std::string key40 = FromHex("0102030405");
  EXPECT_EQ(KeyStream(key40, 0, 16), "b2396305f03dc027ccc3524a0a1118a8");
  EXPECT_EQ(KeyStream(key40, 16, 16), "6982944f18fc82d589c403a47a0d0919");
  EXPECT_EQ(KeyStream(key40, 240, 16), "28cb1132c96ce286421dcaadb8b69eae");
  EXPECT_EQ(KeyStream(key40, 256, 16), "1cfcf62b03eddb641d77dfcf7f8d8c93");
  EXPECT_EQ(KeyStream(key40, 4096, 16), "ff25b58995996707e51fbdf08b34d875");

  const std::string key128 = FromHex("0102030405060708090a0b0c0d0e0f10");
  EXPECT_EQ(KeyStream(key128, 0, 16), "9ac7cc9a609d1ef7b2932899cde41b97");
  EXPECT_EQ(KeyStream(key128, 16, 16), "5248c4959014126a6e8a84f11d1a9e1c");
  EXPECT_EQ(KeyStream(key128, 1520, 16), "b40110c4190b5622a96116b0017ed297");
  EXPECT_EQ(KeyStream(key128, 4096, 16), "a36a4c301ae8ac13610ccbc12256cacc");
}

TEST(Rc4, NextByteFollowsTheKeyStream) {
  Rc4 rc4(FromHex("0102030405"));
  std::string stream;
  for (int i = 0; i < 16; ++i)
    stream += static_cast<char>(rc4.NextByte());
  EXPECT_EQ(ToHex(stream), "b2396305f03dc027ccc3524a0a1118a8");
  // Crypt continues where NextByte left off.
  EXPECT_EQ(ToHex(rc4.Crypt(std::string(16, '\0'))), "6982944f18fc82d589c403a47a0d0919");
}

TEST(Rc4, TwoStatesOfOneKeyGiveBackTheInput) {
  EXPECT_EQ(ToHex(Rc4::Crypt("Key", "Plaintext")), "bbf316e8d940af0ad3");
  const std::string text("Attack at dawn, and bring the \x00\xff bytes too", 42);
  const std::string secret = Rc4::Crypt("Key", text);
  EXPECT_NE(secret, text);
  EXPECT_EQ(Rc4::Crypt("Key", secret), text);
}

TEST(Rc4, KeysOutsideOneTo256BytesStillWork) {
  // The schedule uses key bytes 0..255 only: a longer key equals its first 256 bytes.
  std::string longKey(300, 'k');
  longKey[10] = 'x';
  EXPECT_EQ(Rc4::Crypt(longKey, "abcdef"), Rc4::Crypt(longKey.substr(0, 256), "abcdef"));
  longKey[280] = 'y';
  EXPECT_EQ(Rc4::Crypt(longKey, "abcdef"), Rc4::Crypt(longKey.substr(0, 256), "abcdef"));
  // An empty key schedules like the single byte 0 instead of failing.
  EXPECT_EQ(Rc4::Crypt("", "abcdef"), Rc4::Crypt(std::string(1, '\0'), "abcdef"));
  EXPECT_EQ(Rc4::Crypt("", "").size(), 0u);
}

} // namespace
} // namespace scrivlet
