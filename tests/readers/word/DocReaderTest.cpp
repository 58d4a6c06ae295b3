#include "readers/word/DocReader.h"
#include "core/CodePage.h"
#include "core/Exception.h"
#include "core/Stream.h"
#include "support/CompoundFileBuilder.h"
#include "support/ReaderHarness.h"
#include "support/TempDir.h"
#include "support/WordBuilder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace scrivlet {
namespace {

using test::PropertyValue;
using test::WordBuilder;

using Reader = test::ReaderHarness<DocReader>;

std::unique_ptr<Reader> Load(const std::string& bytes,
                             OutputFormat formating = OutputFormat::PlainText) {
  auto reader = std::make_unique<Reader>();
  reader->SetTextFormating(formating);
  MemoryStream stream(bytes);
  reader->LoadFromStream(stream);
  return reader;
}

// The converted text entry (between prologue and epilogue).
std::u16string Text(const std::string& bytes) {
  return Load(bytes)->Lines().Get(1);
}

WordBuilder Document(std::u16string text, bool compressed = true) {
  WordBuilder b;
  b.pieces = {{std::move(text), compressed}};
  return b;
}

std::string Failure(const std::string& bytes) {
  try {
    Load(bytes);
  } catch (const Exception& e) {
    return e.Message();
  }
  return "no error";
}

// ------------------------------------------------------------ pieces

TEST(WordPieces, EightAndSixteenBitPieces) {
  WordBuilder b;
  b.pieces = {{u"Hello ", true}, {u"\u0416\u4e2d world\r", false}, {u"caf\u00e9\r", true}};
  auto reader = Load(b.Build());
  ASSERT_EQ(reader->Lines().Count(), 3);
  EXPECT_EQ(reader->Lines().Get(0), u"");
  EXPECT_EQ(reader->Lines().Get(1), u"Hello \u0416\u4e2d world\r\ncaf\u00e9\r\n");
  EXPECT_EQ(reader->Lines().Get(2), u"");
  EXPECT_EQ(reader->Inner().DocVersion(), 8);
}

TEST(WordPieces, TableStreamNamedByTheFib) {
  WordBuilder b = Document(u"Zero table\r");
  b.whichTable = false; // "0Table"
  EXPECT_EQ(Text(b.Build()), u"Zero table\r\n");
  b.modifierEntries = 3; // property modifiers before the piece table
  EXPECT_EQ(Text(b.Build()), u"Zero table\r\n");
}

TEST(WordPieces, ManyPieces) {
  WordBuilder b;
  std::u16string expected;
  for (int i = 0; i < 600; ++i) {
    std::u16string word = u"w";
    word += AnsiToWide(std::to_string(i));
    word += u" ";
    b.pieces.push_back({word, i % 2 == 0});
    expected += word;
  }
  EXPECT_EQ(Text(b.Build()), expected);
}

TEST(WordPieces, WithoutPieceTableOnePieceFromFcMin) {
  WordBuilder b = Document(u"Unicode text", false);
  b.writeClx = false;
  EXPECT_EQ(Text(b.Build()), u"Unicode text");
  b.writeTable = false;
  EXPECT_EQ(Text(b.Build()), u"Unicode text");
}

TEST(WordPieces, PieceOutsideTheStream) {
  WordBuilder b = Document(u"text");
  std::string table = b.TableStream();
  // The descriptor's fc is the last 6 bytes but 2: point it far away.
  size_t fcAt = table.size() - 6;
  table[fcAt + 2] = '\x7F';
  test::CompoundFileBuilder file;
  file.AddStream(u"WordDocument", b.MainStream());
  file.AddStream(u"1Table", table);
  EXPECT_EQ(Failure(file.Build()), "Piece Bounds out of range");
}

TEST(WordPieces, CompressedWord97TextIsWindows1252) {
  WordBuilder b = Document(u"caf\u00e9 \x93q\x94\r");
  b.lid = 0x0411; // Japanese: its code page would take 0x93 for a lead byte
  EXPECT_EQ(Text(b.Build()), u"caf\u00e9 \u201cq\u201d\r\n");
}

TEST(WordPieces, CodePageOfTheLanguage) {
  // Word 6/95 8-bit text is in the code page of the document's language.
  WordBuilder cyrillic =
      Document(u"\u00cf\u00f0\u00e8\u00e2\u00e5\u00f2\r"); // bytes CF F0 E8 E2 E5 F2
  cyrillic.nFib = 104;
  cyrillic.lid = 0x0419;
  EXPECT_EQ(Text(cyrillic.Build()), u"\u041f\u0440\u0438\u0432\u0435\u0442\r\n");
  WordBuilder japanese = Document(u"\u0082\u00a0");
  japanese.nFib = 104;
  japanese.lid = 0x0411;
  EXPECT_EQ(Text(japanese.Build()), u"\u3042");
  // Word 97 documents name their Far East language apart.
  japanese.nFib = 193;
  japanese.lid = 0x0409;
  japanese.farEast = true;
  japanese.lidFE = 0x0411;
  EXPECT_EQ(Load(japanese.Build())->Inner().DocumentCodePage(), 932);
  Reader reader;
  reader.Inner().OnGetDefaultLanguage = [](DocReader&, uint16_t& language) { language = 0x0419; };
  MemoryStream stream(japanese.Build());
  reader.LoadFromStream(stream);
  EXPECT_EQ(reader.Inner().DocumentCodePage(), 1251);
  EXPECT_EQ(DocReader::CodePageOfLanguage(0x0804), 936);
  EXPECT_EQ(DocReader::CodePageOfLanguage(0x0C04), 950);
  EXPECT_EQ(DocReader::CodePageOfLanguage(0x0412), 949);
  EXPECT_EQ(DocReader::CodePageOfLanguage(0x0812), 1361);
  EXPECT_EQ(DocReader::CodePageOfLanguage(0x041E), 874);
  EXPECT_EQ(DocReader::CodePageOfLanguage(0x041F), 1254);
  EXPECT_EQ(DocReader::CodePageOfLanguage(0x0401), 1256);
  EXPECT_EQ(DocReader::CodePageOfLanguage(0x0000), 0);
}

// ------------------------------------------------------------ versions

TEST(WordVersions, DetectionAndHeaders) {
  const std::map<uint16_t, int> versions = {{45, 2}, {101, 6}, {103, 0}, {104, 7}, {105, 8}};
  for (auto [nFib, version] : versions) {
    WordBuilder b = Document(u"Some text\r");
    b.nFib = nFib;
    auto reader = Load(b.Build());
    EXPECT_EQ(reader->Inner().DocVersion(), version) << nFib;
    EXPECT_EQ(reader->Lines().Get(1), u"Some text\r\n") << nFib;
  }
  WordBuilder mac = Document(u"Mac text\r");
  mac.wIdent = 0x37FE;
  mac.nFib = 101;
  EXPECT_EQ(Load(mac.Build())->Inner().DocVersion(), 5);
}

TEST(WordVersions, Word6PieceTableInTheMainStream) {
  WordBuilder b;
  b.nFib = 104;
  b.pieces = {{u"second ", true}, {u"first ", true}};
  EXPECT_EQ(Text(b.Build()), u"second first ");
}

TEST(WordVersions, Word95FarEastTextIsUtf16) {
  WordBuilder b;
  b.nFib = 104;
  b.extendedCharacters = true;
  b.pieces = {{u"\u4e2d\u6587 and ", false}, {u"English\r", false}};
  EXPECT_EQ(Text(b.Build()), u"\u4e2d\u6587 and English\r\n");
}

TEST(WordVersions, Word6TextInThePropertySetsCodePage) {
  WordBuilder b = Document(u"\u00cf\u00f0\u00e8\r");
  b.nFib = 104;
  b.summaryInformation = test::PropertySet({PropertyValue::CodePage(1251)});
  EXPECT_EQ(Text(b.Build()), u"\u041f\u0440\u0438\r\n");
}

TEST(WordVersions, SingleStreamFiles) {
  test::TempDir dir;
  WordBuilder word2 = Document(u"Word 2 text\r");
  word2.nFib = 45;
  word2.wIdent = 0xA59B;
  Reader reader;
  reader.LoadFromFile(dir.Write("old.doc", word2.MainStream()));
  EXPECT_EQ(reader.Inner().DocVersion(), 2);
  EXPECT_EQ(reader.Lines().Get(1), u"Word 2 text\r\n");
  std::string zip = dir.Write("zip.doc", "PK\x03\x04 not a word file");
  reader.SetFileName(zip); // as the programs name the file for messages
  try {
    reader.LoadFromFile(zip);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "File " + zip + " is not valid MS Word document");
  }
  EXPECT_THROW(reader.LoadFromFile(dir.Write("short.doc", "\x31\xBE")), Exception);
}

TEST(WordVersions, EncryptedDocuments) {
  WordBuilder b = Document(u"secret");
  b.encrypted = true; // the flag without the encryption header it announces
  EXPECT_EQ(Failure(b.Build()), "The encryption header is damaged");
  Reader reader;
  MemoryStream stream(b.Build());
  EXPECT_THROW(reader.LoadFromStream(stream), Exception);
  EXPECT_TRUE(reader.IsEncrypted());
}

// ------------------------------------------------------------ property sets

TEST(WordSummary, PropertySets) {
  WordBuilder b = Document(u"text");
  b.summaryInformation =
      test::PropertySet({PropertyValue::String(2, "The Title"),
                         PropertyValue::String(4, "Ann Author"), PropertyValue::Int(14, 3)});
  b.documentSummaryInformation =
      test::PropertySet({PropertyValue::String(2, "Category"), PropertyValue::String(15, "Firm")});
  auto reader = Load(b.Build());
  const auto* summary = reader->SummaryInformation();
  EXPECT_EQ(summary->Title, u"The Title");
  EXPECT_EQ(summary->Author, u"Ann Author");
  EXPECT_EQ(summary->PageCount, 3);
  EXPECT_EQ(summary->Category, u"Category");
  EXPECT_EQ(summary->Company, u"Firm");
}

TEST(WordSummary, StringsInAnotherCodePage) {
  WordBuilder b = Document(u"text");
  b.summaryInformation =
      test::PropertySet({PropertyValue::CodePage(1251), PropertyValue::String(2, "\xcf\xf0\xe8")});
  // The set's own code page decodes its strings, whatever the host's.
  EXPECT_EQ(Load(b.Build())->SummaryInformation()->Title, u"\u041f\u0440\u0438");
}

TEST(WordSummary, CountBeyondTheDataStopsQuietly) {
  WordBuilder b = Document(u"text");
  std::string set = test::PropertySet({PropertyValue::String(2, "Kept")});
  set[48 + 4] = '\x50'; // 80 properties declared
  b.summaryInformation = set;
  auto reader = Load(b.Build());
  EXPECT_EQ(reader->SummaryInformation()->Title, u"Kept");
}

TEST(WordSummary, SummaryOnlyAndNoWordDocument) {
  WordBuilder b = Document(u"text");
  b.summaryInformation = test::PropertySet({PropertyValue::String(2, "Only")});
  Reader reader;
  reader.SetParseItems({ContentItem::Summary});
  MemoryStream stream(b.Build());
  reader.LoadFromStream(stream);
  EXPECT_EQ(reader.Lines().Count(), 0);
  EXPECT_EQ(reader.SummaryInformation()->Title, u"Only");

  test::CompoundFileBuilder file;
  file.AddStream(u"\x05SummaryInformation", b.summaryInformation);
  auto empty = Load(file.Build());
  EXPECT_EQ(empty->Lines().Count(), 0);
  EXPECT_EQ(empty->SummaryInformation()->Title, u"Only");
}

// ------------------------------------------------------------ stories

TEST(WordStories, ByCharacterPosition) {
  WordBuilder b;
  b.pieces = {{u"Main\r", true}, {u"Foot\u00e9\r\u0416", false}, {u"Head\rNote\rEnd\rBox\r", true}};
  b.ccpFtn = 7;
  b.ccpHdd = 5;
  b.ccpAtn = 5;
  b.ccpEdn = 4;
  b.ccpTxbx = 4;
  auto reader = Load(b.Build());
  EXPECT_EQ(reader->Stories()->Footnotes.Get(0), u"Foot\u00e9\r\n\u0416");
  EXPECT_EQ(reader->Stories()->Headers.Get(0), u"Head\r\n");
  EXPECT_EQ(reader->Stories()->Comments.Get(0), u"Note\r\n");
  EXPECT_EQ(reader->Stories()->Endnotes.Get(0), u"End\r\n");
  EXPECT_EQ(reader->Stories()->TextBoxes.Get(0), u"Box\r\n");
  EXPECT_EQ(reader->Stories()->Footers.Count(), 0);
}

// ------------------------------------------------------------ control characters

// The text entry of a document whose text (one 16-bit piece) is text.
std::u16string Converted(std::u16string text, OutputFormat formating = OutputFormat::PlainText,
                         Reader* with = nullptr) {
  Reader own;
  Reader& reader = with ? *with : own;
  reader.SetTextFormating(formating);
  MemoryStream stream(Document(std::move(text), false).Build());
  reader.LoadFromStream(stream);
  return reader.Lines().Get(1);
}

TEST(WordControlCharacters, LineAndCellMarks) {
  EXPECT_EQ(Converted(u"one\rtwo"), u"one\r\ntwo");
  EXPECT_EQ(Converted(u"one\rtwo", OutputFormat::Html), u"one<p></p>\r\ntwo");
  EXPECT_EQ(Converted(u"one\rtwo", OutputFormat::Rtf), u"one\r\n\\par two");
  EXPECT_EQ(Converted(u"a\vb", OutputFormat::Html), u"a<br>\r\nb");
  EXPECT_EQ(Converted(u"a\x07"
                      u"b"),
            u"a b");
  EXPECT_EQ(Converted(u"a\x07\x07"
                      u"b"),
            u"a\r\nb");
  EXPECT_EQ(Converted(u"a\x07\x07"
                      u"b",
                      OutputFormat::Html),
            u"a<br>\r\n\nb");
  EXPECT_EQ(Converted(u"a\tb\x01\x02\x03\x05\x06\x08\x0c\x1f"
                      u"c\x04\n"),
            u"a\tbc\n");
  EXPECT_EQ(Converted(std::u16string(u"x\0y", 3)), u"xy");
}

TEST(WordControlCharacters, Fields) {
  EXPECT_EQ(Converted(u"p\x13PAGE\x14"
                      u"3\x15."),
            u"p3.");
  EXPECT_EQ(Converted(u"\x13 HYPERLINK \"http://x\" \x14"
                      u"Click\x15"),
            u"Click");
  EXPECT_EQ(Converted(u"a\x13 EMBED Word.Document.8 \\s \x15"
                      u"b"),
            u"ab");
  EXPECT_EQ(Converted(u"a\x13 EMBED Pic\x14result\x15"
                      u"b"),
            u"ab");
  EXPECT_EQ(Converted(u"a\x13NOSEPARATOR\x15"
                      u"b"),
            u"ab");
  // Without a separator the instruction's switches are not the result.
  EXPECT_EQ(Converted(u"a\x13 DATE \\@ x\x15"
                      u"b"),
            u"ab");
  EXPECT_EQ(Converted(u"\x13 PAGE \x14"
                      u"line\rnext\x15",
                      OutputFormat::Html),
            u"line<p></p>\r\nnext");
  // Fields nest.
  EXPECT_EQ(Converted(u"\x13 REF a \x14"
                      u"outer\x13 PAGE \x14"
                      u"7\x15\x15"),
            u"outer7");
}

// A field's result is found in the field as the format writes it: its
// marks converted, its text escaped.
TEST(WordControlCharacters, FieldResultsAsWrittenInEachFormat) {
  // An index entry shows nothing, however its braces are escaped.
  const std::u16string index = u"a\x13XE \"x {y}\"\x15"
                               u"b";
  EXPECT_EQ(Converted(index), u"ab");
  EXPECT_EQ(Converted(index, OutputFormat::Html), u"ab");
  EXPECT_EQ(Converted(index, OutputFormat::Rtf), u"ab");
  // A paragraph mark before EMBED is a blank only in plain text.
  const std::u16string embedded = u"\x13\rEMBED x\x14res\x15";
  EXPECT_EQ(Converted(embedded), u"");
  EXPECT_EQ(Converted(embedded, OutputFormat::Html), u"res");
  EXPECT_EQ(Converted(embedded, OutputFormat::Rtf), u"res");
}

TEST(WordControlCharacters, NestedFieldsShowOnlyTheirResults) {
  // Long results and links in a table of contents.
  std::u16string field = u"\x13 QUOTE \x14";
  for (int i = 0; i < 210; ++i)
    field += u"x";
  EXPECT_EQ(Converted(field + u"\x15"
                              u"after"),
            std::u16string(210, u'x') + u"after");
  const std::u16string contents = u"\x13 TOC \\o \x14\x13 HYPERLINK \\l \"_Toc1\" \x01\x14"
                                  u"One\t\x13 PAGEREF _Toc1 \\h \x01\x14"
                                  u"2\x15\x15\r\x15"
                                  u"Text";
  EXPECT_EQ(Converted(contents), u"One\t2\r\nText");
  EXPECT_EQ(Converted(contents, OutputFormat::Html), u"One\t2<p></p>\r\nText");
  // A field in an instruction, in a field in an instruction.
  EXPECT_EQ(Converted(u"<\x13 IF \x13 REF \x13 QUOTE b \x14"
                      u"a\x15 \x14x\x15 = \"x\" \"yes\" \x14yes\x15>"),
            u"<yes>");
  EXPECT_EQ(
      Converted(u"<\x13 IF \x13 REF a \\* MERGEFORMAT \x15 = 1 \x14no\x15>", OutputFormat::Rtf),
      u"<no>");
  // Equations and symbols without a result show what Word computes.
  EXPECT_EQ(Converted(u"\x13 EQ \\* jc2 \\* \"Font:MS Mincho\" \\* hps11 "
                      u"\\o\\ad(\\s\\up 10(\u3068\u3046\u304d\u3087\u3046),\u6771\u4eac)\x15\r"),
            u"\u6771\u4eac\r\n");
  EXPECT_EQ(Converted(u"\x13SYMBOL 183 \\f \"Symbol\" \\s 10 \\h\x15\titem"), u"\u00b7\titem");
  // Still open where the text ends: written as it stands.
  EXPECT_EQ(Converted(u"open\x13 PAGE \x14"
                      u"5"),
            u"open\u0096 PAGE \x14"
            u"5");
}

TEST(WordControlCharacters, RawMode) {
  EXPECT_EQ(Converted(u"a\x07"
                      u"b\x13 PAGE \x14"
                      u"3\x15"),
            u"a b3");
  // Kept as they stand: unescaped, and whole under a length limit.
  Reader raw;
  raw.SetConvertSysCharacters(false);
  raw.SetMaxTextLength(2);
  EXPECT_EQ(Converted(u"a\rb\x07<&>\x13", OutputFormat::Html, &raw), u"a\rb\x07<&>\x13");
}

TEST(WordControlCharacters, MaxTextLengthCutsTheTextBeforeThePrologue) {
  WordBuilder b = Document(u"A long document text\r");
  Reader reader;
  reader.SetMaxTextLength(6);
  reader.SetTextFormating(OutputFormat::Html);
  MemoryStream stream(b.Build());
  reader.LoadFromStream(stream);
  ASSERT_EQ(reader.Lines().Count(), 3);
  EXPECT_TRUE(reader.Lines().Get(0).starts_with(u"<html>"));
  EXPECT_EQ(reader.Lines().Get(1), u"A long");
}

// ------------------------------------------------------------ real documents

TEST(WordCorpus, RealDocumentsConvert) {
  std::filesystem::path dir = std::filesystem::path(SCRIVLET_CORPUS_DIR) / "doc";
  if (!std::filesystem::is_directory(dir))
    GTEST_SKIP() << "no corpus at " << dir;
  const std::map<std::string, std::u16string> passages = {
      {"poi_simple.doc", u"This is a simple file created with Word 97-SR2."},
      {"poi_word95err.doc", u"\u041a\u043e\u043c\u043f\u0430\u043d\u0438\u044f"},
      {"poi_Bug50955.doc", u"\u041f\u043e\u043b \u0410\u041d\u0414\u0415\u0420\u0421\u041e\u041d"},
      {"nwe_test11.doc", u"\u8fd9\u662f\u4e00\u4e2a"},
      {"fc_NEWSSLID.DOC", u"Introduction to NEWS"},
      {"poi_Word6.doc", u"The quick brown fox jumps over the lazy dog"},
      {"nwe_test01.doc", u"\U0001F600"},
  };
  const std::set<std::string> encrypted = {"poi_PasswordProtected.doc",
                                           "poi_password_password_cryptoapi.doc"};
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    std::string name = entry.path().filename().string();
    Reader reader;
    try {
      reader.LoadFromFile(entry.path().string());
      EXPECT_FALSE(encrypted.count(name)) << name;
      EXPECT_GE(reader.Lines().Count(), 3) << name;
    } catch (const Exception& e) {
      EXPECT_TRUE(encrypted.count(name)) << name << ": " << e.Message();
      EXPECT_TRUE(e.Message().ends_with(" is protected by a password (give it with --password)"))
          << e.Message();
    }
    auto passage = passages.find(name);
    if (passage != passages.end()) {
      EXPECT_NE(reader.Lines().GetTextW().find(passage->second), std::u16string::npos) << name;
    }
  }
}

TEST(WordCorpus, DamagedDocumentsFailCleanly) {
  std::filesystem::path dir = std::filesystem::path(SCRIVLET_CORPUS_DIR) / "broken";
  if (!std::filesystem::is_directory(dir))
    GTEST_SKIP() << "no corpus at " << dir;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    Reader reader;
    try {
      reader.LoadFromFile(entry.path().string());
    } catch (const Exception& e) {
      EXPECT_FALSE(e.Message().empty()) << entry.path();
    }
  }
}

} // namespace
} // namespace scrivlet
