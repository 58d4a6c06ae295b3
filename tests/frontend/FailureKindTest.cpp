#include "frontend/FailureKind.h"
#include "frontend/DocumentConversion.h"
#include "support/CompoundFileBuilder.h"
#include "support/PdfEncryptionBuilder.h"
#include "support/SampleDocuments.h"
#include "support/TempDir.h"
#include "support/ZipBuilder.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

std::string LockedPdf() {
  test::EncryptionSettings settings;
  settings.UserPassword = "sesame";
  settings.OwnerPassword = "owner";
  return test::PdfEncryptionBuilder(settings).BuildFile({"Behind the password"}, "Vault");
}

std::string CutWordDocument() {
  test::CompoundFileBuilder storage;
  storage.AddStream(u"WordDocument", std::string(12, '\x01'));
  return storage.Build();
}

std::string InflatingDocx() {
  test::ZipBuilder zip;
  zip.Add("word/document.xml", "<w:document><w:body><w:p><w:r><w:t>" + std::string(2 << 20, 'x') +
                                   "</w:t></w:r></w:p></w:body></w:document>");
  return zip.Build();
}

struct FailureCase {
  const char* what;
  const char* name;       // written into the folder unless bytes is nullptr
  const char* bytes;      // nullptr: no such file; "" with dir: the folder itself
  std::string (*build)(); // the bytes, when built
  const char* reader;     // --reader, or ""
  const char* password;   // --password, or ""
  FailureKind expected;
};

const FailureCase kCases[] = {
    {"a sound document", "letter.wri", nullptr, test::SampleWriteLetter, "", "", FailureKind::None},
    {"no such file of a known extension", "missing.doc", nullptr, nullptr, "", "",
     FailureKind::FileNotFound},
    {"no such file of another extension", "missing.txt", nullptr, nullptr, "", "",
     FailureKind::FileNotFound},
    {"plain text", "notes.txt", "just words", nullptr, "", "", FailureKind::UnsupportedFormat},
    {"plain text named as Word", "notes.doc", "just words", nullptr, "", "",
     FailureKind::UnsupportedFormat},
    {"a Write file read as PDF", "letter.wri", nullptr, test::SampleWriteLetter, "pdf", "",
     FailureKind::UnsupportedFormat},
    {"Word's signature, no document", "cut.doc", nullptr, CutWordDocument, "", "",
     FailureKind::DamagedDocument},
    {"encrypted, no password", "locked.pdf", nullptr, LockedPdf, "", "",
     FailureKind::PasswordRequired},
    {"encrypted, a wrong password", "locked.pdf", nullptr, LockedPdf, "", "open up",
     FailureKind::InvalidPassword},
    {"encrypted, its password", "locked.pdf", nullptr, LockedPdf, "", "sesame", FailureKind::None},
    {"a part past the limit", "big.docx", nullptr, InflatingDocx, "", "",
     FailureKind::LimitExceeded},
};

TEST(FailureKinds, EachFailureHasItsKind) {
  for (const FailureCase& c : kCases) {
    SCOPED_TRACE(c.what);
    test::TempDir dir;
    std::string path = dir.File(c.name);
    if (c.build != nullptr)
      dir.Write(c.name, c.build());
    else if (c.bytes != nullptr)
      dir.Write(c.name, c.bytes);
    CommandLineOptions options;
    options.readerName = c.reader;
    options.password = c.password;
    options.limits.decodedBytesPerStream = 1 << 20;
    ConversionDetails details;
    ConvertedDocument result = ConvertDocument(options, path, {}, &details);
    EXPECT_EQ(details.failure, c.expected) << result.error;
    EXPECT_EQ(result.failed, c.expected != FailureKind::None);
  }
}

TEST(FailureKinds, AMissingFileIsSaidToBeMissingWhateverItsName) {
  test::TempDir dir;
  const std::string missing = dir.File("missing.txt");
  ConvertedDocument result = ConvertDocument(CommandLineOptions{}, missing, {});
  EXPECT_EQ(result.error, "File " + missing + " is not found.");
}

TEST(FailureKinds, DetailsNameTheReaderAndGiveTheSummary) {
  test::TempDir dir;
  const std::string book = dir.Write("book.fb2", test::SampleRussianBook());
  ConversionDetails details;
  details.summaryWanted = true;
  ConvertedDocument result = ConvertDocument(CommandLineOptions{}, book, {}, &details);
  EXPECT_FALSE(result.failed) << result.error;
  EXPECT_EQ(details.readerName, "fb2");
  EXPECT_NE(details.summary.find("\"Title\": "), std::string::npos) << details.summary;
  ConvertDocument(CommandLineOptions{}, dir.Path(), {}, &details);
  EXPECT_EQ(details.failure, FailureKind::FileUnreadable);
  EXPECT_EQ(details.readerName, "");
  EXPECT_EQ(details.summary, "null");
}

} // namespace
} // namespace scrivlet
