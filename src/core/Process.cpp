#include "core/Process.h"

#include <climits>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

namespace scrivlet {
namespace {

size_t ExtensionStart(std::string_view fileName) {
  size_t dot = fileName.find_last_of('.');
  size_t delimiter = fileName.find_last_of("/\\:");
  if (dot == std::string_view::npos || (delimiter != std::string_view::npos && delimiter > dot))
    return std::string_view::npos;
  return dot;
}

} // namespace

std::vector<std::string> EnvironmentEntries() {
  std::vector<std::string> entries;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry)
    entries.emplace_back(*entry);
  return entries;
}

std::string ExecutablePath() {
  std::string path(PATH_MAX, '\0');
  ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0)
    return {};
  path.resize(static_cast<size_t>(length));
  return path;
}

bool FileExists(const std::string& fileName) {
  struct stat info {};
  return !fileName.empty() && stat(fileName.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsDirectory(const std::string& name) {
  struct stat info {};
  return !name.empty() && stat(name.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string ExtractFileExt(std::string_view fileName) {
  size_t start = ExtensionStart(fileName);
  return start == std::string_view::npos ? std::string() : std::string(fileName.substr(start));
}

std::string ChangeFileExt(std::string_view fileName, std::string_view extension) {
  size_t start = ExtensionStart(fileName);
  std::string result(fileName.substr(0, start));
  result += extension;
  return result;
}

} // namespace scrivlet
