// Password-protected Word 97-2003, Word 2007+ and OpenDocument files: each
// kind of encryption opens with its password, refuses a wrong one or none
// with the messages the front ends show, and says it is encrypted.
#include "core/Utf8.h"
#include "frontend/CgiPage.h"
#include "frontend/Conversion.h"
#include "frontend/ReaderRegistry.h"
#include "support/ChildProcess.h"
#include "support/DocxBuilder.h"
#include "support/EncryptionBuilder.h"
#include "support/OpenDocumentBuilder.h"
#include "support/TempDir.h"
#include "support/WordBuilder.h"
#include "support/ZipBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace scrivlet {
namespace {

using test::AgileEncryptedPackage;
using test::AgileOptions;
using test::EncryptedOpenDocument;
using test::EncryptedWordDocument;
using test::OdfCipher;
using test::StandardEncryptedPackage;
using test::XorObfuscatedWordDocument;

const std::u16string kText = u"Minutes of the secret meeting";

std::string MainText(const Document& document) {
  std::string text;
  for (const Block& block : document.Main().blocks)
    text += WideToUtf8(block.Text()) + "\n";
  return text;
}

test::WordBuilder WordText() {
  test::WordBuilder word;
  word.pieces = {{kText + u"\r", true}};
  return word;
}

std::string DocxPackage() {
  test::DocxBuilder docx;
  docx.body = test::DocxBuilder::Paragraph(test::DocxBuilder::Run(WideToUtf8(kText)));
  return docx.Build();
}

test::OpenDocumentBuilder OdfText(bool presentation = false) {
  test::OpenDocumentBuilder odf;
  odf.presentation = presentation;
  odf.body = presentation ? "<draw:page><draw:frame><draw:text-box><text:p>" + WideToUtf8(kText) +
                                "</text:p></draw:text-box></draw:frame></draw:page>"
                          : "<text:p>" + WideToUtf8(kText) + "</text:p>";
  odf.meta = "<?xml version=\"1.0\"?><office:document-meta><office:meta><dc:title>Board"
             "</dc:title></office:meta></office:document-meta>";
  return odf;
}

struct EncryptedCase {
  const char* name; // the file's name: its extension chooses the reader
  std::string password;
  std::function<std::string(const std::string& password)> build;
};

std::vector<EncryptedCase> Cases() {
  using std::optional;
  auto utf16 = [](const std::string& password) { return Utf8ToUtf16(password); };
  return {
      {"rc4.doc", "sesame",
       [=](const std::string& p) { return EncryptedWordDocument(WordText(), utf16(p), {}); }},
      {"cryptoapi40.doc", "s\xc3\xa9same", // é: the password's UTF-16 is hashed
       [=](const std::string& p) { return EncryptedWordDocument(WordText(), utf16(p), 40u); }},
      {"cryptoapi128.doc", "sesame",
       [=](const std::string& p) { return EncryptedWordDocument(WordText(), utf16(p), 128u); }},
      {"xor.doc", "sesame",
       [=](const std::string& p) { return XorObfuscatedWordDocument(WordText(), utf16(p)); }},
      {"xor95.doc", "Fifteen letters",
       [=](const std::string& p) {
         test::WordBuilder word95 = WordText();
         word95.nFib = 104;
         return XorObfuscatedWordDocument(word95, utf16(p));
       }},
      {"standard128.docx", "sesame",
       [=](const std::string& p) { return StandardEncryptedPackage(DocxPackage(), utf16(p)); }},
      {"standard256.docx", "sesame",
       [=](const std::string& p) {
         return StandardEncryptedPackage(DocxPackage(), utf16(p), 256);
       }},
      {"agile-sha512.docx", "sesame",
       [=](const std::string& p) { return AgileEncryptedPackage(DocxPackage(), utf16(p)); }},
      // A 20-byte SHA-1 hash made a 32-byte key: padded with 0x36.
      {"agile-sha1.docx", "sesame",
       [=](const std::string& p) {
         return AgileEncryptedPackage(DocxPackage(), utf16(p),
                                      {HashAlgorithm::Sha1, 100, 256, false, {}});
       }},
      {"agile-sha256-aes128.docx", "sesame",
       [=](const std::string& p) {
         return AgileEncryptedPackage(DocxPackage(), utf16(p),
                                      {HashAlgorithm::Sha256, 100, 128, false, {}});
       }},
      {"blowfish.odt", "sesame",
       [](const std::string& p) {
         return EncryptedOpenDocument(OdfText(), p, OdfCipher::Blowfish);
       }},
      {"aes.odt", "s\xc3\xa9same",
       [](const std::string& p) { return EncryptedOpenDocument(OdfText(), p, OdfCipher::Aes); }},
      {"aes.odp", "sesame",
       [](const std::string& p) {
         return EncryptedOpenDocument(OdfText(true), p, OdfCipher::Aes);
       }},
  };
}

Conversion ConvertNamed(const std::string& bytes, const std::string& name,
                        const std::string& password) {
  ReaderOptions options;
  options.password = password;
  return Convert(bytes, name, ReaderForFileName(name), options);
}

TEST(EncryptedDocuments, OpenWithTheirPasswordOnly) {
  for (const EncryptedCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    const std::string bytes = c.build(c.password);
    Conversion opened = ConvertNamed(bytes, c.name, c.password);
    EXPECT_FALSE(opened.failed) << opened.error;
    EXPECT_TRUE(opened.encrypted);
    EXPECT_NE(MainText(opened.document).find(WideToUtf8(kText)), std::string::npos)
        << MainText(opened.document);

    Conversion wrong = ConvertNamed(bytes, c.name, "guess");
    EXPECT_EQ(wrong.error, "The password is not valid");
    EXPECT_TRUE(wrong.passwordRefused);
    EXPECT_TRUE(wrong.encrypted);
    EXPECT_EQ(MainText(wrong.document), ""); // nothing made of undecrypted bytes

    Conversion none = ConvertNamed(bytes, c.name, "");
    EXPECT_EQ(none.error,
              std::string(c.name) + " is protected by a password (give it with --password)");
    EXPECT_TRUE(none.passwordRefused);
  }
}

TEST(EncryptedDocuments, DamageIsNotAWrongPassword) {
  AgileOptions spoiled;
  spoiled.spoilHmac = true;
  Conversion agile =
      ConvertNamed(AgileEncryptedPackage(DocxPackage(), u"sesame", spoiled), "a.docx", "sesame");
  EXPECT_EQ(agile.error, "The encrypted package is damaged");
  EXPECT_FALSE(agile.passwordRefused);
  // OpenDocument's checksum is its only password check: a spoiled one
  // refuses every password.
  Conversion odf = ConvertNamed(
      EncryptedOpenDocument(OdfText(), "sesame", OdfCipher::Aes, 1024, true), "a.odt", "sesame");
  EXPECT_EQ(odf.error, "The password is not valid");
}

// A key size the cipher cannot take is damage, not a key of that many
// bytes to derive.
TEST(EncryptedDocuments, KeySizesOutsideTheCiphersAreDamage) {
  test::ZipBuilder zip;
  zip.Add("content.xml", std::string(64, 'x'), 0);
  zip.Add("META-INF/manifest.xml",
          "<manifest:manifest><manifest:file-entry manifest:full-path=\"content.xml\">"
          "<manifest:encryption-data><manifest:algorithm manifest:algorithm-name=\"http://"
          "www.w3.org/2001/04/xmlenc#aes256-cbc\" manifest:initialisation-vector=\"AAAA\"/>"
          "<manifest:key-derivation manifest:key-derivation-name=\"PBKDF2\" manifest:key-size="
          "\"900000000\" manifest:iteration-count=\"1\" manifest:salt=\"AAAA\"/>"
          "</manifest:encryption-data></manifest:file-entry></manifest:manifest>");
  EXPECT_EQ(ConvertNamed(zip.Build(), "huge.odt", "sesame").error,
            "The encryption data of content.xml are damaged");
}

TEST(EncryptedDocuments, KeyDerivationRoundsAreCappedBeforeAnyRuns) {
  // The descriptor announces 100 million spins; the rounds limit refuses
  // them before the first (running them would take minutes).
  AgileOptions costly;
  costly.spinCount = 10;
  costly.announcedSpinCount = 100'000'000;
  Conversion agile =
      ConvertNamed(AgileEncryptedPackage(DocxPackage(), u"sesame", costly), "a.docx", "sesame");
  EXPECT_EQ(agile.error, "The document exceeds the limit of 10000000 key derivation rounds");
  // The limit holds for all of a document's derivations: OpenDocument
  // derives a key per member (here content.xml, then meta.xml).
  ReaderOptions lower;
  lower.password = "sesame";
  lower.limits.keyDerivationRounds = 1000;
  Conversion odf = Convert(EncryptedOpenDocument(OdfText(), "sesame", OdfCipher::Aes, 600), "a.odt",
                           ReaderForFileName("a.odt"), lower);
  EXPECT_EQ(odf.error, "The document exceeds the limit of 1000 key derivation rounds");
  EXPECT_NE(MainText(odf.document).find(WideToUtf8(kText)), std::string::npos);
  lower.limits.keyDerivationRounds = 1200;
  EXPECT_FALSE(Convert(EncryptedOpenDocument(OdfText(), "sesame", OdfCipher::Aes, 600), "a.odt",
                       ReaderForFileName("a.odt"), lower)
                   .failed);
}

TEST(EncryptedDocuments, UnsupportedEncryptionsAreNamed) {
  test::ZipBuilder argon;
  argon.Add("mimetype", "application/vnd.oasis.opendocument.text", 0);
  argon.Add("content.xml", std::string(64, 'x'), 0);
  argon.Add("META-INF/manifest.xml",
            "<manifest:manifest><manifest:file-entry manifest:full-path=\"content.xml\">"
            "<manifest:encryption-data manifest:checksum-type=\"SHA1/1K\" manifest:checksum=\"\">"
            "<manifest:algorithm manifest:algorithm-name=\"http://www.w3.org/2009/"
            "xmlenc11#aes256-gcm\" manifest:initialisation-vector=\"AAAA\"/>"
            "<manifest:key-derivation manifest:key-derivation-name=\"urn:org:documentfoundation:"
            "names:experimental:office:manifest:argon2id\" manifest:salt=\"AAAA\"/>"
            "</manifest:encryption-data></manifest:file-entry></manifest:manifest>");
  Conversion odf = ConvertNamed(argon.Build(), "new.odt", "sesame");
  EXPECT_EQ(odf.error, "The document is encrypted with the cipher "
                       "http://www.w3.org/2009/xmlenc11#aes256-gcm (OpenDocument), which this "
                       "program cannot decrypt");
  EXPECT_TRUE(odf.encrypted);
  EXPECT_FALSE(odf.passwordRefused);
}

TEST(EncryptedDocuments, TheWebPageAsksForThePassword) {
  test::TempDir dir;
  // Named .doc, with the placeholder "WordDocument" stream Office writes:
  // the Word 97 reader refuses it and the page reads it by its content.
  const std::string bytes = StandardEncryptedPackage(DocxPackage(), u"sesame", 128, true);
  std::vector<const ReaderKind*> byContent = ReadersBySignature(bytes);
  ASSERT_EQ(byContent.size(), 1u);
  EXPECT_EQ(byContent.front(), &ReaderForFileName("a.docx"));
  dir.Write("locked.doc", bytes);
  PageConfig root;
  root.documentRoot = dir.Path();
  CgiRequest request{false, "locked.doc"};
  PageContent asked = ConvertForPage(request, root);
  EXPECT_EQ(asked.error, "This document is protected by a password");
  EXPECT_TRUE(asked.passwordRequired);
  EXPECT_TRUE(RenderPage(request, root, asked).starts_with("Status: 403 Forbidden"));
  request.password = "guess";
  EXPECT_EQ(ConvertForPage(request, root).error, "The password is not valid");
  request.password = "sesame";
  PageContent opened = ConvertForPage(request, root);
  EXPECT_EQ(opened.error, "");
  EXPECT_FALSE(opened.passwordRequired);
  std::string text;
  for (const std::string& line : opened.lines)
    text += line + "\n";
  EXPECT_NE(text.find(WideToUtf8(kText)), std::string::npos) << text;
}

// The peer (msoffcrypto-tool) decrypts what the test builders encrypt, so
// the builders write these encryptions as Office does; the documents it
// gives back read without a password.
TEST(EncryptedDocuments, ThePeerDecryptsWhatTheBuildersEncrypt) {
  const std::string tool = "/usr/bin/msoffcrypto-tool";
  if (!std::filesystem::exists(tool))
    GTEST_SKIP() << "python3-msoffcrypto-tool not installed (make test installs it)";
  test::TempDir dir;
  for (const EncryptedCase& c : Cases()) {
    const std::string name = c.name;
    if (name.ends_with(".odt") || name.ends_with(".odp") || name.starts_with("xor") ||
        name == "agile-sha1.docx")
      continue; // not the peer's kinds; it cannot pad a SHA-1 key to 256 bits
    SCOPED_TRACE(name);
    const std::string locked = dir.Write(name, c.build(c.password));
    const std::string plain = locked + ".plain";
    test::ChildResult decrypt =
        test::RunChild(tool, {"-p", c.password, locked, plain}, {"PATH=/usr/bin:/bin"});
    ASSERT_EQ(decrypt.status, 0) << decrypt.err;
    Conversion opened = ConvertFile(plain, ReaderForFileName(name), ReaderOptions());
    EXPECT_FALSE(opened.failed) << opened.error;
    EXPECT_NE(MainText(opened.document).find(WideToUtf8(kText)), std::string::npos);
  }
}

// The corpus's encrypted files, with the passwords their sources give.
TEST(EncryptedDocumentsCorpus, OpenWithTheirPasswords) {
  const std::filesystem::path dir(SCRIVLET_CORPUS_DIR);
  if (!std::filesystem::is_directory(dir))
    GTEST_SKIP() << "no corpus at " << dir;
  const struct {
    const char *file, *password, *text;
  } files[] = {
      {"doc/poi_password_password_cryptoapi.doc", "password", "This is a test"},
      {"docx/poi_bug53475-password-is-pass.docx", "pass", "The is a password protected document."},
      {"docx/poi_bug53475-password-is-solrcell.docx", "solrcell",
       "This is password protected Word document."},
      {"odt/tika_testODTEncrypted.odt", "tika", "Shhhhhhhhhhh!"},
  };
  for (const auto& f : files) {
    SCOPED_TRACE(f.file);
    ReaderOptions options;
    options.password = f.password;
    const std::string path = (dir / f.file).string();
    Conversion opened = ConvertFile(path, ReaderForFileName(path), options);
    EXPECT_FALSE(opened.failed) << opened.error;
    EXPECT_TRUE(opened.encrypted);
    EXPECT_NE(MainText(opened.document).find(f.text), std::string::npos)
        << MainText(opened.document);
    options.password = "guess";
    EXPECT_EQ(ConvertFile(path, ReaderForFileName(path), options).error,
              "The password is not valid");
  }
}

} // namespace
} // namespace scrivlet
