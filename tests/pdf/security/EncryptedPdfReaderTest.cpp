// Encrypted PDF files through the reader and the command line: the
// reader's Password (the program's --password) opens them as user or owner
// password; no password, or a wrong one, gives "Password is not valid".
#include "readers/pdf/PdfReader.h"
#include "support/ReaderHarness.h"

#include "core/Exception.h"
#include "core/Stream.h"
#include "support/ChildProcess.h"
#include "support/PdfEncryptionBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using test::EncryptionSettings;
using test::PdfEncryptionBuilder;

std::string Load(test::ReaderHarness<PdfReader>& reader, const std::string& bytes) {
  MemoryStream stream(bytes);
  try {
    reader.LoadFromStream(stream);
  } catch (const Exception& error) {
    return error.Message();
  }
  return "opened";
}

std::string AesFile() {
  EncryptionSettings settings;
  settings.Version = 5;
  settings.Revision = 6;
  settings.KeyBits = 256;
  settings.Method = "/aesv3";
  settings.UserPassword = "user";
  settings.OwnerPassword = "owner";
  return PdfEncryptionBuilder(settings).BuildFile({"one", "two", "three"}, "Secret title");
}

TEST(EncryptedPdfReader, PasswordOpensTheDocument) {
  const std::string file = AesFile();
  for (const char* password : {"user", "owner"}) {
    test::ReaderHarness<PdfReader> reader;
    reader.SetPassword(password);
    ASSERT_EQ(Load(reader, file), "opened");
    EXPECT_TRUE(reader.IsEncrypted());
    EXPECT_EQ(reader.SummaryInformation()->Title, u"Secret title");
    EXPECT_EQ(reader.SummaryInformation()->PageCount, 3);
  }
  // Without a password the message says how to give one, as for every
  // encrypted format; a wrong one is not valid.
  test::ReaderHarness<PdfReader> reader;
  reader.SetFileName("secret.pdf");
  EXPECT_EQ(Load(reader, file), "secret.pdf is protected by a password (give it with --password)");
  reader.SetPassword("guess");
  EXPECT_EQ(Load(reader, file), "The password is not valid");
  EXPECT_TRUE(reader.IsEncrypted());
}

TEST(EncryptedPdfReader, EmptyUserPasswordNeedsNoPassword) {
  EncryptionSettings settings; // 128-bit RC4, revision 3
  settings.OwnerPassword = "owner";
  test::ReaderHarness<PdfReader> reader;
  ASSERT_EQ(Load(reader, PdfEncryptionBuilder(settings).BuildFile({"a"}, "Open")), "opened");
  EXPECT_EQ(reader.SummaryInformation()->Title, u"Open");
}

TEST(EncryptedPdfReader, CommandLinePassword) {
  test::TempDir dir;
  const std::string path = dir.Write("secret.pdf", AesFile());
  const test::ChildResult opened =
      test::RunChild(SCRIVLET_CLI_PATH, {"--json", "--password", "owner", path}, {});
  EXPECT_EQ(opened.status, 0) << opened.err;
  EXPECT_NE(opened.out.find("\"Secret title\""), std::string::npos) << opened.out;
  EXPECT_NE(opened.out.find("\"encrypted\": true"), std::string::npos) << opened.out;

  const test::ChildResult refused = test::RunChild(SCRIVLET_CLI_PATH, {path}, {});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("secret.pdf is protected by a password (give it with --password)"),
            std::string::npos)
      << refused.err;
}

} // namespace
} // namespace scrivlet
