// Files encrypted by qpdf, a second implementation of the standard security
// handler, at test time: they open with their user and owner passwords,
// their file keys are those qpdf reports, and for revisions 2 to 4 the test
// builder writes the same "/o" and "/u" values from the same inputs.  Skips
// when qpdf is not installed.
#include "pdf/security/DocumentSecurity.h"

#include "core/Exception.h"
#include "pdf/security/EncryptionDictionaryReader.h"
#include "pdf/security/StandardSecurityHandler.h"
#include "support/ChildProcess.h"
#include "support/Hex.h"
#include "support/PdfEncryptionBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace scrivlet {
namespace {

std::string FindQpdf() {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "/usr/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':'))
    if (!dir.empty() && std::filesystem::exists(dir + "/qpdf"))
      return dir + "/qpdf";
  return {};
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct QpdfCase {
  const char* name;
  const char* bits;
  std::vector<std::string> options;
  int32_t version, revision;
  bool objectStreams = false; // objects (the Info dictionary among them) in object streams
};

const QpdfCase Cases[] = {
    {"40-bit RC4", "40", {}, 1, 2},
    {"128-bit RC4", "128", {"--use-aes=n"}, 2, 3},
    {"128-bit RC4 as V4", "128", {"--use-aes=n", "--force-V4"}, 4, 4},
    {"AES-128", "128", {"--use-aes=y"}, 4, 4},
    {"AES-128 clear metadata", "128", {"--use-aes=y", "--cleartext-metadata"}, 4, 4},
    {"AES-256 R5", "256", {"--force-R5"}, 5, 5},
    {"AES-256 R6", "256", {}, 5, 6},
    {"AES-256 R6 clear metadata", "256", {"--cleartext-metadata"}, 5, 6},
    {"RC4 in object streams", "128", {"--use-aes=n"}, 2, 3, true},
    {"AES-128 in object streams", "128", {"--use-aes=y"}, 4, 4, true},
    {"AES-256 in object streams", "256", {}, 5, 6, true},
};

class QpdfFiles : public ::testing::Test {
protected:
  void SetUp() override {
    Qpdf = FindQpdf();
    if (Qpdf.empty())
      GTEST_SKIP() << "qpdf is not installed: files encrypted by qpdf not checked";
    Plain = Dir.Write("plain.pdf", test::PdfEncryptionBuilder::BuildPlainFile(
                                       {"Hello page one", "Second page"}, "Secret (title)"));
  }

  std::string Encrypt(const QpdfCase& c) {
    const std::string out = Dir.File("encrypted.pdf");
    std::vector<std::string> args = {"--allow-weak-crypto"};
    if (c.objectStreams)
      args.push_back("--object-streams=generate");
    args.insert(args.end(), {"--encrypt", "user", "owner", c.bits});
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.insert(args.end(), {"--", Plain, out});
    const test::ChildResult result = test::RunChild(Qpdf, args, {});
    EXPECT_TRUE(result.status == 0 || result.status == 3) << result.err;
    return ReadFile(out);
  }

  std::string ReportedKey(const std::string& file) {
    const std::string path = Dir.Write("key.pdf", file);
    const test::ChildResult result = test::RunChild(
        Qpdf, {"--show-encryption", "--show-encryption-key", "--password=user", path}, {});
    const size_t at = result.out.find("Encryption key = ");
    if (at == std::string::npos)
      return "(no key)";
    const size_t start = at + 17;
    return result.out.substr(start, result.out.find('\n', start) - start);
  }

  std::string Qpdf;
  test::TempDir Dir;
  std::string Plain;
};

std::string AllStreams(const pdf::PdfDocument& document) {
  std::string all;
  for (const auto& [number, entry] : document.Xref().Entries())
    all += document.StreamData(number);
  return all;
}

std::string Title(const pdf::PdfDocument& document) {
  const auto ref = document.Info();
  if (!ref)
    return "(no info)";
  const pdf::IndirectObject info = document.Object(ref->Number);
  const size_t at = pdf::FindKey(info.Dictionary, "/title");
  if (at == std::string_view::npos)
    return "(no title)";
  const auto bytes = pdf::DecodeStringToken(info.Dictionary.substr(at + 6));
  return bytes ? document.DecryptString(*bytes, info) : "(no string)";
}

std::string UnlockMessage(const std::string& file, std::string_view password) {
  pdf::PdfDocument document(file);
  try {
    UnlockDocument(document, password);
  } catch (const Exception& e) {
    return e.Message();
  }
  return "opened";
}

TEST_F(QpdfFiles, OpenWithUserAndOwnerPasswords) {
  for (const QpdfCase& c : Cases) {
    SCOPED_TRACE(c.name);
    const std::string file = Encrypt(c);
    for (const char* password : {"user", "owner"}) {
      pdf::PdfDocument document(file);
      ASSERT_NO_THROW(UnlockDocument(document, password));
      const auto* handler = dynamic_cast<const StandardSecurityHandler*>(document.Decryptor());
      ASSERT_NE(handler, nullptr);
      EXPECT_EQ(handler->OpenedWithOwnerPassword(), std::string(password) == "owner");
      EXPECT_EQ(test::ToHex(handler->FileKey()), ReportedKey(file));
      EXPECT_NE(AllStreams(document).find("(Hello page one) Tj"), std::string::npos);
      EXPECT_EQ(Title(document), "Secret (title)");
      const EncryptionDictionary values =
          ReadEncryptionDictionary(document.EncryptDictionary(), &document);
      EXPECT_EQ(values.Version, c.version);
      EXPECT_EQ(values.Revision, c.revision);
    }
    EXPECT_EQ(UnlockMessage(file, ""), "Password is not valid");
    EXPECT_EQ(UnlockMessage(file, "owner2"), "Password is not valid");
  }
}

TEST_F(QpdfFiles, BuilderWritesTheSameValues) {
  for (const QpdfCase& c : Cases) {
    if (c.revision > 4)
      continue;
    SCOPED_TRACE(c.name);
    pdf::PdfDocument document(Encrypt(c));
    const EncryptionDictionary qpdf =
        ReadEncryptionDictionary(document.EncryptDictionary(), &document);
    test::EncryptionSettings settings;
    settings.Version = qpdf.Version;
    settings.Revision = qpdf.Revision;
    settings.KeyBits = qpdf.Length > 0 ? qpdf.Length : 40;
    settings.UserPassword = "user";
    settings.OwnerPassword = "owner";
    settings.Permissions = qpdf.Permissions;
    settings.EncryptMetadata = qpdf.EncryptMetadata;
    settings.DocumentId = document.FirstId();
    const test::PdfEncryptionBuilder builder(settings);
    EXPECT_EQ(test::ToHex(builder.Dictionary().Owner), test::ToHex(qpdf.Owner));
    const size_t compared = c.revision == 2 ? 32 : 16;
    EXPECT_EQ(test::ToHex(builder.Dictionary().User.substr(0, compared)),
              test::ToHex(qpdf.User.substr(0, compared)));
  }
}

// The other way round: qpdf decrypts the files of the test builder with
// either password.
TEST_F(QpdfFiles, DecryptsTheBuilderFiles) {
  const std::tuple<int32_t, int32_t, int32_t, const char*> kinds[] = {
      {1, 2, 40, ""},        {2, 3, 128, ""},       {2, 3, 40, ""},        {4, 4, 128, "/v2"},
      {4, 4, 128, "/aesv2"}, {5, 5, 256, "/aesv3"}, {5, 6, 256, "/aesv3"},
  };
  for (const auto& [version, revision, bits, method] : kinds) {
    SCOPED_TRACE("V" + std::to_string(version) + " R" + std::to_string(revision) + " " +
                 std::to_string(bits));
    test::EncryptionSettings settings;
    settings.Version = version;
    settings.Revision = revision;
    settings.KeyBits = bits;
    settings.Method = method;
    settings.UserPassword = "user";
    settings.OwnerPassword = "owner";
    const std::string in =
        Dir.Write("built.pdf", test::PdfEncryptionBuilder(settings).BuildFile({"Built page"}, "T"));
    for (const char* password : {"user", "owner"}) {
      const std::string out = Dir.File("decrypted.pdf");
      const test::ChildResult result =
          test::RunChild(Qpdf,
                         {std::string("--password=") + password, "--decrypt", "--qdf",
                          "--object-streams=disable", in, out},
                         {});
      EXPECT_EQ(result.status, 0) << result.err;
      EXPECT_NE(ReadFile(out).find("(Built page) Tj"), std::string::npos) << password;
    }
    const test::ChildResult wrong =
        test::RunChild(Qpdf, {"--password=nobody", "--decrypt", in, Dir.File("wrong.pdf")}, {});
    EXPECT_NE(wrong.status, 0);
  }
}

} // namespace
} // namespace scrivlet
