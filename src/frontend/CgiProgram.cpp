#include "frontend/CgiProgram.h"

#include "core/CodePage.h"
#include "core/Process.h"
#include "frontend/PageService.h"

#include <cstdio>
#include <unistd.h>

namespace scrivlet {
namespace {

// Writes all bytes to a file descriptor with write(2) alone: the
// watchdog's thread may not use the standard output's buffer, which the
// request's thread owns.
void WriteAll(int descriptor, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t written = ::write(descriptor, bytes.data() + done, bytes.size() - done);
    if (written <= 0)
      return;
    done += static_cast<size_t>(written);
  }
}

} // namespace

int RunCgi() {
  int codePage = HostCodePage();
  SetSystemCodePage(codePage);
  std::vector<std::string> environment = EnvironmentEntries();
  std::string body(PageService::BodyLength(environment), '\0');
  body.resize(std::fread(body.data(), 1, body.size(), stdin));
  PageService service(ConfigFileFor(ExecutablePath()), codePage);
  std::string page = service.Answer(environment, body, [](const std::string& timeLimitPage) {
    WriteAll(STDOUT_FILENO, timeLimitPage);
    ::_exit(1);
  });
  std::fwrite(page.data(), 1, page.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace scrivlet
