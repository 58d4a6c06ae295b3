// The Word binary reader's macro list: the VBA project of the "Macros"
// storage listed next to the text.
#include "core/Stream.h"
#include "readers/word/DocReader.h"
#include "support/CompoundFileBuilder.h"
#include "support/ReaderHarness.h"
#include "support/VbaBuilder.h"
#include "support/WordBuilder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using test::CompoundFileBuilder;
using test::VbaProjectBuilder;
using test::WordBuilder;

const std::u16string kRule = u"'===================================";

VbaProjectBuilder Project(const std::string& module, const std::string& body) {
  VbaProjectBuilder project;
  project.AddModule("ThisDocument", "Attribute VB_Name = \"ThisDocument\"\r\n").cacheSize = 500;
  project.AddModule(module, "Attribute VB_Name = \"" + module + "\"\r\n" + body).cacheSize = 900;
  return project;
}

// A Word 97 document with the text and, when given, the VBA project in
// "Macros".  The directory lists "Macros" before "WordDocument".
std::string Document(const std::u16string& text, const VbaProjectBuilder* project,
                     CompoundFileBuilder file = CompoundFileBuilder()) {
  WordBuilder word;
  word.pieces = {{text, true}};
  file.AddStream(u"WordDocument", word.MainStream());
  file.AddStream(u"1Table", word.TableStream());
  if (project != nullptr)
    project->AddTo(file, u"Macros");
  return file.Build();
}

void Convert(test::ReaderHarnessBase& reader, const std::string& bytes) {
  MemoryStream stream(bytes);
  reader.LoadFromStream(stream);
}

std::vector<std::u16string> Entries(const TextLines& lines) {
  std::vector<std::u16string> entries;
  for (int i = 0; i < lines.Count(); ++i)
    entries.push_back(lines.Get(i));
  return entries;
}

TEST(DocMacros, ListingSurvivesTheText) {
  VbaProjectBuilder project = Project("Module1", "Sub A()\r\nEnd Sub\r\n");
  std::string bytes = Document(u"Body text\r", &project);
  test::ReaderHarness<DocReader> reader;
  reader.SetParseItems({ContentItem::Text, ContentItem::Macros});
  Convert(reader, bytes);
  EXPECT_EQ(reader.Lines().Get(1), u"Body text\r\n");
  EXPECT_EQ(Entries(reader.Stories()->Macros),
            (std::vector<std::u16string>{
                kRule, u"'  Macro(s) from ThisDocument", kRule,
                u"Attribute VB_Name = \"ThisDocument\"\r\n\r\n", kRule, u"'  Macro(s) from Module1",
                kRule, u"Attribute VB_Name = \"Module1\"\r\nSub A()\r\nEnd Sub\r\n\r\n"}));
}

// A project of 40,000 modules sharing one source listed past the output
// limit, and the document ended with the limit instead of its text.  The
// listing now ends before the module that would pass it.
TEST(DocMacros, AListingPastTheOutputLimitIsCutAndTheTextStays) {
  VbaProjectBuilder project;
  std::string source = "Attribute VB_Name = \"M\"\r\n";
  for (int i = 0; i < 100; ++i)
    source += "Sub P" + std::to_string(i) + "()\r\nEnd Sub\r\n";
  for (int i = 0; i < 100; ++i)
    project.AddModule("Module" + std::to_string(i), source);
  Limits limits;
  limits.outputCharacters = 30 * source.size();
  test::ReaderHarness<DocReader> reader;
  reader.SetResourceLimits(limits);
  reader.SetParseItems({ContentItem::Text, ContentItem::Macros});
  Convert(reader, Document(u"Body text\r", &project));
  EXPECT_EQ(reader.Lines().Get(1), u"Body text\r\n");
  const int listed = reader.Stories()->Macros.Count();
  EXPECT_EQ(listed % 4, 0);
  EXPECT_GT(listed, 4 * 20);
  EXPECT_LT(listed, 4 * 30);
}

TEST(DocMacros, MacrosWithoutText) {
  VbaProjectBuilder project = Project("Module1", "Sub A()\r\nEnd Sub\r\n");
  test::ReaderHarness<DocReader> reader;
  reader.SetParseItems({ContentItem::Macros});
  Convert(reader, Document(u"Body text\r", &project));
  EXPECT_EQ(reader.Lines().Count(), 0);
  EXPECT_EQ(reader.Stories()->Macros.Count(), 8);
}

TEST(DocMacros, OnlyWhenAskedFor) {
  VbaProjectBuilder project = Project("Module1", "Sub A()\r\nEnd Sub\r\n");
  test::ReaderHarness<DocReader> reader; // text and summary
  Convert(reader, Document(u"Body text\r", &project));
  EXPECT_EQ(reader.Stories()->Macros.Count(), 0);
  EXPECT_EQ(reader.Lines().Get(1), u"Body text\r\n");
}

TEST(DocMacros, EachConversionHasItsOwnList) {
  VbaProjectBuilder first = Project("First", "' one\r\n");
  VbaProjectBuilder second = Project("Second", "' two\r\n");
  test::ReaderHarness<DocReader> reader;
  reader.SetParseItems({ContentItem::Text, ContentItem::Macros});
  Convert(reader, Document(u"One\r", &first));
  EXPECT_EQ(reader.Stories()->Macros.Get(5), u"'  Macro(s) from First");
  Convert(reader, Document(u"Two\r", &second));
  ASSERT_EQ(reader.Stories()->Macros.Count(), 8);
  EXPECT_EQ(reader.Stories()->Macros.Get(5), u"'  Macro(s) from Second");
  Convert(reader, Document(u"Three\r", nullptr));
  EXPECT_EQ(reader.Stories()->Macros.Count(), 0);
  EXPECT_EQ(reader.Lines().Get(1), u"Three\r\n");
}

TEST(DocMacros, SourceInTheProjectCodePage) {
  VbaProjectBuilder project;
  project.codePage = 1251;
  project.AddModule("Module1", "' \xCF\xF0\xE8\xE2\xE5\xF2\r\n"); // "Привет"
  test::ReaderHarness<DocReader> reader;
  reader.SetParseItems({ContentItem::Text, ContentItem::Macros});
  Convert(reader, Document(u"Text\r", &project));
  ASSERT_EQ(reader.Stories()->Macros.Count(), 4);
  EXPECT_EQ(reader.Stories()->Macros.Get(3), u"' \u041f\u0440\u0438\u0432\u0435\u0442\r\n\r\n");
}

TEST(DocMacros, DamagedProjectEndsTheListingNotTheText) {
  VbaProjectBuilder project = Project("Module1", "Sub A()\r\nEnd Sub\r\n");
  project.AddModule("Module2", "Sub B()\r\nEnd Sub\r\n");
  // Module1's stream ends inside its compressed source.
  project.modules[1].writeStream = false;
  std::string cut = project.ModuleStream(project.modules[1]);
  cut.resize(cut.size() - 4);
  CompoundFileBuilder file;
  file.AddStream(u"Macros/VBA/Module1", cut);
  test::ReaderHarness<DocReader> reader;
  reader.SetParseItems({ContentItem::Text, ContentItem::Macros});
  Convert(reader, Document(u"Still here\r", &project, std::move(file)));
  EXPECT_EQ(reader.Lines().Get(1), u"Still here\r\n");
  EXPECT_EQ(Entries(reader.Stories()->Macros),
            (std::vector<std::u16string>{kRule, u"'  Macro(s) from ThisDocument", kRule,
                                         u"Attribute VB_Name = \"ThisDocument\"\r\n\r\n"}));
}

TEST(DocMacros, UnreadableProjectListsNothing) {
  WordBuilder word;
  word.pieces = {{u"Text\r", true}};
  CompoundFileBuilder file;
  file.AddStream(u"WordDocument", word.MainStream());
  file.AddStream(u"1Table", word.TableStream());
  file.AddStream(u"Macros/VBA/dir", "\x01garbage");
  file.AddStream(u"Macros/VBA/_VBA_PROJECT", std::string(50, '\x01'));
  file.AddStream(u"Macros/VBA/Module1", std::string(50, '\x01'));
  test::ReaderHarness<DocReader> reader;
  reader.SetParseItems({ContentItem::Text, ContentItem::Macros});
  Convert(reader, file.Build());
  EXPECT_EQ(reader.Lines().Get(1), u"Text\r\n");
  EXPECT_EQ(reader.Stories()->Macros.Count(), 0);
}

TEST(DocMacros, CorpusDocumentWithTwoModules) {
  std::filesystem::path path =
      std::filesystem::path(SCRIVLET_CORPUS_DIR) / "doc" / "poi_SimpleMacro.doc";
  if (!std::filesystem::exists(path))
    GTEST_SKIP() << "no corpus file " << path;
  test::ReaderHarness<DocReader> reader;
  reader.SetParseItems({ContentItem::Text, ContentItem::Macros});
  reader.LoadFromFile(path.string());
  ASSERT_EQ(reader.Stories()->Macros.Count(), 8);
  EXPECT_EQ(reader.Stories()->Macros.Get(1), u"'  Macro(s) from ThisDocument");
  EXPECT_EQ(reader.Stories()->Macros.Get(5), u"'  Macro(s) from Module1");
  EXPECT_NE(reader.Stories()->Macros.Get(7).find(u"Sub TestMacro()\r\n"), std::u16string::npos);
  EXPECT_GT(reader.Lines().Count(), 1);
}

} // namespace
} // namespace scrivlet
