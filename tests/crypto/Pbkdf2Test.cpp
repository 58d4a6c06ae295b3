#include "crypto/Pbkdf2.h"
#include "support/Hex.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

// RFC 6070.
TEST(Pbkdf2, HmacSha1KnownAnswers) {
  EXPECT_EQ(test::ToHex(Pbkdf2HmacSha1("password", "salt", 1, 20)),
            "0c60c80f961f0e71f3a9b524af6012062fe037a6");
  EXPECT_EQ(test::ToHex(Pbkdf2HmacSha1("password", "salt", 4096, 20)),
            "4b007901b765489abead49d926f721d065a429c1");
  EXPECT_EQ(test::ToHex(Pbkdf2HmacSha1("passwordPASSWORDpassword",
                                       "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096, 25)),
            "3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038");
}

} // namespace
} // namespace scrivlet
