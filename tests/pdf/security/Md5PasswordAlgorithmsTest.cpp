#include "pdf/security/Md5PasswordAlgorithms.h"

#include "pdf/security/StandardSecurityHandler.h"
#include "support/Hex.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using test::FromHex;
using test::ToHex;

const std::string Id = FromHex("0123456789abcdeffedcba9876543210");

TEST(Md5PasswordAlgorithms, PaddingFillsOrCutsTo32Bytes) {
  EXPECT_EQ(ToHex(PadPassword("")),
            "28bf4e5e4e758a4164004e56fffa01082e2e00b6d0683e802f0ca9fe6453697a");
  EXPECT_EQ(PadPassword("abc"), "abc" + std::string(PasswordPadding().substr(0, 29)));
  const std::string longer(40, 'x');
  EXPECT_EQ(PadPassword(longer), longer.substr(0, 32));
}

// Values of a 40-bit revision 3 file (user "user", owner "owner", P -4)
// computed apart from this code: the 50 extra MD5 rounds of the file key
// and of the owner password key hash the first 5 bytes of each digest, so
// rounds over the whole 16 bytes would not open it.
TEST(Md5PasswordAlgorithms, Revision3FortyBitKeysHashTheirOwnLength) {
  const std::string owner =
      FromHex("cf2662e6fb01997cc7651e17056d4dfad2c78dd5f3f4109bdffb50433bb04670");
  Md5KeyInputs inputs{3, 5, owner, -4, Id, true};
  const std::string key = ComputeFileKey("user", inputs);
  EXPECT_EQ(ToHex(key), "8f34999627");
  EXPECT_EQ(ToHex(ComputeUserValue(key, 3, Id)), "dc1130746f86991587e3e7c8d676a07e");
  EXPECT_EQ(RecoverUserPassword("owner", owner, 3, 5), PadPassword("user"));

  EncryptionDictionary d;
  d.Filter = "/standard";
  d.Version = 2;
  d.Revision = 3;
  d.Length = 40;
  d.Permissions = -4;
  d.Owner = owner;
  d.User = FromHex("dc1130746f86991587e3e7c8d676a07e") + std::string(16, '\0');
  EXPECT_EQ(ToHex(StandardSecurityHandler(d, Id, "user").FileKey()), "8f34999627");
  StandardSecurityHandler byOwner(d, Id, "owner");
  EXPECT_TRUE(byOwner.OpenedWithOwnerPassword());
  EXPECT_EQ(ToHex(byOwner.FileKey()), "8f34999627");
}

TEST(Md5PasswordAlgorithms, UserValueComparisonLengthFollowsTheRevision) {
  const std::string a(32, 'a');
  std::string b = a;
  b[20] = 'b';
  EXPECT_FALSE(UserValueMatches(a, b, 2));
  EXPECT_TRUE(UserValueMatches(a, b, 3));
  EXPECT_FALSE(UserValueMatches(a, a.substr(0, 15), 3)); // too short to compare
}

TEST(Md5PasswordAlgorithms, MetadataFlagCountsFromRevision4) {
  Md5KeyInputs inputs{4, 16, "owner value", -4, Id, true};
  const std::string withMetadata = ComputeFileKey("", inputs);
  inputs.EncryptMetadata = false;
  EXPECT_NE(ComputeFileKey("", inputs), withMetadata);
  inputs.Revision = 3;
  const std::string revision3 = ComputeFileKey("", inputs);
  inputs.EncryptMetadata = true;
  EXPECT_EQ(ComputeFileKey("", inputs), revision3);
}

} // namespace
} // namespace scrivlet
