#include "vba/VbaProject.h"
#include "core/CaseFolding.h"
#include "core/Limits.h"
#include "storage/CompoundFile.h"
#include "vba/VbaCompression.h"
#include "vba/VbaDirectory.h"
#include "vba/VbaPerformanceCache.h"

#include <new>
#include <optional>
#include <set>
#include <unordered_map>
#include <utility>

namespace scrivlet {
namespace {

using Kind = CompoundFile::ElementKind;

// Projects nest their storages two or three levels deep (forms keep
// storages of their own); the walk goes no deeper than this.
constexpr size_t kMaxStorageDepth = 8;

struct Storage {
  uint32_t entry;
  std::vector<CompoundFile::Element> elements;
};

// The storage and every storage inside it, each before its children, in
// the order of the directory.  In a sound file each directory entry belongs
// to one storage, so the storages hold no more elements together than the
// directory has entries; a damaged tree that hangs one large subtree under
// many storages would list it again for each (the square of its size).
// Such a walk stops there, with `cut` set.
std::vector<Storage> StoragesBelow(const CompoundFile& file, uint32_t root, bool& cut) {
  std::vector<Storage> storages;
  std::set<uint32_t> seen;
  size_t listed = 0;
  std::vector<std::pair<uint32_t, size_t>> pending{{root, 0}}; // entry, depth
  while (!pending.empty()) {
    auto [entry, depth] = pending.back();
    pending.pop_back();
    if (!seen.insert(entry).second)
      continue;
    std::vector<CompoundFile::Element> elements = file.Elements(entry);
    listed += elements.size();
    if (listed > file.EntryCount()) {
      cut = true;
      break;
    }
    storages.push_back({entry, std::move(elements)});
    if (depth + 1 >= kMaxStorageDepth)
      continue;
    const auto& listedHere = storages.back().elements;
    for (auto it = listedHere.rbegin(); it != listedHere.rend(); ++it)
      if (it->kind == Kind::Storage)
        pending.push_back({it->entry, depth + 1});
  }
  return storages;
}

std::u16string FoldedName(std::u16string_view name) {
  std::u16string folded(name);
  for (char16_t& c : folded)
    c = FoldCase(c);
  return folded;
}

// The first stream of the storage with the name (letter case ignored),
// through the compound file's index of the storage: a project may list
// thousands of modules in a storage of thousands of streams.
std::optional<uint32_t> FindStream(const CompoundFile& file, const Storage& storage,
                                   std::u16string_view name) {
  return file.Find(storage.entry, name, Kind::Stream);
}

// Where a module's compressed source begins, found by its content: every
// module's source begins with "Attribute", whose first 8 letters cannot be
// copies and so follow a flag byte of 0 right after the container's
// signature and first chunk header.  npos when there is no such place.
size_t FindSourceContainer(std::string_view data) {
  static constexpr std::string_view kStart("\0Attribut", 9);
  for (size_t at = data.find(kStart); at != std::string_view::npos;
       at = data.find(kStart, at + 1)) {
    if (at < 3)
      continue;
    size_t container = at - 3;
    uint8_t headerHigh = static_cast<uint8_t>(data[container + 2]);
    if (data[container] == '\x01' && (headerHigh & 0xF0) == 0xB0)
      return container;
  }
  return std::string_view::npos;
}

class ProjectReader {
public:
  ProjectReader(const CompoundFile& file, uint32_t storage, int fallbackCodePage,
                uint64_t maxSourceCharacters)
      : file(file), root(storage), charactersLeft(maxSourceCharacters) {
    project.codePage = fallbackCodePage;
  }

  VbaProject Run() {
    try {
      storages = StoragesBelow(file, root, project.damaged);
      if (!ReadFromDir())
        ReadFromPerformanceCache();
    } catch (const Exception&) {
      // A storage or stream that the compound file cannot deliver.
      project.damaged = true;
    } catch (const std::bad_alloc&) {
      // Not even running out of memory ends the document's conversion: the
      // project is then damaged, with what was read before.
      project.damaged = true;
    }
    return std::move(project);
  }

private:
  // The module list of the first readable "dir" stream; false when there
  // is none.
  bool ReadFromDir() {
    for (const Storage& storage : storages) {
      std::optional<uint32_t> dirStream = FindStream(file, storage, u"dir");
      if (!dirStream)
        continue;
      std::optional<VbaDirectory> dir = ReadDir(*dirStream);
      if (!dir)
        continue;
      project.moduleTable = VbaProject::ModuleTable::Dir;
      project.damaged = project.damaged || dir->modulesCut;
      if (dir->codePage)
        project.codePage = *dir->codePage;
      for (const VbaModuleRecord& record : dir->modules)
        if (!AddDirModule(storage, record))
          break;
      return true;
    }
    return false;
  }

  // Every storage may hold a "dir" stream that does not parse: each one
  // tried is read and decompressed under the project's budgets, so that
  // many of them (or many entries sharing one stream) cost no more than
  // the budgets allow.
  std::optional<VbaDirectory> ReadDir(uint32_t entry) {
    std::string compressed = file.StreamData(entry);
    if (compressed.size() > readBudget)
      throw LimitExceeded("decoded bytes per document", Limits{}.decodedBytesPerDocument);
    readBudget -= compressed.size();
    try {
      std::string dir = DecompressVba(compressed, budget);
      budget -= dir.size();
      project.decompressed += dir.size();
      return VbaDirectory::Parse(dir);
    } catch (const VbaError&) {
      return std::nullopt;
    }
  }

  // Adds the module with its source; false at damaged data.
  bool AddDirModule(const Storage& storage, const VbaModuleRecord& record) {
    if (!record.sourceOffset) {
      project.damaged = true;
      return false;
    }
    VbaModule module;
    module.name = AnsiToWide(record.name, project.codePage);
    module.streamName = record.unicodeStreamName.empty()
                            ? AnsiToWide(record.streamName, project.codePage)
                            : record.unicodeStreamName;
    module.sourceOffset = *record.sourceOffset;
    if (auto stream = FindStream(file, storage, module.streamName))
      if (!ReadSource(*stream, module))
        return false;
    project.modules.push_back(std::move(module));
    return true;
  }

  // The module list of the first "_VBA_PROJECT" stream, and the sources of
  // the streams that bear the modules' names.
  void ReadFromPerformanceCache() {
    for (const Storage& storage : storages) {
      std::optional<uint32_t> cacheStream = FindStream(file, storage, u"_VBA_PROJECT");
      if (!cacheStream)
        continue;
      VbaPerformanceCache cache = VbaPerformanceCache::Parse(file.StreamData(*cacheStream));
      project.moduleTable = VbaProject::ModuleTable::PerformanceCache;
      project.damaged = project.damaged || cache.damaged;
      for (VbaCachedModule& cached : cache.modules)
        project.modules.push_back({cached.name, cached.name, cached.sourceOffset, {}});
      ReadCachedModuleSources();
      return;
    }
  }

  void ReadCachedModuleSources() {
    // Each stream gives its source to the first module of its name.
    std::unordered_map<std::u16string, size_t> moduleByName;
    for (size_t i = 0; i < project.modules.size(); ++i)
      moduleByName.try_emplace(FoldedName(project.modules[i].name), i);
    for (const Storage& storage : storages)
      for (const auto& element : storage.elements) {
        if (element.kind != Kind::Stream)
          continue;
        auto module = moduleByName.find(FoldedName(element.name));
        if (module == moduleByName.end())
          continue;
        if (!ReadSource(element.entry, project.modules[module->second])) {
          project.modules.resize(module->second);
          return;
        }
      }
  }

  // Decompresses a module's source from its stream; false (and the project
  // marked damaged) when the source cannot be read.
  bool ReadSource(uint32_t stream, VbaModule& module) {
    const std::string& data = StreamBytes(stream);
    std::optional<std::string> source = DecompressAt(data, module.sourceOffset);
    if (!source) {
      // Some projects carry an offset that points into zero-filled space
      // while the source lies earlier in the stream.
      size_t found = FindSourceContainer(data);
      if (found != std::string::npos)
        source = DecompressAt(data, found);
    }
    if (!source) {
      project.damaged = true;
      return false;
    }
    budget -= source->size();
    project.decompressed += source->size();
    module.source = AnsiToWide(*source, project.codePage);
    if (module.source.size() > charactersLeft) {
      module.source.clear();
      project.cut = true;
      return false;
    }
    charactersLeft -= module.source.size();
    return true;
  }

  // A module stream's bytes.  Modules listed one after another often share
  // their stream: the last one read is kept.  What is read from the file
  // is counted against the decoded-bytes limit, so that module records
  // naming many large streams (or entries that share one large chain) cannot
  // copy the file again for each record.
  const std::string& StreamBytes(uint32_t entry) {
    if (lastStream && lastStream->first == entry)
      return lastStream->second;
    lastStream.reset();
    std::string data = file.StreamData(entry);
    if (data.size() > readBudget)
      throw LimitExceeded("decoded bytes per document", Limits{}.decodedBytesPerDocument);
    readBudget -= data.size();
    lastStream.emplace(entry, std::move(data));
    return lastStream->second;
  }

  std::optional<std::string> DecompressAt(std::string_view data, size_t offset) const {
    if (offset >= data.size())
      return std::nullopt;
    try {
      return DecompressVba(data.substr(offset), budget);
    } catch (const VbaError&) {
      return std::nullopt;
    }
  }

  const CompoundFile& file;
  uint32_t root;
  std::vector<Storage> storages;
  // What the whole project may still decompress to, and the characters
  // its sources may still hold.
  size_t budget = kVbaMaxDecompressed;
  uint64_t charactersLeft;
  // What module streams may still give, and the one read last.
  uint64_t readBudget = Limits{}.decodedBytesPerDocument;
  std::optional<std::pair<uint32_t, std::string>> lastStream;
  VbaProject project;
};

} // namespace

VbaProject VbaProject::Read(const CompoundFile& file, uint32_t storage, int fallbackCodePage,
                            uint64_t maxSourceCharacters) {
  return ProjectReader(file, storage, fallbackCodePage, maxSourceCharacters).Run();
}

} // namespace scrivlet
