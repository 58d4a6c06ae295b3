#include "vba/VbaProject.h"
#include "core/CodePage.h"
#include "storage/CompoundFile.h"
#include "support/Bytes.h"
#include "support/CompoundFileBuilder.h"
#include "support/VbaBuilder.h"
#include "vba/VbaListing.h"

#include <gtest/gtest.h>

namespace scrivlet {
namespace {

using test::CompoundFileBuilder;
using test::VbaProjectBuilder;
using Kind = CompoundFile::ElementKind;

const std::string kThisDocument = "Attribute VB_Name = \"ThisDocument\"\r\n"
                                  "Attribute VB_Base = \"1Normal.ThisDocument\"\r\n";
const std::string kModule1 = "Attribute VB_Name = \"Module1\"\r\n"
                             "Sub TestMacro()\r\n"
                             "    ActiveDocument.Paragraphs(1).Range.Text = \"Hello\"\r\n"
                             "End Sub\r\n";

VbaProjectBuilder TwoModules() {
  VbaProjectBuilder project;
  project.AddModule("ThisDocument", kThisDocument).cacheSize = 775;
  project.AddModule("Module1", kModule1).cacheSize = 1587;
  return project;
}

// Reads the project in the "Macros" storage of a compound file.
VbaProject ReadMacros(const VbaProjectBuilder& project,
                      CompoundFileBuilder file = CompoundFileBuilder(),
                      int fallbackCodePage = CP_ACP) {
  file.AddStream(u"WordDocument", std::string(600, 'w'));
  project.AddTo(file, u"Macros");
  CompoundFile compound(file.Build());
  auto macros = compound.Find(CompoundFile::kRoot, u"Macros", Kind::Storage);
  EXPECT_TRUE(macros);
  return VbaProject::Read(compound, macros.value_or(CompoundFile::kRoot), fallbackCodePage);
}

std::vector<std::u16string> Names(const VbaProject& project) {
  std::vector<std::u16string> names;
  for (const auto& module : project.modules)
    names.push_back(module.name);
  return names;
}

// --------------------------------------------------------- from "dir"

TEST(VbaProjectFromDir, ModulesInDirOrderWithTheirSource) {
  VbaProject project = ReadMacros(TwoModules());
  EXPECT_EQ(project.moduleTable, VbaProject::ModuleTable::Dir);
  EXPECT_FALSE(project.damaged);
  EXPECT_EQ(project.codePage, 1252);
  ASSERT_EQ(Names(project), (std::vector<std::u16string>{u"ThisDocument", u"Module1"}));
  EXPECT_EQ(project.modules[0].source, AnsiToWide(kThisDocument, 1252));
  EXPECT_EQ(project.modules[1].source, AnsiToWide(kModule1, 1252));
  EXPECT_EQ(project.modules[1].sourceOffset, 1587u);
}

TEST(VbaProjectFromDir, DirWinsOverTheCacheLayout) {
  // The cache names other modules at other offsets, as a project saved by
  // another Office version would seem to.
  VbaProjectBuilder builder = TwoModules();
  builder.modules[0].cacheName = u"Wrong";
  builder.modules[1].cacheName = u"ThisDocument";
  VbaProject project = ReadMacros(builder);
  EXPECT_EQ(Names(project), (std::vector<std::u16string>{u"ThisDocument", u"Module1"}));
  EXPECT_EQ(project.modules[1].source, AnsiToWide(kModule1, 1252));
}

TEST(VbaProjectFromDir, SourceAndNamesInTheProjectCodePage) {
  VbaProjectBuilder builder;
  builder.codePage = 1251;
  // "Модуль" in Windows-1251, with a comment in Russian.
  std::string name = "\xCC\xEE\xE4\xF3\xEB\xFC";
  std::string source = "Attribute VB_Name = \"" + name + "\"\r\n' \xCF\xF0\xE8\xE2\xE5\xF2\r\n";
  auto& module = builder.AddModule(name, source);
  module.streamName = "Module1";
  VbaProject project = ReadMacros(builder);
  EXPECT_EQ(project.codePage, 1251);
  ASSERT_EQ(project.modules.size(), 1u);
  EXPECT_EQ(project.modules[0].name, u"\u041c\u043e\u0434\u0443\u043b\u044c");
  EXPECT_NE(project.modules[0].source.find(u"\u041f\u0440\u0438\u0432\u0435\u0442"),
            std::u16string::npos);
}

TEST(VbaProjectFromDir, StreamNameFromItsUnicodeRecordOrCodePage) {
  VbaProjectBuilder builder;
  builder.codePage = 1251;
  auto& module = builder.AddModule("Macros1", "Attribute VB_Name = \"Macros1\"\r\n");
  module.streamName = "\xCF\xF0\xE8"; // "При"
  module.writeUnicodeStreamName = false;
  CompoundFileBuilder file;
  // The builder widens stream names byte by byte; write the real one.
  module.writeStream = false;
  file.AddStream(u"Macros/VBA/\u041f\u0440\u0438", builder.ModuleStream(module));
  VbaProject project = ReadMacros(builder, file);
  ASSERT_EQ(project.modules.size(), 1u);
  EXPECT_EQ(project.modules[0].streamName, u"\u041f\u0440\u0438");
  EXPECT_EQ(project.modules[0].source, u"Attribute VB_Name = \"Macros1\"\r\n");
}

TEST(VbaProjectFromDir, MissingModuleStreamLeavesAnEmptySource) {
  VbaProjectBuilder builder = TwoModules();
  builder.modules[0].writeStream = false;
  VbaProject project = ReadMacros(builder);
  EXPECT_FALSE(project.damaged);
  ASSERT_EQ(project.modules.size(), 2u);
  EXPECT_TRUE(project.modules[0].source.empty());
  EXPECT_FALSE(project.modules[1].source.empty());
}

TEST(VbaProjectFromDir, ProjectAtTheRootOfAVbaProjectFile) {
  CompoundFileBuilder file;
  TwoModules().AddTo(file, u"");
  CompoundFile compound(file.Build());
  VbaProject project = VbaProject::Read(compound, CompoundFile::kRoot);
  EXPECT_EQ(Names(project), (std::vector<std::u16string>{u"ThisDocument", u"Module1"}));
}

TEST(VbaProjectFromDir, OffsetIntoZeroFilledSpaceFindsTheSourceByItsContent) {
  // The module's stream is zero-padded after the source and its offset
  // points into the padding.
  VbaProjectBuilder builder = TwoModules();
  builder.modules[1].writeStream = false;
  builder.modules[1].cacheSize = 5541;
  std::string stream(761, '\xFF');
  stream += test::CompressVba(kModule1) + std::string(7000, '\0');
  CompoundFileBuilder file;
  file.AddStream(u"Macros/VBA/Module1", stream);
  VbaProject project = ReadMacros(builder, file);
  EXPECT_FALSE(project.damaged);
  ASSERT_EQ(project.modules.size(), 2u);
  EXPECT_EQ(project.modules[1].source, AnsiToWide(kModule1, 1252));
}

// ------------------------------------------- from "_VBA_PROJECT" alone

TEST(VbaProjectFromCache, WithoutDirTheCacheGivesTheModules) {
  VbaProjectBuilder builder = TwoModules();
  builder.writeDir = false;
  VbaProject project = ReadMacros(builder);
  EXPECT_EQ(project.moduleTable, VbaProject::ModuleTable::PerformanceCache);
  EXPECT_EQ(project.codePage, CP_ACP);
  EXPECT_EQ(Names(project), (std::vector<std::u16string>{u"ThisDocument", u"Module1"}));
  EXPECT_EQ(project.modules[1].source, AnsiToWide(kModule1));
}

TEST(VbaProjectFromCache, WithoutDirTheSourceIsInTheCodePageGiven) {
  VbaProjectBuilder builder;
  builder.AddModule("Module1", "' \xCF\xF0\xE8\xE2\xE5\xF2\r\n").cacheSize = 600;
  builder.writeDir = false;
  VbaProject project = ReadMacros(builder, CompoundFileBuilder(), 1251);
  EXPECT_EQ(project.codePage, 1251);
  ASSERT_EQ(project.modules.size(), 1u);
  EXPECT_EQ(project.modules[0].source, u"' \u041F\u0440\u0438\u0432\u0435\u0442\r\n");
}

TEST(VbaProjectFromCache, UnreadableDirFallsBackToTheCache) {
  VbaProjectBuilder builder = TwoModules();
  builder.writeDir = false;
  CompoundFileBuilder file;
  file.AddStream(u"Macros/VBA/dir", "\x01\x05\x00garbage");
  VbaProject project = ReadMacros(builder, file);
  EXPECT_EQ(project.moduleTable, VbaProject::ModuleTable::PerformanceCache);
  EXPECT_EQ(project.modules.size(), 2u);
}

TEST(VbaProjectFromCache, StreamNamesMatchRegardlessOfCase) {
  VbaProjectBuilder builder = TwoModules();
  builder.writeDir = false;
  builder.modules[1].cacheName = u"MODULE1";
  VbaProject project = ReadMacros(builder);
  ASSERT_EQ(project.modules.size(), 2u);
  EXPECT_EQ(project.modules[1].name, u"MODULE1");
  EXPECT_EQ(project.modules[1].source, AnsiToWide(kModule1));
}

TEST(VbaProjectFromCache, NoProjectAtAll) {
  CompoundFileBuilder file;
  file.AddStream(u"Macros/PROJECT", "Name=\"Project\"\r\n");
  file.AddStream(u"WordDocument", "w");
  CompoundFile compound(file.Build());
  auto macros = compound.Find(CompoundFile::kRoot, u"Macros", Kind::Storage);
  VbaProject project = VbaProject::Read(compound, *macros);
  EXPECT_EQ(project.moduleTable, VbaProject::ModuleTable::None);
  EXPECT_TRUE(project.modules.empty());
  EXPECT_FALSE(project.damaged);
}

// --------------------------------------------------------------- damage

TEST(VbaProjectDamage, OffsetPastTheStreamEndsTheModules) {
  VbaProjectBuilder builder = TwoModules();
  builder.modules[0].writeStream = false;
  CompoundFileBuilder file;
  file.AddStream(u"Macros/VBA/ThisDocument", std::string(100, '\xEE'));
  VbaProject project = ReadMacros(builder, file);
  EXPECT_TRUE(project.damaged);
  EXPECT_TRUE(project.modules.empty());
}

TEST(VbaProjectDamage, ModulesBeforeTheDamageAreKept) {
  VbaProjectBuilder builder = TwoModules();
  builder.AddModule("Module2", "Sub B()\r\nEnd Sub\r\n");
  builder.modules[1].writeStream = false;
  CompoundFileBuilder file;
  std::string broken = builder.ModuleStream(builder.modules[1]);
  broken.resize(broken.size() - 5);
  file.AddStream(u"Macros/VBA/Module1", broken);
  VbaProject project = ReadMacros(builder, file);
  EXPECT_TRUE(project.damaged);
  EXPECT_EQ(Names(project), std::vector<std::u16string>{u"ThisDocument"});
}

TEST(VbaProjectDamage, ModuleWithoutOffset) {
  VbaProjectBuilder builder = TwoModules();
  builder.modules[1].writeOffset = false;
  VbaProject project = ReadMacros(builder);
  EXPECT_TRUE(project.damaged);
  EXPECT_EQ(project.modules.size(), 1u);
}

TEST(VbaProjectDamage, CacheCountBeyondTheData) {
  VbaProjectBuilder builder = TwoModules();
  builder.writeDir = false;
  std::string cache = builder.PerformanceCache();
  builder.writeCache = false;
  CompoundFileBuilder file;
  size_t firstName = cache.find(test::U16(24) + std::string("T\0h\0i\0s", 7));
  ASSERT_NE(firstName, std::string::npos);
  test::Put16(cache, firstName - 2, 0xFFFF);
  file.AddStream(u"Macros/VBA/_VBA_PROJECT", cache);
  VbaProject project = ReadMacros(builder, file);
  EXPECT_TRUE(project.damaged);
  EXPECT_EQ(Names(project), (std::vector<std::u16string>{u"ThisDocument", u"Module1"}));
  EXPECT_FALSE(project.modules[1].source.empty());
}

TEST(VbaProjectDamage, EveryTruncationOfAModuleStreamIsQuiet) {
  VbaProjectBuilder builder = TwoModules();
  std::string stream = builder.ModuleStream(builder.modules[1]);
  builder.modules[1].writeStream = false;
  for (size_t size = 0; size < stream.size(); size += 7) {
    CompoundFileBuilder file;
    file.AddStream(u"Macros/VBA/Module1", stream.substr(0, size));
    VbaProject project = ReadMacros(builder, file);
    ASSERT_GE(project.modules.size(), 1u);
    EXPECT_EQ(project.modules[0].source, AnsiToWide(kThisDocument, 1252));
  }
}

TEST(VbaProjectDamage, RandomDamageToTheStreamsIsQuiet) {
  VbaProjectBuilder builder = TwoModules();
  std::vector<std::pair<std::u16string, std::string>> streams = {
      {u"Macros/VBA/dir", test::CompressVba(builder.DirStream())},
      {u"Macros/VBA/_VBA_PROJECT", builder.PerformanceCache()},
      {u"Macros/VBA/ThisDocument", builder.ModuleStream(builder.modules[0])},
      {u"Macros/VBA/Module1", builder.ModuleStream(builder.modules[1])}};
  uint32_t state = 11;
  auto next = [&state] {
    state = state * 1664525 + 1013904223;
    return state >> 8;
  };
  for (int round = 0; round < 400; ++round) {
    CompoundFileBuilder file;
    file.AddStream(u"WordDocument", std::string(600, 'w'));
    size_t victim = next() % streams.size();
    for (size_t i = 0; i < streams.size(); ++i) {
      std::string data = streams[i].second;
      if (i == victim) {
        for (int flips = 1 + next() % 6; flips > 0; --flips)
          data[next() % data.size()] = static_cast<char>(next());
        if (round % 4 == 0)
          data.resize(next() % data.size());
      }
      file.AddStream(streams[i].first, data);
    }
    CompoundFile compound(file.Build());
    auto macros = compound.Find(CompoundFile::kRoot, u"Macros", Kind::Storage);
    ASSERT_TRUE(macros);
    VbaProject project = VbaProject::Read(compound, *macros);
    EXPECT_LE(project.modules.size(), 2u);
  }
}

// -------------------------------------------------------------- listing

TEST(VbaListing, FourEntriesPerModuleWithSource) {
  VbaProjectBuilder builder = TwoModules();
  builder.AddModule("Empty", "").cacheSize = 10;
  builder.modules[0].writeStream = false;
  std::vector<std::u16string> listing = VbaListing(ReadMacros(builder));
  const std::u16string rule = u"'===================================";
  EXPECT_EQ(rule.size(), 36u);
  ASSERT_EQ(listing.size(), 4u);
  EXPECT_EQ(listing[0], rule);
  EXPECT_EQ(listing[1], u"'  Macro(s) from Module1");
  EXPECT_EQ(listing[2], rule);
  EXPECT_EQ(listing[3], AnsiToWide(kModule1, 1252) + u"\r\n");
}

TEST(VbaListing, EmptyProjectListsNothing) {
  EXPECT_TRUE(VbaListing(VbaProject{}).empty());
}

} // namespace
} // namespace scrivlet
