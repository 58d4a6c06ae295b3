#include "crypto/Sha2.h"
#include "support/Hex.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using test::ToHex;

// FIPS 180-4 examples.
TEST(Sha2, DigestsOfAbc) {
  EXPECT_EQ(ToHex(Sha2::Sha256("abc")),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(ToHex(Sha2::Sha384("abc")), "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded163"
                                        "1a8b605a43ff5bed8086072ba1e7cc2358baeca134c825a7");
  EXPECT_EQ(ToHex(Sha2::Sha512("abc")),
            "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a"
            "2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f");
}

TEST(Sha2, TwoBlockMessage) {
  EXPECT_EQ(ToHex(Sha2::Sha256("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(ToHex(Sha2::Sha256("")),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

} // namespace
} // namespace scrivlet
