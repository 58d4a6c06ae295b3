// The VBA projects of real Word documents, checked against their sources
// as decompressed independently (tools/vba_check.py).
#include "core/Exception.h"
#include "core/Stream.h"
#include "storage/CompoundFile.h"
#include "vba/VbaListing.h"
#include "vba/VbaProject.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace scrivlet {
namespace {

using Kind = CompoundFile::ElementKind;

struct Expected {
  std::vector<std::u16string> modules;
  std::u16string passage; // text inside the last module's source
};

VbaProject ReadDocumentMacros(const std::filesystem::path& path) {
  FileStream file(path.string());
  CompoundFile compound(file.ReadAllBytes());
  auto macros = compound.Find(CompoundFile::kRoot, u"Macros", Kind::Storage);
  if (!macros)
    return {};
  return VbaProject::Read(compound, *macros);
}

TEST(VbaCorpus, WordDocumentsWithMacros) {
  std::filesystem::path dir = std::filesystem::path(SCRIVLET_CORPUS_DIR) / "doc";
  if (!std::filesystem::is_directory(dir))
    GTEST_SKIP() << "no corpus at " << dir;
  const std::map<std::string, Expected> documents = {
      {"poi_SimpleMacro.doc",
       {{u"ThisDocument", u"Module1"},
        u"    ActiveDocument.Paragraphs(1).Range.Text = \"This is a macro word processing "
        u"document\"\r\nEnd Sub\r\n"}},
      // Its module offset points into zero padding; the source lies before.
      {"poi_60279.doc", {{u"ThisDocument"}, u"Attribute VB_Customizable = True\r\n"}},
      {"poi_Bug50936_3.doc",
       {{u"ThisDocument"}, u"Attribute VB_Base = \"1Normal.ThisDocument\"\r\n"}},
  };
  for (const auto& [name, expected] : documents) {
    VbaProject project = ReadDocumentMacros(dir / name);
    EXPECT_EQ(project.moduleTable, VbaProject::ModuleTable::Dir) << name;
    EXPECT_FALSE(project.damaged) << name;
    EXPECT_EQ(project.codePage, 1252) << name;
    std::vector<std::u16string> modules;
    for (const auto& module : project.modules)
      modules.push_back(module.name);
    EXPECT_EQ(modules, expected.modules) << name;
    ASSERT_FALSE(project.modules.empty()) << name;
    const std::u16string& source = project.modules.back().source;
    EXPECT_EQ(source.rfind(u"Attribute VB_Name = \"", 0), 0u) << name;
    EXPECT_NE(source.find(expected.passage), std::u16string::npos) << name;
    EXPECT_EQ(VbaListing(project).size(), 4 * modules.size()) << name;
  }
}

TEST(VbaCorpus, EveryWordDocumentReadsQuietly) {
  std::filesystem::path dir = std::filesystem::path(SCRIVLET_CORPUS_DIR);
  if (!std::filesystem::is_directory(dir))
    GTEST_SKIP() << "no corpus at " << dir;
  for (const char* sub : {"doc", "broken"}) {
    if (!std::filesystem::is_directory(dir / sub))
      continue;
    for (const auto& entry : std::filesystem::directory_iterator(dir / sub)) {
      std::unique_ptr<CompoundFile> compound;
      {
        FileStream file(entry.path().string());
        compound = CompoundFile::TryOpen(file.ReadAllBytes());
      }
      if (!compound)
        continue;
      try {
        auto macros = compound->Find(CompoundFile::kRoot, u"Macros", Kind::Storage);
        if (macros)
          VbaProject::Read(*compound, *macros);
      } catch (const StorageError&) {
        // A damaged directory tree is the compound file's matter.
      }
    }
  }
}

} // namespace
} // namespace scrivlet
