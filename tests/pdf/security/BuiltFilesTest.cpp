// Every combination of version, revision and method that the handler opens,
// on dictionaries and objects made by the test builder, with empty, user,
// owner and wrong passwords.
#include "pdf/security/StandardSecurityHandler.h"

#include "core/Exception.h"
#include "support/PdfEncryptionBuilder.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using test::EncryptionSettings;
using test::PdfEncryptionBuilder;

struct Combination {
  const char* name;
  int32_t version, revision, bits;
  const char* method;
  bool encryptMetadata;
  CryptMethod expected;
};

const Combination Combinations[] = {
    {"V1 R2 40-bit", 1, 2, 40, "", true, CryptMethod::Rc4},
    {"V2 R3 128-bit", 2, 3, 128, "", true, CryptMethod::Rc4},
    {"V2 R3 40-bit", 2, 3, 40, "", true, CryptMethod::Rc4},
    {"V2 R3 72-bit", 2, 3, 72, "", true, CryptMethod::Rc4},
    {"V4 R4 RC4", 4, 4, 128, "/v2", true, CryptMethod::Rc4},
    {"V4 R4 AES-128", 4, 4, 128, "/aesv2", true, CryptMethod::Aes128},
    {"V4 R4 AES-128 clear metadata", 4, 4, 128, "/aesv2", false, CryptMethod::Aes128},
    {"V4 R4 none", 4, 4, 128, "/none", true, CryptMethod::Identity},
    {"V5 R5 AES-256", 5, 5, 256, "/aesv3", true, CryptMethod::Aes256},
    {"V5 R6 AES-256", 5, 6, 256, "/aesv3", true, CryptMethod::Aes256},
    {"V5 R6 AES-256 clear metadata", 5, 6, 256, "/aesv3", false, CryptMethod::Aes256},
};

PdfEncryptionBuilder Build(const Combination& c, std::string user, std::string owner) {
  EncryptionSettings s;
  s.Version = c.version;
  s.Revision = c.revision;
  s.KeyBits = c.bits;
  s.Method = c.method;
  s.EncryptMetadata = c.encryptMetadata;
  s.UserPassword = std::move(user);
  s.OwnerPassword = std::move(owner);
  return PdfEncryptionBuilder(s);
}

std::string MessageOf(const PdfEncryptionBuilder& b, std::string_view password) {
  try {
    StandardSecurityHandler(b.Dictionary(), b.Settings().DocumentId, password);
  } catch (const Exception& e) {
    return e.Message();
  }
  return "opened";
}

void ExpectDecrypts(const StandardSecurityHandler& handler, const PdfEncryptionBuilder& b) {
  const std::string text = "BT (Hello, encrypted world) Tj ET\n";
  EXPECT_EQ(handler.DecryptStream(b.EncryptStream(text, 12, 0), 12, 0), text);
  EXPECT_EQ(handler.DecryptString(b.EncryptString("Title", 4, 0), 4, 0), "Title");
  EXPECT_EQ(handler.DecryptString(b.EncryptString("", 4, 0), 4, 0), "");
  const std::string block(32, 'z'); // whole blocks: a full block of padding
  EXPECT_EQ(handler.DecryptStream(b.EncryptStream(block, 5, 2), 5, 2), block);
}

TEST(StandardSecurityHandlerBuiltFiles, EmptyUserPasswordOpens) {
  for (const Combination& c : Combinations) {
    SCOPED_TRACE(c.name);
    const PdfEncryptionBuilder b = Build(c, "", "owner");
    const StandardSecurityHandler handler(b.Dictionary(), b.Settings().DocumentId, "");
    EXPECT_FALSE(handler.OpenedWithOwnerPassword());
    EXPECT_EQ(handler.FileKey(), b.FileKey());
    EXPECT_EQ(handler.StreamMethod(), c.expected);
    EXPECT_EQ(handler.EncryptsMetadata(), c.encryptMetadata);
    ExpectDecrypts(handler, b);
  }
}

TEST(StandardSecurityHandlerBuiltFiles, UserAndOwnerPasswordsOpen) {
  for (const Combination& c : Combinations) {
    SCOPED_TRACE(c.name);
    const PdfEncryptionBuilder b = Build(c, "user", "owner");
    const StandardSecurityHandler byUser(b.Dictionary(), b.Settings().DocumentId, "user");
    EXPECT_FALSE(byUser.OpenedWithOwnerPassword());
    EXPECT_EQ(byUser.FileKey(), b.FileKey());
    ExpectDecrypts(byUser, b);
    const StandardSecurityHandler byOwner(b.Dictionary(), b.Settings().DocumentId, "owner");
    EXPECT_TRUE(byOwner.OpenedWithOwnerPassword());
    EXPECT_EQ(byOwner.FileKey(), b.FileKey());
    ExpectDecrypts(byOwner, b);
  }
}

TEST(StandardSecurityHandlerBuiltFiles, WrongPasswordsAreRefused) {
  for (const Combination& c : Combinations) {
    SCOPED_TRACE(c.name);
    const PdfEncryptionBuilder b = Build(c, "user", "owner");
    EXPECT_EQ(MessageOf(b, ""), "Password is not valid");
    EXPECT_EQ(MessageOf(b, "User"), "Password is not valid");
    EXPECT_EQ(MessageOf(b, "owner "), "Password is not valid");
  }
}

TEST(StandardSecurityHandlerBuiltFiles, NonAsciiPasswordsInEitherEncoding) {
  const Combination& rc4 = Combinations[1];
  const Combination& aes256 = Combinations[9];
  // Revision 3 stores Latin-1 bytes; the UTF-8 a terminal gives opens too.
  const PdfEncryptionBuilder latin1 = Build(rc4, "gr\xFC\xDF", "");
  EXPECT_EQ(MessageOf(latin1, "gr\xC3\xBC\xC3\x9F"), "opened");
  EXPECT_EQ(MessageOf(latin1, "gr\xFC\xDF"), "opened");
  // Revision 6 stores UTF-8; Latin-1 bytes open too.
  const PdfEncryptionBuilder utf8 = Build(aes256, "gr\xC3\xBC\xC3\x9F", "");
  EXPECT_EQ(MessageOf(utf8, "gr\xFC\xDF"), "opened");
  EXPECT_EQ(MessageOf(utf8, "gruss"), "Password is not valid");
}

TEST(StandardSecurityHandlerBuiltFiles, LongPasswords) {
  // Revisions 2 to 4 use 32 bytes of a password, revisions 5 and 6 127.
  const std::string longer(40, 'p');
  EXPECT_EQ(MessageOf(Build(Combinations[1], longer, ""), longer.substr(0, 32)), "opened");
  const std::string longest(140, 'q');
  EXPECT_EQ(MessageOf(Build(Combinations[9], longest, ""), longest.substr(0, 127)), "opened");
  EXPECT_EQ(MessageOf(Build(Combinations[9], longest, ""), longest.substr(0, 126)),
            "Password is not valid");
}

TEST(StandardSecurityHandlerBuiltFiles, GenerationNumbersCount) {
  const PdfEncryptionBuilder b = Build(Combinations[1], "", "");
  const StandardSecurityHandler handler(b.Dictionary(), b.Settings().DocumentId, "");
  const std::string secret = b.EncryptStream("generation one", 8, 1);
  EXPECT_EQ(handler.DecryptStream(secret, 8, 1), "generation one");
  EXPECT_NE(handler.DecryptStream(secret, 8, 0), "generation one");
}

} // namespace
} // namespace scrivlet
