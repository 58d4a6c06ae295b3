// libFuzzer target: a FastCGI request as the web server sends it, through
// libfcgi and the worker's request path.  The input's first two bytes give
// the length of the parameters' text: lines of NAME=value (any bytes, NUL
// included; at most 64), each sent as a name-value pair; the rest is the
// request body (STDIN).  The pairs' lengths are always right: libfcgi
// trusts the web server's framing (a pair that announces gigabytes is
// allocated as such), and the web server is a worker's only peer.  Each
// input goes over a fresh connection to a listening Unix socket of this
// process; the worker answers against a document root that is an empty
// directory (so that no file outside it is ever opened), and the response
// is read back whole.
#include "frontend/FastCgiServer.h"
#include "frontend/RequestDeadline.h"
#include "support/FastCgiClient.h"

#include <fcgiapp.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

struct Site {
  std::string socketPath;
  int listener = -1;
  std::unique_ptr<scrivlet::PageService> service;
};

// The worker's side, made once: a folder with an empty document root, its
// configuration, and a non-blocking listening socket (an input whose
// parameters libfcgi refuses makes it look for the next connection, and
// there is none).
Site& TheSite() {
  static Site site = [] {
    Site made;
    char pattern[] = "/tmp/scrivlet-fcgi-fuzz-XXXXXX";
    const char* folder = mkdtemp(pattern);
    if (folder == nullptr)
      std::abort();
    std::string root = std::string(folder) + "/documents";
    ::mkdir(root.c_str(), 0700);
    std::ofstream(std::string(folder) + "/scrivlet.cfg") << "[DocumentRoot]\n" << root << "\n";
    made.socketPath = std::string(folder) + "/socket";
    made.listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, made.socketPath.c_str(), sizeof(address.sun_path) - 1);
    if (made.listener < 0 ||
        ::bind(made.listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(made.listener, 4) != 0 || FCGX_Init() != 0)
      std::abort();
    made.service =
        std::make_unique<scrivlet::PageService>(std::string(folder) + "/scrivlet.cfg", 65001);
    return made;
  }();
  return site;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2)
    return 0;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  size_t paramsLength = std::min<size_t>(
      static_cast<uint8_t>(input[0]) * 256u + static_cast<uint8_t>(input[1]), input.size() - 2);
  std::string params;
  std::string_view lines = input.substr(2, paramsLength);
  for (int count = 0; !lines.empty() && count < 64; ++count) {
    std::string_view line = lines.substr(0, lines.find('\n'));
    lines.remove_prefix(std::min(lines.size(), line.size() + 1));
    size_t equals = line.find('=');
    params += scrivlet::test::FastCgiNameValue(
        line.substr(0, equals),
        equals == std::string_view::npos ? std::string_view() : line.substr(equals + 1));
  }
  std::string records =
      scrivlet::test::FastCgiRawRequestRecords(1, params, input.substr(2 + paramsLength));

  Site& site = TheSite();
  // Connected before the worker accepts (a Unix socket's connection is
  // queued at once); the web server's side then runs on a thread of its
  // own: it sends the records and reads the response until the worker
  // closes the connection.
  int connection = scrivlet::test::ConnectToFastCgi(site.socketPath);
  if (connection < 0)
    std::abort();
  std::thread client([&] { (void)scrivlet::test::ExchangeOnConnection(connection, records); });
  FCGX_Request request;
  FCGX_InitRequest(&request, site.listener, 0);
  // Parameters that libfcgi refuses end in a failed accept (it closes the
  // connection and finds no other).
  // No deadline runs here: the client thread sends its records at once.
  scrivlet::RequestDeadline deadline;
  if (FCGX_Accept_r(&request) >= 0)
    scrivlet::AnswerFastCgiRequest(request, *site.service, deadline);
  client.join();
  return 0;
}
