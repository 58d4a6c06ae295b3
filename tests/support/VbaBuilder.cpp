#include "support/VbaBuilder.h"
#include "support/Bytes.h"

#include <bit>
#include <unordered_map>
#include <utility>

namespace scrivlet::test {
namespace {

constexpr size_t kChunk = 4096;

unsigned LengthBits(size_t decoded) {
  unsigned offsetBits = std::bit_width(decoded - 1);
  return 16 - (offsetBits < 4 ? 4 : offsetBits);
}

std::u16string Widen(std::string_view bytes) {
  std::u16string text;
  for (char c : bytes)
    text.push_back(static_cast<uint8_t>(c));
  return text;
}

std::string Utf16(std::u16string_view text) {
  std::string bytes;
  for (char16_t c : text)
    bytes += U16(c);
  return bytes;
}

// The longest earlier match (at least 3 bytes) for the bytes at pos of a
// chunk, nearest first among equals.  Candidates come from chains of
// positions with the same first 3 bytes, the nearest 512 at most.
struct MatchFinder {
  explicit MatchFinder(std::string_view chunk) : chunk(chunk), previous(chunk.size(), kNoPos) {}

  static constexpr size_t kNoPos = SIZE_MAX;
  static constexpr int kMaxCandidates = 512;

  static uint32_t Key(std::string_view bytes, size_t at) {
    return static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 2])) << 16;
  }

  // Records the positions from `inserted` up to pos as candidates.
  void InsertUpTo(size_t pos) {
    for (; inserted < pos && inserted + 3 <= chunk.size(); ++inserted) {
      auto [it, fresh] = heads.try_emplace(Key(chunk, inserted), inserted);
      if (!fresh) {
        previous[inserted] = it->second;
        it->second = inserted;
      }
    }
  }

  std::pair<size_t, size_t> Longest(size_t pos, size_t maxLength) {
    InsertUpTo(pos);
    size_t bestLength = 0, bestOffset = 0;
    if (pos + 3 > chunk.size())
      return {0, 0};
    auto head = heads.find(Key(chunk, pos));
    size_t from = head == heads.end() ? kNoPos : head->second;
    for (int n = 0; from != kNoPos && n < kMaxCandidates; ++n, from = previous[from]) {
      size_t length = 0;
      while (pos + length < chunk.size() && length < maxLength &&
             chunk[from + length] == chunk[pos + length])
        ++length;
      if (length > bestLength) {
        bestLength = length;
        bestOffset = pos - from;
      }
    }
    return {bestLength, bestOffset};
  }

  std::string_view chunk;
  std::vector<size_t> previous;
  std::unordered_map<uint32_t, size_t> heads;
  size_t inserted = 0;
};

// One chunk of at most 4096 bytes as a compressed chunk's body.
std::string CompressChunkBody(std::string_view chunk, VbaCompressionStats& stats) {
  std::string body;
  MatchFinder finder(chunk);
  size_t pos = 0;
  while (pos < chunk.size()) {
    size_t flagAt = body.size();
    body.push_back('\0');
    uint8_t flags = 0;
    for (int bit = 0; bit < 8 && pos < chunk.size(); ++bit) {
      auto [bestLength, bestOffset] = pos > 0
                                          ? finder.Longest(pos, (size_t{1} << LengthBits(pos)) + 2)
                                          : std::pair<size_t, size_t>{0, 0};
      if (bestLength >= 3) {
        flags |= static_cast<uint8_t>(1u << bit);
        body += U16(VbaCopyToken(pos, bestOffset, bestLength));
        ++stats.copyTokensByLengthBits[LengthBits(pos)];
        pos += bestLength;
      } else {
        body.push_back(chunk[pos++]);
        ++stats.literals;
      }
    }
    body[flagAt] = static_cast<char>(flags);
  }
  return body;
}

void Record(std::string& out, uint16_t id, std::string_view data) {
  out += U16(id) + U32(static_cast<uint32_t>(data.size()));
  out.append(data);
}

std::string Sized(std::string_view text) {
  return U32(static_cast<uint32_t>(text.size())) + std::string(text);
}

void References(std::string& dir) {
  // A registered type library.
  Record(dir, 0x0016, "stdole");
  Record(dir, 0x003E, Utf16(u"stdole"));
  std::string stdole =
      "*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#stdole2.tlb#OLE Automation";
  Record(dir, 0x000D, Sized(stdole) + U32(0) + U16(0));
  // Another project.
  Record(dir, 0x0016, "Normal");
  Record(dir, 0x003E, Utf16(u"Normal"));
  Record(dir, 0x000E, Sized("*\\CNormal") + Sized("*\\CNormal") + U32(0x37B68F08) + U16(2));
  // A control library: original, twiddled and extended parts.
  Record(dir, 0x0016, "MSForms");
  Record(dir, 0x003E, Utf16(u"MSForms"));
  std::string forms = "*\\G{0D452EE1-E08F-101A-852E-02608C4D0BB4}#2.0#0#FM20.DLL#Forms";
  Record(dir, 0x0033, forms);
  Record(dir, 0x002F, Sized(forms) + U32(0) + U16(0));
  Record(dir, 0x0016, "MSForms");
  Record(dir, 0x003E, Utf16(u"MSForms"));
  Record(dir, 0x0030, Sized(forms) + U32(0) + U16(0) + std::string(16, '\x11') + U32(0));
}

} // namespace

std::string VbaChunkHeader(size_t size, bool compressed) {
  return U16(static_cast<uint32_t>((size - 3) | 0x3000 | (compressed ? 0x8000 : 0)));
}

uint16_t VbaCopyToken(size_t decoded, size_t offset, size_t length) {
  unsigned lengthBits = LengthBits(decoded);
  return static_cast<uint16_t>((offset - 1) << lengthBits | (length - 3));
}

std::string CompressVba(std::string_view source, VbaCompressionStats* stats,
                        VbaCompressionOptions options) {
  VbaCompressionStats local;
  VbaCompressionStats& counts = stats ? *stats : local;
  std::string out = "\x01";
  for (size_t start = 0; start < source.size(); start += kChunk) {
    std::string_view chunk = source.substr(start, kChunk);
    std::string body = CompressChunkBody(chunk, counts);
    bool whole = chunk.size() == kChunk;
    if (whole && (options.rawChunks || body.size() > kChunk)) {
      out += VbaChunkHeader(kChunk + 2, false);
      out.append(chunk);
      ++counts.rawChunks;
    } else {
      out += VbaChunkHeader(body.size() + 2, true) + body;
      ++counts.compressedChunks;
    }
  }
  return out;
}

VbaModuleSpec& VbaProjectBuilder::AddModule(std::string name, std::string source) {
  VbaModuleSpec module;
  module.name = std::move(name);
  module.source = std::move(source);
  modules.push_back(std::move(module));
  return modules.back();
}

std::string VbaProjectBuilder::DirStream() const {
  std::string dir;
  Record(dir, 0x0001, U32(1)); // 32-bit Windows
  Record(dir, 0x0002, U32(0x0409));
  Record(dir, 0x0014, U32(0x0409));
  Record(dir, 0x0003, U16(codePage));
  Record(dir, 0x0004, "Project");
  Record(dir, 0x0005, "");
  Record(dir, 0x0040, "");
  Record(dir, 0x0006, "");
  Record(dir, 0x003D, "");
  Record(dir, 0x0007, U32(0));
  Record(dir, 0x0008, U32(0));
  // The version record declares 4 bytes and holds 6.
  dir += U16(0x0009) + U32(4) + U32(0x382AA0C5) + U16(3);
  Record(dir, 0x000C, "");
  Record(dir, 0x003C, "");
  References(dir);
  Record(dir, 0x000F, U16(static_cast<uint32_t>(modules.size())));
  Record(dir, 0x0013, U16(0xFFFF));
  for (const VbaModuleSpec& module : modules) {
    std::string stream = module.streamName.empty() ? module.name : module.streamName;
    Record(dir, 0x0019, module.name);
    Record(dir, 0x0047, Utf16(Widen(module.name)));
    Record(dir, 0x001A, stream);
    if (module.writeUnicodeStreamName)
      Record(dir, 0x0032, Utf16(Widen(stream)));
    Record(dir, 0x001C, "");
    Record(dir, 0x0048, "");
    if (module.writeOffset)
      Record(dir, 0x0031, U32(module.cacheSize));
    Record(dir, 0x001E, U32(0));
    Record(dir, 0x002C, U16(0xFFFF));
    Record(dir, 0x0021, "");
    Record(dir, 0x0025, "");
    Record(dir, 0x002B, "");
  }
  Record(dir, 0x0010, "");
  return dir;
}

std::string VbaProjectBuilder::PerformanceCache() const {
  std::string cache = U16(0x61CC) + U16(0x005E) + std::string(30, '\0');
  auto reference = [&cache](std::u16string_view text, size_t tail) {
    cache += U16(static_cast<uint32_t>(text.size() * 2)) + Utf16(text);
    cache += std::string(tail, '\x7E');
  };
  reference(u"*\\G{000204EF-0000-0000-C000-000000000046}#4.0#9#VBE6.DLL#Visual Basic", 12);
  reference(u"*\\CNormal", 0); // every second control reference has a tail
  reference(u"*\\CNormal", 12);
  reference(u"*\\H{00000000-0000-0000-0000-000000000000}", 12);
  cache += std::string(132, '\0'); // begins with a length below 6
  cache += U16(static_cast<uint32_t>(modules.size()));
  for (size_t i = 0; i < modules.size(); ++i) {
    const VbaModuleSpec& module = modules[i];
    std::u16string name = module.cacheName.empty() ? Widen(module.name) : module.cacheName;
    cache += U16(static_cast<uint32_t>(name.size() * 2)) + Utf16(name);
    cache += U16(static_cast<uint32_t>(name.size() * 2)) + Utf16(name);
    if (i % 2 == 0) {
      cache += U16(4) + std::string(6, '\x55');
    } else {
      cache += U16(0xFFFF) + U16(0) + U16(3) + std::string(3, '\x55');
    }
    cache += std::string(8, '\x66');
    cache += '\x02' + std::string(2 * 8 + 6, '\x77');
    cache += U32(module.cacheSize) + U16(0);
  }
  return cache;
}

std::string VbaProjectBuilder::ModuleStream(const VbaModuleSpec& module) const {
  std::string cache(module.cacheSize, '\0');
  for (size_t i = 0; i < cache.size(); ++i)
    cache[i] = static_cast<char>(0xA0 + i % 31);
  return cache + CompressVba(module.source);
}

void VbaProjectBuilder::AddTo(CompoundFileBuilder& file, const std::u16string& storage) const {
  std::u16string prefix = storage.empty() ? u"" : storage + u"/";
  std::string project = "ID=\"{00000000-0000-0000-0000-000000000000}\"\r\n";
  for (const VbaModuleSpec& module : modules)
    project += "Module=" + module.name + "\r\n";
  project += "Name=\"Project\"\r\n";
  file.AddStream(prefix + u"PROJECT", project);
  if (writeDir)
    file.AddStream(prefix + u"VBA/dir", CompressVba(DirStream()));
  if (writeCache)
    file.AddStream(prefix + u"VBA/_VBA_PROJECT", PerformanceCache());
  for (const VbaModuleSpec& module : modules)
    if (module.writeStream)
      file.AddStream(prefix + u"VBA/" +
                         Widen(module.streamName.empty() ? module.name : module.streamName),
                     ModuleStream(module));
  if (!writeDir && !writeCache && modules.empty())
    file.AddStorage(prefix + u"VBA");
}

} // namespace scrivlet::test
