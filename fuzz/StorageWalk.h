// What the compound-file and VBA targets share: a walk over every storage
// reachable from the root, each directory entry once (damaged trees may
// share or loop), breadth of the directory's order, without recursion.
#pragma once

#include "core/Exception.h"
#include "storage/CompoundFile.h"

#include <cstdint>
#include <set>
#include <vector>

namespace scrivlet::fuzz {

// Calls visit(storage) for each storage; a storage whose element list the
// file cannot deliver ends nothing but its own branch.
template <class Visit> void ForEachStorage(const CompoundFile& file, Visit visit) {
  std::set<uint32_t> visited{CompoundFile::kRoot};
  std::vector<uint32_t> storages{CompoundFile::kRoot};
  while (!storages.empty()) {
    uint32_t storage = storages.back();
    storages.pop_back();
    visit(storage);
    try {
      for (const CompoundFile::Element& element : file.Elements(storage))
        if (element.kind == CompoundFile::ElementKind::Storage &&
            visited.insert(element.entry).second)
          storages.push_back(element.entry);
    } catch (const StorageError&) {
    }
  }
}

} // namespace scrivlet::fuzz
