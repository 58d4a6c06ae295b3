#include "frontend/ReaderRegistry.h"

#include "core/ByteReader.h"
#include "support/CompoundFileBuilder.h"
#include "support/SampleDocuments.h"
#include "support/WordBuilder.h"
#include "support/WordPerfectBuilder.h"
#include "support/ZipBuilder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace scrivlet {
namespace {

std::string Names(std::string_view data) {
  std::string names;
  for (const ReaderKind* kind : ReadersBySignature(data))
    names += std::string(names.empty() ? "" : ",") + kind->name;
  return names;
}

std::string Detected(std::string_view data, std::string_view fileName = "noextension") {
  return DetectReader(data, fileName).name;
}

std::string Package(std::initializer_list<std::pair<std::string, std::string>> members) {
  test::ZipBuilder zip;
  for (const auto& [name, data] : members)
    zip.Add(name, data, 0);
  return zip.Build();
}

std::string WordPerfectDocument() {
  test::WordPerfectBuilder builder;
  builder.body = "Hello";
  std::string file = builder.Build();
  file[8] = 1;  // WordPerfect
  file[9] = 10; // a document
  return file;
}

TEST(ContentDetection, EachFormatByItsSignature) {
  test::WordBuilder word;
  word.pieces = {{u"Hello\r", true}};
  EXPECT_EQ(Detected(word.Build()), "doc");
  test::WordBuilder word2;
  word2.nFib = 45;
  word2.wIdent = 0xA5DB;
  word2.pieces = {{u"Hello\r", true}};
  EXPECT_EQ(Detected(word2.MainStream()), "doc");
  EXPECT_EQ(Detected(test::SampleWriteLetter(), "letter.doc"), "wri");
  EXPECT_EQ(Detected(WordPerfectDocument(), "x.doc"), "wpd");
  test::CompoundFileBuilder wpStorage;
  wpStorage.AddStream(u"PerfectOffice_MAIN", WordPerfectDocument());
  EXPECT_EQ(Detected(wpStorage.Build()), "wpd");
  EXPECT_EQ(Detected(Package(
                {{"[Content_Types].xml", "<Types/>"}, {"word/document.xml", "<w:document/>"}})),
            "docx");
  EXPECT_EQ(Detected(Package({{"mimetype", "application/vnd.oasis.opendocument.text"},
                              {"content.xml", "<x/>"}})),
            "odt");
  EXPECT_EQ(Detected(Package({{"mimetype", "application/vnd.oasis.opendocument.presentation"}})),
            "odp");
  EXPECT_EQ(Detected(Package({{"mimetype", "application/epub+zip"}})), "epub");
  EXPECT_EQ(Detected("%PDF-1.4\n%\xE2\xE3\n"), "pdf");
  EXPECT_EQ(
      Detected("\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!-- book -->\n<FictionBook xmlns=\"x\">"),
      "fb2");
}

TEST(ContentDetection, PartialSignaturesDoNotMatch) {
  EXPECT_EQ(Names("%PDF"), "");
  EXPECT_EQ(Names("PK\x03\x04 not really a zip"), "");
  EXPECT_EQ(Names(Package({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}})), "");
  EXPECT_EQ(Names(Package({{"word/other.xml", "<x/>"}})), "");
  EXPECT_EQ(Names("<?xml version=\"1.0\"?><FictionBookish/>"), "");
  EXPECT_EQ(Names("<html><FictionBook>"), ""); // not the root element
  std::string write = test::SampleWriteLetter();
  write[5] = 0; // the tool word is no longer 0xAB00
  EXPECT_EQ(Names(write), "");
  EXPECT_EQ(Names(std::string("\x31\xBE\0\0", 4)), ""); // identifier without its header
  std::string wordPerfect = WordPerfectDocument();
  wordPerfect[9] = 11; // a file type other than a document
  EXPECT_EQ(Names(wordPerfect), "");
  test::CompoundFileBuilder other;
  other.AddStream(u"Workbook", "cells");
  EXPECT_EQ(Names(other.Build()), "");
  EXPECT_EQ(Names(""), "");
}

// The root entry's child made an entry past the directory's end: damage
// found only when the storage is searched.
std::string CompoundFileWithCyclicDirectory() {
  test::CompoundFileBuilder builder;
  builder.AddStream(u"WordDocument", "x");
  std::string file = builder.Build();
  uint32_t directorySector = ByteReader::Get32(file, 0x30);
  size_t rootChild = 512 * (size_t{directorySector} + 1) + 76;
  file.replace(rootChild, 4, std::string("\xE8\x03\0\0", 4)); // entry 1000
  return file;
}

TEST(ContentDetection, DamagedCompoundFilesMatchNothing) {
  std::string damaged = CompoundFileWithCyclicDirectory();
  EXPECT_EQ(Names(damaged), "");
  EXPECT_EQ(Detected(damaged, "x.wpd"), "wpd");
}

TEST(ContentDetection, TheExtensionDecidesWhenNothingOrTwoFormatsMatch) {
  EXPECT_EQ(Detected("plain text", "notes.fb2"), "fb2");
  EXPECT_EQ(Detected("plain text", "notes.txt"), "doc"); // the default reader
  test::CompoundFileBuilder both;
  both.AddStream(u"WordDocument", "x");
  both.AddStream(u"PerfectOffice_MAIN", WordPerfectDocument());
  EXPECT_EQ(Names(both.Build()), "wpd,doc");
  EXPECT_EQ(Detected(both.Build(), "a.wpd"), "wpd");
  EXPECT_EQ(Detected(both.Build(), "a.doc"), "doc");
  // A content match wins over a misleading extension.
  EXPECT_EQ(Detected("%PDF-1.7", "report.docx"), "pdf");
}

// Every document of the corpus is recognised as the format of its folder
// (a Word XML package whose main part lies elsewhere than word/document.xml
// matches no signature, and a protected one two: their extension decides).
TEST(ContentDetection, CorpusDocumentsByContent) {
  std::filesystem::path corpus = SCRIVLET_CORPUS_DIR;
  if (!std::filesystem::is_directory(corpus))
    GTEST_SKIP() << "corpus folder " << corpus << " not present";
  size_t checked = 0;
  for (const char* kind : {"doc", "docx", "wpd", "wri", "odt", "odp", "fb2", "epub", "pdf"}) {
    if (!std::filesystem::is_directory(corpus / kind))
      continue;
    for (const auto& entry : std::filesystem::directory_iterator(corpus / kind)) {
      if (entry.path().extension() == ".txt")
        continue; // the expected text beside a document
      std::ifstream file(entry.path(), std::ios::binary);
      std::string data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
      EXPECT_EQ(Detected(data, entry.path().string()), kind) << entry.path();
      std::string names = Names(data);
      if (names != kind) {
        EXPECT_TRUE(names.empty() || names.find(',') != std::string::npos)
            << entry.path() << ": " << names;
      }
      ++checked;
    }
  }
  EXPECT_GT(checked, 0u);
}

} // namespace
} // namespace scrivlet
