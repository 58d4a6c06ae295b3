#include "frontend/FastCgiServer.h"

#include "core/CodePage.h"
#include "core/Process.h"

#include <fcgiapp.h>

#include <cstring>
#include <malloc.h>
#include <new>
#include <unistd.h>

namespace scrivlet {
namespace {

// The response when not even an error page can be made.
constexpr std::string_view kFallbackResponse =
    "Status: 500 Internal Server Error\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n"
    "The server could not answer this request\r\n";

// The socket a FastCGI worker is handed to accept its connections on.
constexpr int kListeningSocket = 0;

// Free heap memory past which a worker returns it to the system.
constexpr size_t kTrimAfterBytes = 8 * 1024 * 1024;

std::vector<std::string> ParameterEntries(const FCGX_Request& request) {
  std::vector<std::string> entries;
  for (char** entry = request.envp; entry != nullptr && *entry != nullptr; ++entry)
    entries.emplace_back(*entry);
  return entries;
}

// Up to `length` bytes of the request body, fewer when it ends first.
std::string ReadBody(FCGX_Stream* input, size_t length) {
  std::string body(length, '\0');
  size_t got = 0;
  while (got < length) {
    int chunk = static_cast<int>(std::min<size_t>(length - got, 1 << 16));
    int n = FCGX_GetStr(body.data() + got, chunk, input);
    if (n <= 0)
      break;
    got += static_cast<size_t>(n);
  }
  body.resize(got);
  return body;
}

void Write(FCGX_Stream* output, std::string_view bytes) {
  while (!bytes.empty()) {
    int chunk = static_cast<int>(std::min<size_t>(bytes.size(), 1 << 20));
    if (FCGX_PutStr(bytes.data(), chunk, output) != chunk)
      return; // the server went away: nothing more to say
    bytes.remove_prefix(static_cast<size_t>(chunk));
  }
}

// glibc keeps freed heap memory for the next allocation; after a large
// request that would leave the worker as big as its largest request ever
// was.  Past a few megabytes, it goes back to the system.
void ReleaseFreedMemory() {
  if (mallinfo2().fordblks > kTrimAfterBytes)
    malloc_trim(0);
}

} // namespace

bool StartedAsFastCgi() {
  return FCGX_IsCGI() == 0;
}

void AnswerFastCgiRequest(FCGX_Request& request, PageService& service) {
  try {
    std::vector<std::string> environment = ParameterEntries(request);
    std::string body = ReadBody(request.in, PageService::BodyLength(environment));
    std::string page = service.Answer(environment, body, [&request](const std::string& late) {
      // The request's thread is still converting: stop listening first, so
      // that the server's next connection is refused at once (and goes to
      // another worker) rather than accepted by a worker about to end;
      // then answer with the bytes made beforehand, close the streams
      // (which sends the end of the request) and leave; the process
      // manager starts another worker.
      ::close(kListeningSocket);
      FCGX_PutStr(late.data(), static_cast<int>(late.size()), request.out);
      FCGX_FClose(request.err);
      FCGX_FClose(request.out);
      ::_exit(3);
    });
    Write(request.out, page);
  } catch (const std::exception&) {
    Write(request.out, kFallbackResponse);
  }
  FCGX_Finish_r(&request);
  ReleaseFreedMemory();
}

int RunFastCgi() {
  if (FCGX_Init() != 0)
    return 1;
  int codePage = HostCodePage();
  SetSystemCodePage(codePage);
  PageService service(ConfigFileFor(ExecutablePath()), codePage, /*keepPages=*/true);
  FCGX_Request request;
  if (FCGX_InitRequest(&request, 0, 0) != 0)
    return 1;
  while (FCGX_Accept_r(&request) >= 0)
    AnswerFastCgiRequest(request, service);
  return 0;
}

} // namespace scrivlet
