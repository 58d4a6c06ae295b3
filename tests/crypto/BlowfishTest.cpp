#include "crypto/Blowfish.h"
#include "core/Exception.h"
#include "support/Hex.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using test::FromHex;

TEST(Blowfish, Cfb8FeedsBackOneByteAtATime) {
  // Schneier's vector: the zero key enciphers the zero block to
  // 4ef997456198dd78, so the first byte of the stream under a zero IV is 4e.
  const std::string zeros(8, '\0');
  EXPECT_EQ(test::ToHex(Blowfish::Cfb8Encrypt(zeros, zeros, std::string(1, '\0'))), "4e");
  const std::string key = FromHex("0123456789abcdeff0e1d2c3b4a59687");
  const std::string iv = FromHex("fedcba9876543210");
  const std::string plain = "Blowfish in CFB8 needs no padding: 43 bytes";
  const std::string secret = Blowfish::Cfb8Encrypt(key, iv, plain);
  ASSERT_EQ(secret.size(), plain.size());
  EXPECT_NE(secret, plain);
  EXPECT_EQ(Blowfish::Cfb8Decrypt(key, iv, secret), plain);
  // A changed byte spoils itself and the eight that follow, no more.
  std::string damaged = secret;
  damaged[3] ^= 1;
  const std::string read = Blowfish::Cfb8Decrypt(key, iv, damaged);
  EXPECT_EQ(read.substr(0, 3), plain.substr(0, 3));
  EXPECT_EQ(read.substr(12), plain.substr(12));
  EXPECT_THROW(Blowfish::Cfb8Decrypt("short", iv, secret), Exception);
  EXPECT_THROW(Blowfish::Cfb8Decrypt(key, "iv", secret), Exception);
}

} // namespace
} // namespace scrivlet
