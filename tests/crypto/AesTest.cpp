#include "crypto/Aes.h"
#include "core/Exception.h"
#include "support/Hex.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using test::FromHex;
using test::ToHex;

// NIST SP 800-38A, F.2.1 and F.2.5 (first two blocks).
const std::string Iv = FromHex("000102030405060708090a0b0c0d0e0f");
const std::string Plain =
    FromHex("6bc1bee22e409f96e93d7e117393172a ae2d8a571e03ac9c9eb76fac45af8e51");

TEST(Aes, Cbc128KnownAnswer) {
  const std::string key = FromHex("2b7e151628aed2a6abf7158809cf4f3c");
  const std::string secret = Aes::CbcEncrypt(key, Iv, Plain);
  EXPECT_EQ(ToHex(secret), "7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2");
  EXPECT_EQ(Aes::CbcDecrypt(key, Iv, secret), Plain);
}

TEST(Aes, Cbc256KnownAnswer) {
  const std::string key =
      FromHex("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4");
  const std::string secret = Aes::CbcEncrypt(key, Iv, Plain);
  EXPECT_EQ(ToHex(secret), "f58c4c04d6e5f1ba779eabfb5f7bfbd69cfc4e967edb808d679f777bc6702c7d");
  EXPECT_EQ(Aes::CbcDecrypt(key, Iv, secret), Plain);
}

TEST(Aes, ChainingCarriesAcrossBlocks) {
  const std::string key = FromHex("2b7e151628aed2a6abf7158809cf4f3c");
  // The second block decrypted alone, with the first cipher block as its IV.
  const std::string secret = Aes::CbcEncrypt(key, Iv, Plain);
  EXPECT_EQ(Aes::CbcDecrypt(key, secret.substr(0, 16), secret.substr(16)), Plain.substr(16));
}

// NIST SP 800-38A, F.1.1, F.1.3 and F.1.5 (first block): the three key sizes.
TEST(Aes, EcbKnownAnswersOfEveryKeySize) {
  const struct {
    const char *key, *secret;
  } cases[] = {
      {"2b7e151628aed2a6abf7158809cf4f3c", "3ad77bb40d7a3660a89ecaf32466ef97"},
      {"8e73b0f7da0e6452c810f32b809079e562f8ead2522c6b7b", "bd334f1d6e45f25ff712a214571fa5cc"},
      {"603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4",
       "f3eed1bdb5d2a03c064b5a7e3db181f8"},
  };
  for (const auto& c : cases) {
    const std::string block = Plain.substr(0, 16);
    EXPECT_EQ(ToHex(Aes::EcbEncrypt(FromHex(c.key), block + "x")), c.secret);
    EXPECT_EQ(Aes::EcbDecrypt(FromHex(c.key), FromHex(c.secret)), block);
    // CBC takes the same keys.
    EXPECT_EQ(Aes::CbcDecrypt(FromHex(c.key), Iv, Aes::CbcEncrypt(FromHex(c.key), Iv, Plain)),
              Plain);
  }
}

TEST(Aes, PartialBlockIsLeftOutAndBadSizesRaise) {
  const std::string key = FromHex("2b7e151628aed2a6abf7158809cf4f3c");
  const std::string secret = Aes::CbcEncrypt(key, Iv, Plain);
  EXPECT_EQ(Aes::CbcDecrypt(key, Iv, secret + "xyz"), Plain);
  EXPECT_EQ(Aes::CbcDecrypt(key, Iv, "short"), "");
  EXPECT_THROW(Aes::CbcDecrypt("too short", Iv, secret), Exception);
  EXPECT_THROW(Aes::CbcDecrypt(key, "iv", secret), Exception);
}

} // namespace
} // namespace scrivlet
