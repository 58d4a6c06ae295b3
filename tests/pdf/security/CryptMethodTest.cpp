#include "pdf/security/CryptMethod.h"

#include "crypto/Aes.h"
#include "support/Hex.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using test::FromHex;
using test::ToHex;

const std::string Key40 = FromHex("294a1439f3");

TEST(CryptMethod, ObjectKeysOfFortyBitFiles) {
  // Values computed apart from this code.
  EXPECT_EQ(ToHex(ObjectKey(Key40, 7, 0, CryptMethod::Rc4)), "70271b6b3cfe2befa6b2");
  EXPECT_EQ(ToHex(ObjectKey(Key40, 7, 1, CryptMethod::Rc4)), "f5044fe6d2116257dc0d");
  EXPECT_EQ(DecryptObjectBytes(CryptMethod::Rc4, Key40, FromHex("61630adc29"), 7, 0), "Hello");
  EXPECT_NE(DecryptObjectBytes(CryptMethod::Rc4, Key40, FromHex("61630adc29"), 7, 1), "Hello");
}

TEST(CryptMethod, OnlyThreeBytesOfTheObjectNumberCount) {
  EXPECT_EQ(ObjectKey(Key40, 1, 0, CryptMethod::Rc4),
            ObjectKey(Key40, (1u << 24) + 1, 0, CryptMethod::Rc4));
  EXPECT_NE(ObjectKey(Key40, 1, 0, CryptMethod::Rc4), ObjectKey(Key40, 2, 0, CryptMethod::Rc4));
}

TEST(CryptMethod, KeyLengthIsFileKeyPlusFiveAtMost16) {
  EXPECT_EQ(ObjectKey(Key40, 3, 0, CryptMethod::Rc4).size(), 10u);
  EXPECT_EQ(ObjectKey(std::string(16, 'k'), 3, 0, CryptMethod::Rc4).size(), 16u);
  EXPECT_EQ(ObjectKey(std::string(8, 'k'), 3, 0, CryptMethod::Rc4).size(), 13u);
  // AES keys take the digest of key, numbers and "sAlT" whole.
  EXPECT_EQ(ObjectKey(Key40, 3, 0, CryptMethod::Aes128).size(), 16u);
  EXPECT_NE(ObjectKey(std::string(16, 'k'), 3, 0, CryptMethod::Aes128),
            ObjectKey(std::string(16, 'k'), 3, 0, CryptMethod::Rc4));
}

class AesObjects : public ::testing::Test {
protected:
  const std::string FileKey = std::string(32, '\x42');
  const std::string Iv = FromHex("000102030405060708090a0b0c0d0e0f");

  std::string Encrypt(std::string_view plain, size_t pad) const {
    std::string padded(plain);
    padded += std::string(pad, static_cast<char>(pad));
    return Iv + Aes::CbcEncrypt(FileKey, Iv, padded);
  }
  std::string Decrypt(std::string_view bytes) const {
    return DecryptObjectBytes(CryptMethod::Aes256, FileKey, bytes, 9, 0);
  }
};

TEST_F(AesObjects, WellFormedPaddingIsRemoved) {
  EXPECT_EQ(Decrypt(Encrypt("twelve bytes", 4)), "twelve bytes");
  EXPECT_EQ(Decrypt(Encrypt("sixteen bytes!!!", 16)), "sixteen bytes!!!");
  EXPECT_EQ(Decrypt(Encrypt("", 16)), "");
}

TEST_F(AesObjects, MalformedPaddingIsKept) {
  // A last byte above 16, or pad bytes that disagree, are data.
  const std::string noPad = "exactly 16 byte\x11";
  EXPECT_EQ(Decrypt(Iv + Aes::CbcEncrypt(FileKey, Iv, noPad)), noPad);
  const std::string mixed = "fourteen bytes\x01\x02";
  EXPECT_EQ(Decrypt(Iv + Aes::CbcEncrypt(FileKey, Iv, mixed)), mixed);
}

TEST_F(AesObjects, ShortAndRaggedDataDecryptsWhatItCan) {
  EXPECT_EQ(Decrypt(""), "");
  EXPECT_EQ(Decrypt("less than iv"), "");
  EXPECT_EQ(Decrypt(Iv), "");
  EXPECT_EQ(Decrypt(Encrypt("twelve bytes", 4) + "xyz"), "twelve bytes");
}

TEST(CryptMethod, IdentityPassesBytesThrough) {
  EXPECT_EQ(DecryptObjectBytes(CryptMethod::Identity, Key40, "as is", 1, 0), "as is");
}

} // namespace
} // namespace scrivlet
