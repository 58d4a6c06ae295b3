// libFuzzer target: the configuration reader.  The input is written to a
// file of this process and read as the CGI page's configuration, then
// section by section.
#include "core/Exception.h"
#include "frontend/CgiPage.h"
#include "frontend/ConfigFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const std::string& ConfigPath() {
  static const std::string path = [] {
    char pattern[] = "/tmp/scrivlet-fuzz-cfg-XXXXXX";
    int fd = mkstemp(pattern);
    if (fd >= 0)
      close(fd);
    return std::string(pattern);
  }();
  return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace scrivlet;
  const std::string& path = ConfigPath();
  if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
  size_t total = 0;
  try {
    PageConfig config = ReadPageConfig(path);
    total += config.headBlock.size() + config.endBlock.size() + config.documentRoot.size();
    ConfigFile ini(path);
    std::vector<std::string> lines;
    for (const char* section : {"Head", "EndOfBody", "DocumentRoot", ""}) {
      ini.ReadSection(section, lines, section[0] == 'E');
      total += lines.size() + static_cast<size_t>(ini.IndexOfSection(section) + 1);
    }
  } catch (const Exception&) {
  }
  volatile size_t sink = total;
  (void)sink;
  return 0;
}
