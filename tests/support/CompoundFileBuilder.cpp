#include "support/CompoundFileBuilder.h"
#include "support/Bytes.h"

#include <algorithm>
#include <functional>

namespace scrivlet::test {
namespace {

constexpr uint32_t kEnd = 0xFFFFFFFE, kFree = 0xFFFFFFFF, kFatSector = 0xFFFFFFFD,
                   kDifatSector = 0xFFFFFFFC, kNone = 0xFFFFFFFF;

// Directory order: shorter names first, then by upper-cased characters.
bool NameLess(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size())
    return a.size() < b.size();
  auto upper = [](char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; };
  for (size_t i = 0; i < a.size(); ++i)
    if (upper(a[i]) != upper(b[i]))
      return upper(a[i]) < upper(b[i]);
  return false;
}

uint32_t Chunks(size_t bytes, size_t size) {
  return static_cast<uint32_t>((bytes + size - 1) / size);
}

} // namespace

size_t CompoundFileBuilder::NodeFor(const std::u16string& path, bool storage) {
  size_t parent = 0;
  size_t start = 0;
  while (true) {
    size_t slash = path.find(u'/', start);
    std::u16string name = path.substr(start, slash - start);
    bool last = slash == std::u16string::npos;
    size_t found = SIZE_MAX;
    for (size_t child : FNodes[parent].children)
      if (FNodes[child].name == name)
        found = child;
    if (found == SIZE_MAX) {
      FNodes.push_back(Node{name, !last || storage, {}, {}});
      found = FNodes.size() - 1;
      FNodes[parent].children.push_back(found);
    }
    if (last)
      return found;
    parent = found;
    start = slash + 1;
  }
}

void CompoundFileBuilder::AddStream(const std::u16string& path, std::string data) {
  FNodes[NodeFor(path, false)].data = std::move(data);
}

void CompoundFileBuilder::AddRootStreamAgain(const std::u16string& name, std::string data) {
  FNodes.push_back(Node{name, false, std::move(data), {}});
  FNodes[0].children.push_back(FNodes.size() - 1);
}

void CompoundFileBuilder::AddStorage(const std::u16string& path) {
  NodeFor(path, true);
}

std::string CompoundFileBuilder::Build() const {
  const uint32_t sectorSize = FMajorVersion >= 4 ? 4096 : 512;
  const uint32_t perSector = sectorSize / 4;

  // Small streams live in the mini stream, the others in sectors of their own.
  std::string miniStream;
  std::vector<uint32_t> miniFat;
  std::vector<uint32_t> start(FNodes.size(), kEnd);
  std::vector<size_t> bigStreams;
  for (size_t i = 1; i < FNodes.size(); ++i) {
    const Node& node = FNodes[i];
    if (node.storage || node.data.empty())
      continue;
    if (node.data.size() >= 4096) {
      bigStreams.push_back(i);
      continue;
    }
    uint32_t first = static_cast<uint32_t>(miniStream.size() / 64);
    uint32_t count = Chunks(node.data.size(), 64);
    for (uint32_t k = 0; k < count; ++k)
      miniFat.push_back(k + 1 < count ? first + k + 1 : kEnd);
    start[i] = first;
    miniStream += node.data;
    miniStream.resize(Chunks(miniStream.size(), 64) * 64, '\0');
  }

  const uint32_t directorySectors = Chunks(FNodes.size() * 128, sectorSize);
  const uint32_t miniFatSectors = Chunks(miniFat.size() * 4, sectorSize);
  const uint32_t miniStreamSectors = Chunks(miniStream.size(), sectorSize);
  uint32_t dataSectors = 0;
  for (size_t i : bigStreams)
    dataSectors += Chunks(FNodes[i].data.size(), sectorSize);
  const uint32_t contentSectors =
      directorySectors + miniFatSectors + miniStreamSectors + dataSectors;
  uint32_t fatSectors = 1, difatSectors = 0;
  while (true) {
    uint32_t total = fatSectors + difatSectors + contentSectors;
    uint32_t needFat = Chunks(total, perSector);
    uint32_t needDifat = needFat > 109 ? Chunks(needFat - 109, perSector - 1) : 0;
    if (needFat == fatSectors && needDifat == difatSectors)
      break;
    fatSectors = needFat;
    difatSectors = needDifat;
  }

  // Sectors in order: FAT, DIFAT, directory, mini FAT, mini stream, data.
  std::vector<uint32_t> fat(fatSectors * perSector, kFree);
  uint32_t next = 0;
  for (uint32_t k = 0; k < fatSectors; ++k)
    fat[next++] = kFatSector;
  const uint32_t firstDifat = next;
  for (uint32_t k = 0; k < difatSectors; ++k)
    fat[next++] = kDifatSector;
  auto chain = [&](uint32_t count) {
    uint32_t first = count ? next : kEnd;
    for (uint32_t k = 0; k < count; ++k, ++next)
      fat[next] = k + 1 < count ? next + 1 : kEnd;
    return first;
  };
  const uint32_t firstDirectory = chain(directorySectors);
  const uint32_t firstMiniFat = chain(miniFatSectors);
  const uint32_t firstMiniStream = chain(miniStreamSectors);
  for (size_t i : bigStreams)
    start[i] = chain(Chunks(FNodes[i].data.size(), sectorSize));

  // Directory entries with a balanced tree of each storage's children.
  std::vector<uint32_t> left(FNodes.size(), kNone), right(FNodes.size(), kNone),
      child(FNodes.size(), kNone);
  for (size_t i = 0; i < FNodes.size(); ++i) {
    std::vector<size_t> kids = FNodes[i].children;
    std::sort(kids.begin(), kids.end(),
              [&](size_t a, size_t b) { return NameLess(FNodes[a].name, FNodes[b].name); });
    std::function<uint32_t(size_t, size_t)> tree = [&](size_t lo, size_t hi) -> uint32_t {
      if (lo >= hi)
        return kNone;
      size_t mid = (lo + hi) / 2;
      left[kids[mid]] = tree(lo, mid);
      right[kids[mid]] = tree(mid + 1, hi);
      return static_cast<uint32_t>(kids[mid]);
    };
    child[i] = tree(0, kids.size());
  }
  std::string directory(directorySectors * sectorSize, '\0');
  for (size_t i = directorySectors * sectorSize / 128; i-- > FNodes.size();)
    Put32(directory, i * 128 + 68, kNone), Put32(directory, i * 128 + 72, kNone),
        Put32(directory, i * 128 + 76, kNone);
  for (size_t i = 0; i < FNodes.size(); ++i) {
    const Node& node = FNodes[i];
    size_t at = i * 128;
    for (size_t c = 0; c < node.name.size() && c < 31; ++c)
      Put16(directory, at + 2 * c, node.name[c]);
    Put16(directory, at + 64,
          static_cast<uint32_t>((std::min<size_t>(node.name.size(), 31) + 1) * 2));
    directory[at + 66] = static_cast<char>(i == 0 ? 5 : node.storage ? 1 : 2);
    directory[at + 67] = 1; // black
    Put32(directory, at + 68, left[i]);
    Put32(directory, at + 72, right[i]);
    Put32(directory, at + 76, child[i]);
    uint64_t size = i == 0 ? miniStream.size() : node.data.size();
    Put32(directory, at + 116, i == 0 ? (miniStream.empty() ? kEnd : firstMiniStream) : start[i]);
    Put32(directory, at + 120, static_cast<uint32_t>(size));
  }

  std::string header(512, '\0');
  header.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
  Put16(header, 24, 0x3E);
  Put16(header, 26, static_cast<uint32_t>(FMajorVersion));
  Put16(header, 28, 0xFFFE);
  Put16(header, 30, sectorSize == 4096 ? 12 : 9);
  Put16(header, 32, 6);
  Put32(header, 40, FMajorVersion >= 4 ? directorySectors : 0);
  Put32(header, 44, fatSectors);
  Put32(header, 48, firstDirectory);
  Put32(header, 56, 4096);
  Put32(header, 60, miniFatSectors ? firstMiniFat : kEnd);
  Put32(header, 64, miniFatSectors);
  Put32(header, 68, difatSectors ? firstDifat : kEnd);
  Put32(header, 72, difatSectors);
  for (uint32_t k = 0; k < 109; ++k)
    Put32(header, 76 + 4 * k, k < fatSectors ? k : kFree);
  header.resize(sectorSize, '\0');

  std::string file = header;
  for (uint32_t k = 0; k < fatSectors * perSector; ++k) {
    file.append(4, '\0');
    Put32(file, file.size() - 4, fat[k]);
  }
  for (uint32_t d = 0; d < difatSectors; ++d) {
    std::string sector(sectorSize, '\0');
    for (uint32_t k = 0; k < perSector - 1; ++k) {
      uint32_t fatIndex = 109 + d * (perSector - 1) + k;
      Put32(sector, 4 * k, fatIndex < fatSectors ? fatIndex : kFree);
    }
    Put32(sector, sectorSize - 4, d + 1 < difatSectors ? firstDifat + d + 1 : kEnd);
    file += sector;
  }
  file += directory;
  std::string miniFatBytes(miniFatSectors * sectorSize, '\xFF');
  for (size_t k = 0; k < miniFat.size(); ++k)
    Put32(miniFatBytes, 4 * k, miniFat[k]);
  file += miniFatBytes;
  std::string miniBytes = miniStream;
  miniBytes.resize(miniStreamSectors * sectorSize, '\0');
  file += miniBytes;
  for (size_t i : bigStreams) {
    std::string data = FNodes[i].data;
    data.resize(Chunks(data.size(), sectorSize) * sectorSize, '\0');
    file += data;
  }
  FLayout = {sectorSize, firstDirectory, 0, fatSectors};
  return file;
}

} // namespace scrivlet::test
