// Builds compound files byte by byte: header, FAT (with DIFAT sectors when
// the header's 109 entries do not suffice), directory with a balanced tree
// per storage, mini FAT and mini stream for small streams.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace scrivlet::test {

class CompoundFileBuilder {
public:
  explicit CompoundFileBuilder(int majorVersion = 3) : FMajorVersion(majorVersion) {}

  // Paths use "/" between storages: "Macros/VBA/dir".  Storages on the way
  // are made as needed.
  void AddStream(const std::u16string& path, std::string data);
  void AddStorage(const std::u16string& path);
  // A stream in the root storage under a name that may already be there:
  // a directory that repeats a name, as damaged or hostile files have.
  void AddRootStreamAgain(const std::u16string& name, std::string data);

  std::string Build() const;

  // Where Build put things, for tests that damage the file on purpose.
  struct Layout {
    uint32_t sectorSize = 0;
    uint32_t firstDirectorySector = 0;
    uint32_t firstFatSector = 0;
    uint32_t fatSectors = 0;
  };
  const Layout& LastLayout() const { return FLayout; }

private:
  struct Node {
    std::u16string name;
    bool storage = false;
    std::string data;
    std::vector<size_t> children; // indices into FNodes
  };
  size_t NodeFor(const std::u16string& path, bool storage);

  int FMajorVersion;
  std::vector<Node> FNodes{Node{u"Root Entry", true, {}, {}}};
  mutable Layout FLayout;
};

} // namespace scrivlet::test
