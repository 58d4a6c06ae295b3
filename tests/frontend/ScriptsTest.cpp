// Text in every script: documents of Cyrillic, Japanese and Western text
// through both programs, with the default UTF-8 system code page and with a
// legacy single-byte one.
#include "core/CodePage.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"
#include "support/WordPerfectBuilder.h"
#include "support/WriteBuilder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

namespace scrivlet {
namespace {

using test::RunChild;
using test::TempDir;

// Asked for by each test, so that the corpus report counts it.
std::filesystem::path Corpus() {
  return SCRIVLET_CORPUS_DIR;
}

// The CGI as a web server starts it without a document root: in the
// document's folder, asked for the name below it.
test::ChildResult RequestPage(const std::filesystem::path& file,
                              std::vector<std::string> environment = {}) {
  environment.push_back("QUERY_STRING=filename=" + file.filename().string());
  return RunChild(
      "/bin/sh",
      {"-c", "cd \"$1\" && exec \"$2\"", "sh", file.parent_path().string(), SCRIVLET_CGI_PATH},
      environment);
}

bool IsValidUtf8(std::string_view bytes) {
  return WideToUtf8(Utf8ToUtf16(bytes)) == bytes;
}

// The value of a string key of the JSON object, as the CLI writes it (no
// escapes inside the values these tests look at).
std::string JsonValue(const std::string& json, const std::string& key) {
  std::string needle = "\"" + key + "\": \"";
  size_t at = json.find(needle);
  if (at == std::string::npos)
    return "(missing)";
  at += needle.size();
  return json.substr(at, json.find('"', at) - at);
}

// Decodes what RtfUnicodeText writes: "\uN?" escapes back to characters.
std::u16string DecodeRtfUnicode(std::string_view rtf) {
  std::u16string out;
  for (size_t i = 0; i < rtf.size(); ++i) {
    if (rtf.compare(i, 2, "\\u") == 0 && i + 2 < rtf.size() &&
        (rtf[i + 2] == '-' || std::isdigit(static_cast<unsigned char>(rtf[i + 2])))) {
      size_t end = i + 3;
      while (end < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[end])))
        ++end;
      int value = std::stoi(std::string(rtf.substr(i + 2, end - i - 2)));
      out += static_cast<char16_t>(static_cast<uint16_t>(static_cast<int16_t>(value)));
      i = end; // the "?" fallback character
      continue;
    }
    out += static_cast<char16_t>(static_cast<unsigned char>(rtf[i]));
  }
  return out;
}

struct ScriptCase {
  const char* file; // below the corpus folder
  const char* title;
  const char* author; // "" when not checked
  const char* passage;
};

const ScriptCase kCases[] = {
    {"doc/poi_rasp.doc", "Распоряжение на выдачу информации из реестра ________________", "",
     "Распоряжение на выдачу информации из реестра"},
    {"doc/poi_Bug34898.doc", "ディレクトリ", "", "ディレクトリ"},
    {"fb2/seb_book1.fb2", "Робинзоны", "Константин Георгиевич Калбанов",
     "Грохот подвески, скрежет, испуганный крик"},
    {"epub/idpf_kusamakura-japanese-vertical-writing.epub", "草枕", "夏目 漱石",
     "山路を登りながら、こう考えた。"},
};

class Scripts : public ::testing::Test {
protected:
  void SetUp() override {
    if (!std::filesystem::is_directory(Corpus()))
      GTEST_SKIP() << "no corpus at " << Corpus();
  }
};

TEST_F(Scripts, CommandLineKeepsEveryCharacter) {
  for (const ScriptCase& c : kCases) {
    std::string file = (Corpus() / c.file).string();
    auto json = RunChild(SCRIVLET_CLI_PATH, {"--json", file}, {});
    EXPECT_EQ(json.status, 0) << c.file << json.err;
    EXPECT_TRUE(json.out.find(c.passage) != std::string::npos) << c.file;
    EXPECT_EQ(JsonValue(json.out, "Title").rfind(c.title, 0), 0u) << c.file;
    if (*c.author) {
      EXPECT_EQ(JsonValue(json.out, "Author"), c.author) << c.file;
    }
    auto plain = RunChild(SCRIVLET_CLI_PATH, {file}, {});
    EXPECT_TRUE(IsValidUtf8(plain.out)) << c.file;
    EXPECT_NE(plain.out.find(c.passage), std::string::npos) << c.file;
    EXPECT_EQ(plain.out.find("??"), std::string::npos) << c.file;
    auto html = RunChild(SCRIVLET_CLI_PATH, {"--format", "html", file}, {});
    EXPECT_NE(html.out.find("charset=utf-8"), std::string::npos) << c.file;
    EXPECT_NE(html.out.find(c.passage), std::string::npos) << c.file;
  }
}

TEST_F(Scripts, WebPageIsUtf8AndSaysSo) {
  TempDir dir;
  for (const ScriptCase& c : kCases) {
    // The CGI lower-cases its query: a lower-case copy of the document (a
    // link would lead out of the folder the CGI serves, and be refused).
    std::string link = dir.File(std::filesystem::path(c.file).filename().string());
    for (char& ch : link)
      ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    std::filesystem::copy_file(Corpus() / c.file, link);
    auto page = RequestPage(link);
    EXPECT_EQ(page.out.rfind("Content-Type: text/html; charset=utf-8\r\n", 0), 0u) << c.file;
    EXPECT_NE(page.out.find("<meta charset=\"utf-8\">"), std::string::npos) << c.file;
    EXPECT_NE(page.out.find(std::string("<h1 align=\"center\">") + c.title), std::string::npos)
        << c.file;
    EXPECT_NE(page.out.find(c.passage), std::string::npos) << c.file;
    EXPECT_TRUE(IsValidUtf8(page.out)) << c.file;
  }
}

TEST_F(Scripts, LegacyCodePageKeepsItsBytes) {
  std::string file = (Corpus() / kCases[0].file).string();
  auto utf8 = RunChild(SCRIVLET_CLI_PATH, {file}, {});
  auto legacy = RunChild(SCRIVLET_CLI_PATH, {file}, {"SCRIVLET_CODEPAGE=1251"});
  EXPECT_EQ(legacy.status, 0);
  EXPECT_EQ(legacy.out, WideToAnsi(Utf8ToUtf16(utf8.out), 1251));
  auto page = RequestPage(file, {"SCRIVLET_CODEPAGE=1251"});
  EXPECT_EQ(page.out.rfind("Content-Type: text/html; charset=windows-1251\r\n", 0), 0u);
  EXPECT_NE(page.out.find(WideToAnsi(Utf8ToUtf16(kCases[0].passage), 1251)), std::string::npos);
}

TEST_F(Scripts, RtfCarriesEveryCharacterAsUnicodeEscapes) {
  for (const ScriptCase& c : kCases) {
    std::string file = (Corpus() / c.file).string();
    auto rtf = RunChild(SCRIVLET_CLI_PATH, {"--format", "rtf", file}, {});
    EXPECT_EQ(rtf.status, 0) << c.file;
    EXPECT_TRUE(rtf.out.starts_with("{\\rtf1\\ansi\\ansicpg1252\\uc1")) << c.file;
    for (char ch : rtf.out)
      ASSERT_LT(static_cast<unsigned char>(ch), 0x80) << c.file;
    EXPECT_NE(DecodeRtfUnicode(rtf.out).find(Utf8ToUtf16(c.passage)), std::u16string::npos)
        << c.file;
  }
}

TEST(ScriptsSetting, UnknownCodePageIsAUsageError) {
  TempDir dir;
  std::string file = dir.Write("a.wri", "");
  auto result = RunChild(SCRIVLET_CLI_PATH, {file}, {"SCRIVLET_CODEPAGE=koi8"});
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("SCRIVLET_CODEPAGE=koi8"), std::string::npos);
  // The web page never fails for it: the default applies.
  auto page = RequestPage(file, {"SCRIVLET_CODEPAGE=koi8"});
  EXPECT_EQ(page.out.rfind("Content-Type: text/html; charset=utf-8\r\n", 0), 0u);
}

// 8-bit text of Write and WordPerfect documents is Windows-1252 on a
// Western system; it is never taken for UTF-8.
TEST(ScriptsSetting, EightBitDocumentsGiveTheSameWordsInBothModes) {
  TempDir dir;
  test::WriteBuilder write;
  write.text = "caf\xe9 na\xefve\r\n";
  write.AddRun(write.text.size());
  write.AddParagraph(write.text.size());
  write.AddFont(0x10, "Arial");
  test::WordPerfectBuilder perfect;
  perfect.body = "Na" + test::WordPerfectBuilder::Extended(53, 1) + "ve";
  for (auto [name, bytes, word] :
       {std::tuple<std::string, std::string, std::string>{"a.wri", write.Build(), "caf\xe9"},
        {"b.wpd", perfect.Build(), "Na\xefve"}}) {
    std::string file = dir.Write(name, bytes);
    auto utf8 = RunChild(SCRIVLET_CLI_PATH, {file}, {});
    auto legacy = RunChild(SCRIVLET_CLI_PATH, {file}, {"SCRIVLET_CODEPAGE=1252"});
    EXPECT_NE(utf8.out.find(WideToUtf8(AnsiToWide(word, 1252))), std::string::npos) << name;
    EXPECT_NE(legacy.out.find(word), std::string::npos) << name;
    EXPECT_EQ(WideToUtf8(AnsiToWide(legacy.out, 1252)), utf8.out) << name;
  }
}

} // namespace
} // namespace scrivlet
