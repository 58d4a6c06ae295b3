// libFuzzer target: the CGI request scan and URL decoding.  The input's
// lines become environment entries (the first one a QUERY_STRING); the
// request is scanned, converted against a document root that is an empty
// directory of this process (so that no file outside it is ever opened),
// and the page rendered (which escapes it).  The whole input is also
// URL-decoded.
#include "core/Exception.h"
#include "frontend/CgiPage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

const std::string& EmptyDocumentRoot() {
  static const std::string root = [] {
    char pattern[] = "/tmp/scrivlet-fuzz-root-XXXXXX";
    const char* made = mkdtemp(pattern);
    return std::string(made ? made : "/nonexistent-scrivlet-root");
  }();
  return root;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace scrivlet;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  size_t total = UrlDecode(input).size();

  std::vector<std::string> environment;
  size_t start = 0;
  while (start <= input.size() && environment.size() < 64) {
    size_t end = input.find('\n', start);
    std::string_view line = input.substr(start, end == std::string_view::npos ? end : end - start);
    environment.push_back(environment.empty() ? "QUERY_STRING=" + std::string(line)
                                              : std::string(line));
    if (end == std::string_view::npos)
      break;
    start = end + 1;
  }
  CgiRequest request = ScanRequest(environment);
  PageConfig config;
  config.documentRoot = EmptyDocumentRoot();
  PageContent content = ConvertForPage(request, config);
  total += RenderPage(request, config, content).size();
  volatile size_t sink = total;
  (void)sink;
  return 0;
}
