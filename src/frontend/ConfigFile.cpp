#include "frontend/ConfigFile.h"
#include "core/Ascii.h"

#include "core/Process.h"
#include "core/Stream.h"

#include <algorithm>

namespace scrivlet {
namespace {

// Blanks and control characters count as white space at the ends of a line.
std::string_view Trim(std::string_view text) {
  auto isSpace = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (!text.empty() && isSpace(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back()))
    text.remove_suffix(1);
  return text;
}

} // namespace

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n')
      continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
      ++i;
    start = i + 1;
  }
  if (start < text.size())
    lines.emplace_back(text.substr(start));
  return lines;
}

ConfigFile::ConfigFile(std::string fileName) : FFileName(std::move(fileName)) {
  if (!FileExists(FFileName))
    return;
  FileStream file(FFileName);
  FLines = SplitLines(file.ReadAllBytes());
}

int ConfigFile::IndexOfSection(std::string_view section) const {
  std::string header;
  header.reserve(section.size() + 2);
  header.append("[").append(section).append("]");
  for (size_t i = 0; i < FLines.size(); ++i)
    if (EqualsIgnoringAsciiCase(FLines[i], header))
      return static_cast<int>(i);
  return -1;
}

bool ConfigFile::IsSectionLine(std::string_view line) {
  line = Trim(line);
  return !line.empty() && line.front() == '[' && line.back() == ']';
}

void ConfigFile::ReadSection(std::string_view section, std::vector<std::string>& strings,
                             bool namesOnly) const {
  strings.clear();
  int header = IndexOfSection(section);
  if (header < 0)
    return;
  for (size_t i = static_cast<size_t>(header) + 1; i < FLines.size(); ++i) {
    const std::string& line = FLines[i];
    if (IsSectionLine(line))
      break;
    std::string taken;
    if (!namesOnly) {
      taken = line;
    } else if (size_t equals = line.find('='); equals != std::string::npos) {
      taken = Trim(std::string_view(line).substr(0, equals));
    }
    if (!taken.empty())
      strings.push_back(std::move(taken));
  }
}

} // namespace scrivlet
