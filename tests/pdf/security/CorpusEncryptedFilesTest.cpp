// The encrypted files of the shared corpus: those pdftotext opens (with the
// password their name gives, "..._userpw-foo.pdf", as user or owner
// password) open here too, their compressed streams decode and their Info
// titles equal pdfinfo's; the others fail with "Password is not valid".
// Skips when the corpus or poppler's tools are missing.
#include "pdf/security/DocumentSecurity.h"

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

// Bytes of a text string (UTF-16BE with its mark, else taken as Latin-1) as
// UTF-8, as pdfinfo writes titles.
std::string TextStringToUtf8(std::string_view bytes) {
  auto put = [](std::string& out, uint32_t c) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  };
  std::string out;
  if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') {
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
      put(out,
          static_cast<unsigned char>(bytes[i]) << 8 | static_cast<unsigned char>(bytes[i + 1]));
  } else {
    for (unsigned char c : bytes)
      put(out, c);
  }
  return out;
}

std::string PdfinfoTitle(const std::string& path, const std::string& password) {
  const test::ChildResult info =
      test::RunChild("/usr/bin/pdfinfo", {"-opw", password, "-upw", password, path}, {});
  const size_t at = info.out.find("Title:");
  if (at == std::string::npos)
    return {};
  size_t start = info.out.find_first_not_of(' ', at + 6);
  return info.out.substr(start, info.out.find('\n', start) - start);
}

std::string Title(const pdf::PdfDocument& document) {
  const auto ref = document.Info();
  if (!ref)
    return {};
  const pdf::IndirectObject info = document.Object(ref->Number);
  const size_t at = pdf::FindKey(info.Dictionary, "/title");
  if (at == std::string_view::npos)
    return {};
  const auto bytes = pdf::DecodeStringToken(info.Dictionary.substr(at + 6));
  return bytes ? TextStringToUtf8(document.DecryptString(*bytes, info)) : std::string();
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
    if (!peerOpens) {
      EXPECT_EQ(message, "Password is not valid");
      continue;
    }
    ASSERT_EQ(message, "opened");
    int checked = 0;
    EXPECT_EQ(EmptyFlateStreams(*document, checked), 0) << checked << " streams checked";
    const std::string expected = PdfinfoTitle(path, password);
    if (!expected.empty()) {
      EXPECT_EQ(Title(*document), expected);
    }
  }
  EXPECT_GT(encrypted, 0);
}

} // namespace
} // namespace scrivlet
