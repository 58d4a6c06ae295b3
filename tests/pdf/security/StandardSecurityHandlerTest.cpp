#include "pdf/security/StandardSecurityHandler.h"

#include "core/Exception.h"
#include "support/Hex.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using test::FromHex;
using test::ToHex;

std::string MessageOf(const EncryptionDictionary& dictionary, std::string_view id = {},
                      std::string_view password = {}) {
  try {
    StandardSecurityHandler handler(dictionary, id, password);
  } catch (const Exception& e) {
    return e.Message();
  }
  return "opened";
}

// Encryption dictionaries of real files (made by qpdf, Acrobat and other
// writers) with the file keys that qpdf reports for them.
EncryptionDictionary QpdfVersion4Rc4() {
  EncryptionDictionary d;
  d.Filter = "/standard";
  d.Version = 4;
  d.Revision = 4;
  d.Length = 128;
  d.Permissions = -4;
  d.Owner = FromHex("36451bd39d753b7c1d10922c28e6665aa4f3353fb0348b536893e3b1db5c579b");
  d.User = FromHex("32c27288b9ec6a4fab94e6188828595c0122456a91bae5134273a6db134c87c4");
  d.CryptFilters["/stdcf"] = {"/v2", "/docopen", 16};
  d.StreamFilter = d.StringFilter = "/stdcf";
  return d;
}
const std::string QpdfId = FromHex("66d36a30a97e0f16f39955c6221e0c2a");

EncryptionDictionary Version4Aes() {
  EncryptionDictionary d = QpdfVersion4Rc4();
  d.Permissions = -1044;
  d.Owner = FromHex("5f7fa03ad5a40c66c17ed357316ba0f694df97b23399e5e71fe453395e0af04d");
  d.User = FromHex("a572acdff8b3dc74e04a4d326299467800000000000000000000000000000000");
  d.CryptFilters["/stdcf"].Method = "/aesv2";
  return d;
}
const std::string AesId = FromHex("1d1e99ccac357daa2ec9ac803ba15845");

EncryptionDictionary Revision6OwnerMaster() {
  EncryptionDictionary d;
  d.Filter = "/standard";
  d.Version = 5;
  d.Revision = 6;
  d.Length = 256;
  d.Permissions = -2368;
  d.Owner = FromHex("323c4d27ca11c598be1a8a05328b60cc4049eff0582b249511f1eb9311bf3d4a"
                    "efad369cae86da4d84b8c2cddd329a30") +
            std::string(79, '\0');
  d.User = FromHex("f591296384b58adba5b86b2b3ad1280ccadb51c9d69d759a5a2cd85ffdcce460"
                   "b3e04fda6b7a8e174d5f863bf1917416") +
           std::string(79, '\0');
  d.OwnerKey = FromHex("3323c10e59bb16d4cffd10e265ceca4c3467fde70b514dc34d3e80d547d49177");
  d.UserKey = FromHex("6f3b9fb151bba52534c6cd97827a7e9ef7a04b1fddaed8c1281065589541bf01");
  d.Perms = FromHex("8f83cc37798717586d6837b4d9d86457");
  d.CryptFilters["/stdcf"] = {"/aesv3", "/docopen", 32};
  d.StreamFilter = d.StringFilter = "/stdcf";
  return d;
}

EncryptionDictionary Revision3OwnerMaster() {
  EncryptionDictionary d;
  d.Filter = "/standard";
  d.Version = 2;
  d.Revision = 3;
  d.Length = 128;
  d.Permissions = -3104;
  d.Owner = FromHex("43c9dc2870a984994bc1265a57c7f8ada724fa891e652bb0654f50170f72f5ee");
  d.User = FromHex("3b64a47ae69c81add269ec98ad14615991f1dd59d88e5b6e5e0a7954217a8f78");
  return d;
}

EncryptionDictionary Revision2WithoutId() {
  EncryptionDictionary d;
  d.Filter = "/standard";
  d.Version = 1;
  d.Revision = 2;
  d.Permissions = -8;
  d.Owner = FromHex("2055c756c72e1ad702608e8196acad447ad32d17cff583235f6dd15fed7dab67");
  d.User = FromHex("3dd10f68c622f77c202fc53a35f6315e4e7ce53d043b06c36b9c9dab55d904fd");
  return d;
}

TEST(StandardSecurityHandlerRealFiles, EmptyUserPasswordsGiveTheFileKeys) {
  EXPECT_EQ(ToHex(StandardSecurityHandler(QpdfVersion4Rc4(), QpdfId, "").FileKey()),
            "474258b004f2ce0017adeb6e79574357");
  EXPECT_EQ(ToHex(StandardSecurityHandler(Version4Aes(), AesId, "").FileKey()),
            "ee2744308f2d26c53bcdfab2cdb016c3");
  EXPECT_EQ(ToHex(StandardSecurityHandler(Revision3OwnerMaster(), QpdfId, "").FileKey()),
            "88ce1c392a579d50797f65bd39ba22ab");
  EXPECT_EQ(ToHex(StandardSecurityHandler(Revision2WithoutId(), "", "").FileKey()), "452b5df0d0");
  EXPECT_EQ(ToHex(StandardSecurityHandler(Revision6OwnerMaster(), "", "").FileKey()),
            "8edee18db1083497a3ef3c2b3cd28b38e8f64d73d1e4d473fa0b700eae29e3af");
}

TEST(StandardSecurityHandlerRealFiles, OwnerPasswordsGiveTheSameKeys) {
  StandardSecurityHandler revision3(Revision3OwnerMaster(), QpdfId, "master");
  EXPECT_TRUE(revision3.OpenedWithOwnerPassword());
  EXPECT_EQ(ToHex(revision3.FileKey()), "88ce1c392a579d50797f65bd39ba22ab");
  StandardSecurityHandler revision6(Revision6OwnerMaster(), "", "master");
  EXPECT_TRUE(revision6.OpenedWithOwnerPassword());
  EXPECT_EQ(ToHex(revision6.FileKey()),
            "8edee18db1083497a3ef3c2b3cd28b38e8f64d73d1e4d473fa0b700eae29e3af");
  EXPECT_FALSE(StandardSecurityHandler(Revision6OwnerMaster(), "", "").OpenedWithOwnerPassword());
}

TEST(StandardSecurityHandlerRealFiles, WrongPasswordsAndWrongIdsAreRefused) {
  EXPECT_EQ(MessageOf(Revision3OwnerMaster(), QpdfId, "Master"), "Password is not valid");
  EXPECT_EQ(MessageOf(Revision3OwnerMaster(), AesId, ""), "Password is not valid");
  EXPECT_EQ(MessageOf(Revision6OwnerMaster(), "", "maste"), "Password is not valid");
  EXPECT_EQ(MessageOf(Version4Aes(), AesId, "x"), "Password is not valid");
  // The metadata flag is part of the revision 4 key.
  EncryptionDictionary clearMetadata = QpdfVersion4Rc4();
  clearMetadata.EncryptMetadata = false;
  EXPECT_EQ(MessageOf(clearMetadata, QpdfId), "Password is not valid");
}

TEST(StandardSecurityHandlerRealFiles, MethodsFollowTheCryptFilters) {
  StandardSecurityHandler rc4(QpdfVersion4Rc4(), QpdfId, "");
  EXPECT_EQ(rc4.StreamMethod(), CryptMethod::Rc4);
  EXPECT_EQ(StandardSecurityHandler(Version4Aes(), AesId, "").StringMethod(), CryptMethod::Aes128);
  EXPECT_EQ(StandardSecurityHandler(Revision6OwnerMaster(), "", "").StreamMethod(),
            CryptMethod::Aes256);
  EXPECT_EQ(StandardSecurityHandler(Revision2WithoutId(), "", "").StringMethod(), CryptMethod::Rc4);

  EncryptionDictionary mixed = Version4Aes();
  mixed.StringFilter = "/identity";
  StandardSecurityHandler handler(mixed, AesId, "");
  EXPECT_EQ(handler.StringMethod(), CryptMethod::Identity);
  EXPECT_EQ(handler.StreamMethod(), CryptMethod::Aes128);
  EXPECT_EQ(handler.DecryptString("plain", 4, 0), "plain");

  // Absent filter names are the identity filter.
  EncryptionDictionary none = Version4Aes();
  none.StreamFilter.clear();
  EXPECT_EQ(StandardSecurityHandler(none, AesId, "").StreamMethod(), CryptMethod::Identity);
}

TEST(StandardSecurityHandlerMessages, RevisionsAndVersions) {
  EncryptionDictionary d = Revision3OwnerMaster();
  d.Revision = 5;
  EXPECT_EQ(MessageOf(d, QpdfId),
            "Unknown (or nonsupported) revision for Standard encryption (Algorithm 1)");
  d.Revision = 1;
  EXPECT_EQ(MessageOf(d, QpdfId), "Password is not valid");
  d.Version = 3;
  EXPECT_EQ(MessageOf(d, QpdfId), "Algorithm 3 for Standard encryption is not supported");
  d.Version = 7;
  EXPECT_EQ(MessageOf(d, QpdfId), "Unknown algorithm (7) for Standard encryption");
  d = Revision6OwnerMaster();
  d.Revision = 4;
  EXPECT_EQ(MessageOf(d),
            "Unknown (or nonsupported) revision for Standard encryption (Algorithm 5)");
  d = Revision3OwnerMaster();
  d.Filter = "/adobe.pubsec";
  EXPECT_EQ(MessageOf(d, QpdfId), "The encryption method is not supported in current version");
}

TEST(StandardSecurityHandlerMessages, KeyLengths) {
  EncryptionDictionary d = Revision3OwnerMaster();
  for (int32_t bits : {0, 8, 32, 44, 136, 256}) {
    d.Length = bits;
    const std::string expected =
        bits == 0 ? "Password is not valid" // absent: 40 bits, the wrong key here
                  : "Invalid key length (" + std::to_string(bits) + ") for Standard encryption";
    EXPECT_EQ(MessageOf(d, QpdfId), expected) << bits;
  }
  d = QpdfVersion4Rc4();
  d.CryptFilters["/stdcf"].Length = 12;
  EXPECT_EQ(MessageOf(d, QpdfId), "Invalid key length (12) for Standard encryption");
}

TEST(StandardSecurityHandlerRealFiles, Version4KeyLengthFromTheCryptFilter) {
  // Without a "/length" of its own the key length is the crypt filter's,
  // in bytes here (16), or 128 bits when none gives one.
  EncryptionDictionary d = QpdfVersion4Rc4();
  d.Length = 0;
  EXPECT_EQ(StandardSecurityHandler(d, QpdfId, "").FileKey().size(), 16u);
  d.StreamFilter = "/identity";
  EXPECT_EQ(StandardSecurityHandler(d, QpdfId, "").FileKey().size(), 16u);
  d.CryptFilters["/stdcf"].Length = 0;
  EXPECT_EQ(StandardSecurityHandler(d, QpdfId, "").FileKey().size(), 16u);
  d.CryptFilters["/stdcf"].Length = 8; // 64 bits: another key, which does not open it
  EXPECT_EQ(MessageOf(d, QpdfId), "Password is not valid");
}

TEST(StandardSecurityHandlerMessages, CryptFilterChecksInOrder) {
  EncryptionDictionary d = QpdfVersion4Rc4();
  d.CryptFilters["/stdcf"] = {"/rot13", "/whenever", 16};
  EXPECT_EQ(MessageOf(d, QpdfId), "Invalid method used (/rot13) for Standard encryption");
  d.CryptFilters["/stdcf"] = {"", "", 16};
  EXPECT_EQ(MessageOf(d, QpdfId), "Invalid method used () for Standard encryption");
  d.CryptFilters["/stdcf"] = {"/v2", "/whenever", 16};
  EXPECT_EQ(MessageOf(d, QpdfId),
            "Invalid event (/whenever) to be to trigger the authorization for Standard encryption");
  // An absent event is the default, opening the document.
  d.CryptFilters["/stdcf"] = {"/v2", "", 16};
  EXPECT_EQ(MessageOf(d, QpdfId), "opened");
  // Recognised methods that the version cannot use.
  d.CryptFilters["/stdcf"] = {"/aesv3", "/docopen", 16};
  EXPECT_EQ(MessageOf(d, QpdfId),
            "CryptFilter algorithm for Standard encryption is not implemented in current version");
  d = Revision6OwnerMaster();
  d.CryptFilters["/stdcf"].Method = "/v2";
  EXPECT_EQ(MessageOf(d),
            "CryptFilter algorithm for Standard encryption is not implemented in current version");
}

TEST(StandardSecurityHandlerMessages, FilterNamesMissingFromTheDictionary) {
  EncryptionDictionary d = QpdfVersion4Rc4();
  d.StreamFilter = d.StringFilter = "/other";
  EXPECT_EQ(MessageOf(d, QpdfId), "opened"); // the only entry stands in
  d.CryptFilters["/second"] = {"/aesv2", "/docopen", 16};
  EXPECT_EQ(MessageOf(d, QpdfId), "Invalid method used () for Standard encryption");
}

} // namespace
} // namespace scrivlet
