// The encrypted files of the shared corpus: those pdftotext opens (with the
// password their name gives, "..._userpw-foo.pdf", as user or owner
// password) open here too, their compressed streams decode, and their page
// counts and Info titles equal pdfinfo's, and the program converts them;
// the others fail with "Password is not valid".
// Skips when the corpus or poppler's tools are missing.
#include "core/Utf8.h"
#include "pdf/security/DocumentSecurity.h"

#include "pdf/DocumentInfo.h"
#include "pdf/PageTree.h"

#include "core/Exception.h"
#include "support/ChildProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace scrivlet {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string PasswordFromName(const std::string& name) {
  const size_t at = name.find("_userpw-");
  if (at == std::string::npos)
    return {};
  const size_t start = at + 8;
  return name.substr(start, name.rfind(".pdf") - start);
}

// A field of pdfinfo's report ("Title", "Pages"); empty when absent.
std::string PdfinfoField(const std::string& path, const std::string& password,
                         const std::string& field) {
  const test::ChildResult info =
      test::RunChild("/usr/bin/pdfinfo", {"-opw", password, "-upw", password, path}, {});
  const std::string report = "\n" + info.out;
  const size_t at = report.find("\n" + field + ":");
  if (at == std::string::npos)
    return {};
  const size_t start = report.find_first_not_of(' ', at + field.size() + 2);
  return report.substr(start, report.find('\n', start) - start);
}

// Compressed streams of at least a few bytes that decrypt to nothing mean a
// wrong key: Flate data do not survive it.
int EmptyFlateStreams(const pdf::PdfDocument& document, int& checked) {
  int empty = 0;
  for (const auto& [number, entry] : document.Xref().Entries()) {
    if (entry.Type != pdf::XrefEntry::Kind::InFile)
      continue;
    const pdf::IndirectObject object = document.Object(number);
    if (!object.Stream || object.Stream->size() < 32 ||
        !pdf::NameIs(pdf::GetKeyValue("/filter", object.Dictionary), "/flatedecode"))
      continue;
    ++checked;
    if (document.StreamData(object).empty())
      ++empty;
  }
  return empty;
}

TEST(CorpusEncryptedFiles, OpenWhereThePeersOpen) {
  const fs::path dir = fs::path(SCRIVLET_CORPUS_DIR) / "pdf";
  if (!fs::is_directory(dir))
    GTEST_SKIP() << "corpus not found at " << dir;
  if (!fs::exists("/usr/bin/pdftotext") || !fs::exists("/usr/bin/pdfinfo"))
    GTEST_SKIP() << "poppler-utils (pdftotext, pdfinfo) not installed";
  int encrypted = 0;
  for (const auto& item : fs::directory_iterator(dir)) {
    if (item.path().extension() != ".pdf")
      continue;
    const std::string path = item.path().string();
    const std::string name = item.path().filename().string();
    std::unique_ptr<pdf::PdfDocument> document;
    try {
      document = std::make_unique<pdf::PdfDocument>(ReadFile(item.path()));
    } catch (const Exception&) {
      continue; // not the security handler's concern
    }
    if (!document->IsEncrypted())
      continue;
    ++encrypted;
    SCOPED_TRACE(name);
    const std::string password = PasswordFromName(name);
    const bool peerOpens =
        test::RunChild("/usr/bin/pdftotext",
                       {"-opw", password, "-upw", password, path, "/dev/null"}, {})
            .status == 0;
    std::string message = "opened";
    try {
      UnlockDocument(*document, password);
    } catch (const Exception& e) {
      message = e.Message();
    }
    std::vector<std::string> args = {path};
    if (!password.empty())
      args = {"--password", password, path};
    EXPECT_EQ(test::RunChild(SCRIVLET_CLI_PATH, args, {}).status, peerOpens ? 0 : 1);
    if (!peerOpens) {
      EXPECT_EQ(message, "Password is not valid");
      continue;
    }
    ASSERT_EQ(message, "opened");
    int checked = 0;
    EXPECT_EQ(EmptyFlateStreams(*document, checked), 0) << checked << " streams checked";
    EXPECT_EQ(std::to_string(pdf::CountPages(*document)), PdfinfoField(path, password, "Pages"));
    const std::string title = PdfinfoField(path, password, "Title");
    if (!title.empty()) {
      EXPECT_EQ(WideToUtf8(pdf::ReadDocumentInfo(*document).Title), title);
    }
  }
  EXPECT_GT(encrypted, 0);
}

} // namespace
} // namespace scrivlet
