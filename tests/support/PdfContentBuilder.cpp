#include "support/PdfContentBuilder.h"

#include <algorithm>
#include <cstdio>

namespace scrivlet::test {
namespace {

std::string Number(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", v);
  return buffer;
}

std::string Format0(const CmapSubtable& table) {
  std::string glyphs(256, '\0');
  for (auto [c, g] : table.mappings)
    if (c < 256)
      glyphs[c] = static_cast<char>(g);
  return Be16(0) + Be16(262) + Be16(0) + glyphs;
}

std::string Format6(const CmapSubtable& table) {
  uint32_t first = table.mappings.empty() ? 0 : table.mappings.front().first;
  uint32_t last = table.mappings.empty() ? 0 : table.mappings.back().first;
  std::vector<uint16_t> glyphs(table.mappings.empty() ? 0 : last - first + 1, 0);
  for (auto [c, g] : table.mappings)
    glyphs[c - first] = g;
  std::string data = Be16(6) + Be16(static_cast<uint32_t>(10 + glyphs.size() * 2)) + Be16(0) +
                     Be16(first) + Be16(static_cast<uint32_t>(glyphs.size()));
  for (uint16_t g : glyphs)
    data += Be16(g);
  return data;
}

// Segments of consecutive characters with consecutive glyphs (delta coded).
std::string Format4(const CmapSubtable& table) {
  struct Segment {
    uint32_t start, end;
    uint16_t delta;
  };
  std::vector<Segment> segments;
  for (auto [c, g] : table.mappings) {
    uint16_t delta = static_cast<uint16_t>(g - c);
    if (!segments.empty() && segments.back().end + 1 == c && segments.back().delta == delta)
      segments.back().end = c;
    else
      segments.push_back({c, c, delta});
  }
  segments.push_back({0xFFFF, 0xFFFF, 1});
  std::string ends, starts, deltas, offsets;
  for (const Segment& s : segments) {
    ends += Be16(s.end);
    starts += Be16(s.start);
    deltas += Be16(s.delta);
    offsets += Be16(0);
  }
  auto count = static_cast<uint32_t>(segments.size());
  std::string body =
      Be16(count * 2) + Be16(0) + Be16(0) + Be16(0) + ends + Be16(0) + starts + deltas + offsets;
  return Be16(4) + Be16(static_cast<uint32_t>(body.size() + 6)) + Be16(0) + body;
}

std::string Format12(const CmapSubtable& table) {
  std::string groups;
  uint32_t count = 0;
  for (auto [c, g] : table.mappings) {
    groups += Be32(c) + Be32(c) + Be32(g);
    ++count;
  }
  return Be16(12) + Be16(0) + Be32(static_cast<uint32_t>(16 + groups.size())) + Be32(0) +
         Be32(count) + groups;
}

// A CFF INDEX with one-byte offsets... or two when the data need them.
std::string CffIndex(const std::vector<std::string>& items) {
  if (items.empty())
    return Be16(0);
  std::string data;
  std::vector<uint32_t> offsets{1};
  for (const std::string& item : items) {
    data += item;
    offsets.push_back(static_cast<uint32_t>(data.size() + 1));
  }
  std::string index = Be16(static_cast<uint32_t>(items.size())) + std::string(1, '\x02');
  for (uint32_t offset : offsets)
    index += Be16(offset);
  return index + data;
}

// A DICT integer in the five-byte form, so offsets have a fixed size.
std::string CffInteger(uint32_t v) {
  std::string bytes = "\x1D";
  bytes += Be32(v);
  return bytes;
}

// The standard string id of a few glyph names the tests use.
int StandardSid(const std::string& name) {
  static const std::pair<const char*, int> known[] = {{"space", 1}, {"A", 34}, {"B", 35},
                                                      {"a", 66},    {"b", 67}, {"quoteright", 8}};
  for (const auto& [n, sid] : known)
    if (name == n)
      return sid;
  return -1;
}

} // namespace

std::string BuildCffFont(const std::vector<std::string>& glyphNames,
                         const std::vector<uint8_t>& codes,
                         const std::vector<std::pair<uint8_t, std::string>>& supplements,
                         bool standardEncoding) {
  std::vector<std::string> strings;
  auto sidOf = [&](const std::string& name) {
    int sid = StandardSid(name);
    if (sid >= 0)
      return static_cast<uint32_t>(sid);
    strings.push_back(name);
    return static_cast<uint32_t>(391 + strings.size() - 1);
  };
  std::string charset = std::string(1, '\0');
  for (const std::string& name : glyphNames)
    charset += Be16(sidOf(name));
  std::string encoding(1, supplements.empty() ? '\0' : '\x80');
  encoding += static_cast<char>(codes.size());
  for (uint8_t code : codes)
    encoding += static_cast<char>(code);
  if (!supplements.empty()) {
    encoding += static_cast<char>(supplements.size());
    for (const auto& [code, name] : supplements)
      encoding += static_cast<char>(code) + Be16(sidOf(name));
  }
  std::vector<std::string> charStrings(glyphNames.size() + 1, std::string(1, '\x0E'));
  std::string header = std::string("\x01\x00\x04\x01", 4);
  std::string names = CffIndex({"F"});
  // Top DICT: charset (15), encoding (16), CharStrings (17); its size is fixed.
  auto topDict = [&](uint32_t charsetAt, uint32_t encodingAt, uint32_t charStringsAt) {
    return CffInteger(charsetAt) + std::string(1, '\x0F') +
           (standardEncoding ? std::string() : CffInteger(encodingAt) + std::string(1, '\x10')) +
           CffInteger(charStringsAt) + std::string(1, '\x11');
  };
  std::string stringIndex = CffIndex(strings);
  size_t fixed = header.size() + names.size() + CffIndex({topDict(0, 0, 0)}).size() +
                 stringIndex.size() + CffIndex({}).size();
  auto charsetAt = static_cast<uint32_t>(fixed);
  auto encodingAt = static_cast<uint32_t>(charsetAt + charset.size());
  auto charStringsAt = static_cast<uint32_t>(encodingAt + encoding.size());
  return header + names + CffIndex({topDict(charsetAt, encodingAt, charStringsAt)}) + stringIndex +
         CffIndex({}) + charset + encoding + CffIndex(charStrings);
}

std::string Be16(uint32_t v) {
  return std::string{static_cast<char>(v >> 8 & 0xFF), static_cast<char>(v & 0xFF)};
}

std::string Be32(uint32_t v) {
  return Be16(v >> 16) + Be16(v & 0xFFFF);
}

ContentBuilder& ContentBuilder::Font(const std::string& name, double size) {
  return Op("/" + name + " " + Number(size) + " Tf");
}

ContentBuilder& ContentBuilder::MoveTo(double x, double y) {
  return Op(Number(x) + " " + Number(y) + " Td");
}

ContentBuilder& ContentBuilder::Show(const std::string& bytes) {
  return Op(Literal(bytes) + " Tj");
}

ContentBuilder& ContentBuilder::ShowHex(const std::string& bytes) {
  return Op(Hex(bytes) + " Tj");
}

std::string ContentBuilder::Literal(const std::string& bytes) {
  std::string text = "(";
  for (char c : bytes) {
    if (c == '(' || c == ')' || c == '\\')
      text += '\\';
    text += c;
  }
  return text + ")";
}

std::string ContentBuilder::Hex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text = "<";
  for (char c : bytes) {
    text += digits[static_cast<unsigned char>(c) >> 4];
    text += digits[static_cast<unsigned char>(c) & 15];
  }
  return text + ">";
}

std::string BuildTrueTypeFont(uint16_t glyphCount, const std::vector<CmapSubtable>& subtables) {
  std::string cmap = Be16(0) + Be16(static_cast<uint32_t>(subtables.size()));
  std::string bodies;
  size_t bodyStart = 4 + subtables.size() * 8;
  for (const CmapSubtable& table : subtables) {
    std::string body = table.format == 0    ? Format0(table)
                       : table.format == 6  ? Format6(table)
                       : table.format == 12 ? Format12(table)
                                            : Format4(table);
    cmap += Be16(table.platform) + Be16(table.encoding) +
            Be32(static_cast<uint32_t>(bodyStart + bodies.size()));
    bodies += body;
  }
  cmap += bodies;
  std::string maxp = Be32(0x00005000) + Be16(glyphCount);
  // Table directory: cmap, maxp.
  size_t dataStart = 12 + 2 * 16;
  std::string font = Be32(0x00010000) + Be16(2) + Be16(32) + Be16(1) + Be16(0);
  font += "cmap" + Be32(0) + Be32(static_cast<uint32_t>(dataStart)) +
          Be32(static_cast<uint32_t>(cmap.size()));
  font += "maxp" + Be32(0) + Be32(static_cast<uint32_t>(dataStart + cmap.size())) +
          Be32(static_cast<uint32_t>(maxp.size()));
  return font + cmap + maxp;
}

} // namespace scrivlet::test
