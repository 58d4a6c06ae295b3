// Encrypted documents opened through the PDF engine: the dictionary read
// from the file, the handler set on the document, streams and Info strings
// decrypted on their way out.
#include "pdf/security/DocumentSecurity.h"

#include "core/Exception.h"
#include "pdf/security/StandardSecurityHandler.h"
#include "support/PdfEncryptionBuilder.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using test::EncryptionSettings;
using test::PdfEncryptionBuilder;

const std::vector<std::string> Pages = {"Hello page one", "Second (page) text\nwith two lines"};

// The builder's layout: Info is object 4, page i's content object 8 + 2i.
std::string PageContent(const pdf::PdfDocument& document, uint32_t page) {
  return document.StreamData(8 + 2 * page);
}

std::string Title(const pdf::PdfDocument& document) {
  const pdf::IndirectObject info = document.Object(4);
  const size_t at = pdf::FindKey(info.Dictionary, "/title");
  if (at == std::string_view::npos)
    return "(no title)";
  const auto bytes = pdf::DecodeStringToken(info.Dictionary.substr(at + 6));
  return bytes ? document.DecryptString(*bytes, info) : "(no string)";
}

std::string UnlockMessage(pdf::PdfDocument& document, std::string_view password) {
  try {
    UnlockDocument(document, password);
  } catch (const Exception& e) {
    return e.Message();
  }
  return "opened";
}

EncryptionSettings Settings(int32_t version, int32_t revision, int32_t bits, std::string method) {
  EncryptionSettings s;
  s.Version = version;
  s.Revision = revision;
  s.KeyBits = bits;
  s.Method = std::move(method);
  s.UserPassword = "user";
  s.OwnerPassword = "owner";
  return s;
}

const EncryptionSettings AllSettings[] = {
    Settings(1, 2, 40, ""),        Settings(2, 3, 128, ""),       Settings(4, 4, 128, "/v2"),
    Settings(4, 4, 128, "/aesv2"), Settings(5, 5, 256, "/aesv3"), Settings(5, 6, 256, "/aesv3"),
};

TEST(DocumentSecurity, BuiltFilesOpenWithUserOrOwnerPassword) {
  for (const EncryptionSettings& settings : AllSettings) {
    SCOPED_TRACE(testing::Message() << "V" << settings.Version << " R" << settings.Revision);
    const std::string file = PdfEncryptionBuilder(settings).BuildFile(Pages, "Secret (title)");
    for (const char* password : {"user", "owner"}) {
      pdf::PdfDocument document(file);
      ASSERT_TRUE(document.IsEncrypted());
      ASSERT_EQ(UnlockMessage(document, password), "opened");
      EXPECT_NE(PageContent(document, 0).find("(Hello page one) Tj"), std::string::npos);
      EXPECT_NE(PageContent(document, 1).find("(Second \\(page\\) text) Tj"), std::string::npos);
      EXPECT_EQ(Title(document), "Secret (title)");
    }
    pdf::PdfDocument document(file);
    EXPECT_EQ(UnlockMessage(document, "nobody"), "Password is not valid");
  }
}

TEST(DocumentSecurity, InlineEncryptionDictionaryInTheTrailer) {
  const PdfEncryptionBuilder builder(AllSettings[5]);
  std::string file = builder.BuildFile(Pages, "Inline");
  const size_t at = file.find("/Encrypt 6 0 R");
  ASSERT_NE(at, std::string::npos);
  file.replace(at, 14, "/Encrypt " + builder.DictionaryText());
  pdf::PdfDocument document(file);
  ASSERT_EQ(UnlockMessage(document, "owner"), "opened");
  EXPECT_EQ(Title(document), "Inline");
  EXPECT_NE(PageContent(document, 0).find("(Hello page one) Tj"), std::string::npos);
}

TEST(DocumentSecurity, LockedDocumentsRefuseTheirStreams) {
  const std::string file = PdfEncryptionBuilder(AllSettings[3]).BuildFile(Pages, "T");
  pdf::PdfDocument document(file);
  EXPECT_THROW(PageContent(document, 0), Exception);
}

TEST(DocumentSecurity, PlainDocumentsNeedNoPassword) {
  pdf::PdfDocument document(PdfEncryptionBuilder::BuildPlainFile(Pages, "Plain"));
  EXPECT_EQ(UnlockMessage(document, "whatever"), "opened");
  EXPECT_EQ(document.Decryptor(), nullptr);
  EXPECT_EQ(Title(document), "Plain");
  EXPECT_NE(PageContent(document, 0).find("(Hello page one) Tj"), std::string::npos);
}

TEST(DocumentSecurity, ClearMetadataIsReportedByTheHandler) {
  EncryptionSettings settings = AllSettings[3];
  settings.EncryptMetadata = false;
  pdf::PdfDocument document(PdfEncryptionBuilder(settings).BuildFile(Pages, "Meta"));
  ASSERT_EQ(UnlockMessage(document, "user"), "opened");
  const auto* handler = dynamic_cast<const StandardSecurityHandler*>(document.Decryptor());
  ASSERT_NE(handler, nullptr);
  EXPECT_FALSE(handler->EncryptsMetadata());
  EXPECT_EQ(Title(document), "Meta"); // Info strings stay encrypted all the same
}

} // namespace
} // namespace scrivlet
