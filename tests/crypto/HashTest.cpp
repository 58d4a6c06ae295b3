#include "crypto/Hash.h"
#include "crypto/Hmac.h"
#include "support/Hex.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using test::ToHex;

struct DigestCase {
  HashAlgorithm algorithm;
  const char* name;
  const char* abc;  // the digest of "abc" (FIPS 180, RFC 1321)
  const char* jefe; // HMAC with key "Jefe" (RFC 2202, RFC 4231 case 2)
};

const DigestCase kCases[] = {
    {HashAlgorithm::Md5, "MD5", "900150983cd24fb0d6963f7d28e17f72",
     "750c783e6ab0b503eaa86e310a5db738"},
    {HashAlgorithm::Sha1, "SHA1", "a9993e364706816aba3e25717850c26c9cd0d89d",
     "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79"},
    {HashAlgorithm::Sha256, "SHA256",
     "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
     "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"},
    {HashAlgorithm::Sha384, "SHA384",
     "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed8086072ba1e7cc2358baeca134c82"
     "5a"
     "7",
     "af45d2e376484031617f78d2b58a6b1b9c7ef464f5a01b47e42ec3736322445e8e2240ca5e69e2c78b3239ecfab21"
     "64"
     "9"},
    {HashAlgorithm::Sha512, "SHA-512",
     "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836ba3c23a3fee"
     "bb"
     "d454d4423643ce80e2a9ac94fa54ca49f",
     "164b7a7bfcf819e2e395fbe73b56e0a387bd64222e831fd610270cd7ea2505549758bf75c05a994a6d034f65f8f0e"
     "6f"
     "dcaeab1a34d4a6b4b636e070a38bce737"},
};

TEST(Hash, KnownDigestsAndMacsOfEveryAlgorithm) {
  for (const DigestCase& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(HashAlgorithmNamed(c.name), c.algorithm);
    EXPECT_EQ(ToHex(Hash::Digest(c.algorithm, {"a", "", "bc"})), c.abc);
    Hash hash(c.algorithm);
    hash.Update("ab");
    hash.Update("c");
    EXPECT_EQ(ToHex(hash.Final()), c.abc);
    EXPECT_EQ(hash.Final().size(), hash.DigestSize()); // a new message after Final
    EXPECT_EQ(ToHex(Hmac(c.algorithm, "Jefe", "what do ya want for nothing?")), c.jefe);
  }
  EXPECT_EQ(HashAlgorithmNamed("sha-256"), HashAlgorithm::Sha256);
  EXPECT_FALSE(HashAlgorithmNamed("RIPEMD160"));
}

} // namespace
} // namespace scrivlet
