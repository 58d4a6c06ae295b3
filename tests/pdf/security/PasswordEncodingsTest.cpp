#include "pdf/security/PasswordEncodings.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using Forms = std::vector<std::string>;

TEST(PasswordEncodings, Latin1FormOfUtf8Letters) {
  EXPECT_EQ(Latin1PasswordForms("plain"), Forms{"plain"});
  EXPECT_EQ(Latin1PasswordForms("p\xC3\xA4ss"), (Forms{"p\xC3\xA4ss", "p\xE4ss"}));
  // Letters beyond Latin-1, and bytes that are not UTF-8, stay as given.
  EXPECT_EQ(Latin1PasswordForms("\xE2\x82\xAC"), Forms{"\xE2\x82\xAC"});
  EXPECT_EQ(Latin1PasswordForms("p\xE4ss"), Forms{"p\xE4ss"});
  EXPECT_EQ(Latin1PasswordForms("cut \xC3"), Forms{"cut \xC3"});
}

TEST(PasswordEncodings, Utf8FormOfLatin1Bytes) {
  EXPECT_EQ(Utf8PasswordForms("p\xC3\xA4ss"), Forms{"p\xC3\xA4ss"});
  EXPECT_EQ(Utf8PasswordForms("p\xE4ss"), (Forms{"p\xE4ss", "p\xC3\xA4ss"}));
  EXPECT_EQ(Utf8PasswordForms("\xF0\x9F\x98\x80"), Forms{"\xF0\x9F\x98\x80"});
  EXPECT_EQ(Utf8PasswordForms(""), Forms{""});
}

} // namespace
} // namespace scrivlet
