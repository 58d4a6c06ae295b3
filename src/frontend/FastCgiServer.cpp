#include "frontend/FastCgiServer.h"

#include "core/CodePage.h"
#include "core/Process.h"
#include "frontend/RequestDeadline.h"

#include <fcgiapp.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <malloc.h>
#include <new>
#include <poll.h>
#include <sys/socket.h>
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

// Set by SIGTERM or SIGUSR1, the signals with which web servers and process
// managers ask a worker to stop.
volatile sig_atomic_t gStopRequested = 0;

void RequestStop(int) {
  gStopRequested = 1;
}

// The stop signals end the worker between requests: they are held while a
// request is read and answered, and taken while the worker waits for the
// next one.
class StopSignals {
public:
  StopSignals() {
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigset_t stop;
    sigemptyset(&stop);
    for (int signal : {SIGTERM, SIGUSR1}) {
      ::sigaction(signal, &action, nullptr);
      sigaddset(&stop, signal);
    }
    ::pthread_sigmask(SIG_BLOCK, &stop, &FWhileWaiting);
    for (int signal : {SIGTERM, SIGUSR1})
      sigdelset(&FWhileWaiting, signal);
  }
  // The signal mask to wait with.
  const sigset_t& WhileWaiting() const { return FWhileWaiting; }

private:
  sigset_t FWhileWaiting;
};

// Drops a client whose time ran out: nothing more is read from it or
// written to it, and libfcgi's closing does not wait on it.
void Drop(FCGX_Request& request) {
  if (request.ipcFd >= 0)
    ::shutdown(request.ipcFd, SHUT_RDWR);
  FCGX_Finish_r(&request);
}

// Closes a connection the web server kept open for more requests.
void CloseKeptConnection(FCGX_Request& request) {
  ::shutdown(request.ipcFd, SHUT_RDWR);
  FCGX_Free(&request, 1);
}

timespec TimeSpecOf(std::chrono::milliseconds time) {
  return {static_cast<time_t>(time.count() / 1000),
          static_cast<long>(time.count() % 1000) * 1000000L};
}

// Waits until a client is there: a connection to accept, or the next
// request on a connection the web server keeps open (which must come
// within the request time, as any request must; the connection is closed
// otherwise).  False when the worker is asked to stop or the socket fails.
bool WaitForClient(FCGX_Request& request, const StopSignals& signals,
                   std::chrono::milliseconds requestTimeout) {
  while (gStopRequested == 0) {
    const bool kept = request.ipcFd >= 0;
    pollfd wanted{kept ? request.ipcFd : kListeningSocket, POLLIN, 0};
    const timespec timeout = TimeSpecOf(requestTimeout);
    int ready = ::ppoll(&wanted, 1, kept ? &timeout : nullptr, &signals.WhileWaiting());
    if (ready > 0)
      return (wanted.revents & POLLNVAL) == 0;
    if (ready == 0)
      CloseKeptConnection(request);
    else if (errno != EINTR)
      return false;
  }
  return false;
}

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

void AnswerFastCgiRequest(FCGX_Request& request, PageService& service, RequestDeadline& deadline) {
  try {
    std::vector<std::string> environment = ParameterEntries(request);
    std::string body = ReadBody(request.in, PageService::BodyLength(environment));
    // A body cut short by the deadline (or by the client going away) is no
    // request to answer.
    if (FCGX_GetError(request.in) != 0) {
      deadline.Stop();
      return Drop(request);
    }
    deadline.Stop();
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
    // A client that does not take its answer has the same time to do so.
    deadline.Start(service.RequestTimeout());
    Write(request.out, page);
  } catch (const std::exception&) {
    Write(request.out, kFallbackResponse);
  }
  if (deadline.Expired())
    Drop(request);
  else
    FCGX_Finish_r(&request);
  deadline.Stop();
  ReleaseFreedMemory();
}

int RunFastCgi() {
  if (FCGX_Init() != 0)
    return 1;
  // A client gone away makes a write fail; it does not end the worker.
  ::signal(SIGPIPE, SIG_IGN);
  int codePage = HostCodePage();
  SetSystemCodePage(codePage);
  PageService service(ConfigFileFor(ExecutablePath()), codePage, /*keepPages=*/true);
  FCGX_Request request;
  if (FCGX_InitRequest(&request, kListeningSocket, FCGI_FAIL_ACCEPT_ON_INTR) != 0)
    return 1;
  // The worker waits for clients itself (so that a client's time starts
  // when its connection is accepted); accepting then never waits, also
  // when another worker on the same socket took the connection first.
  int flags = ::fcntl(kListeningSocket, F_GETFL);
  if (flags < 0 || ::fcntl(kListeningSocket, F_SETFL, flags | O_NONBLOCK) != 0)
    return 1;
  StopSignals signals;
  RequestDeadline deadline;
  while (WaitForClient(request, signals, service.RequestTimeout())) {
    deadline.Start(service.RequestTimeout());
    int accepted = FCGX_Accept_r(&request);
    if (accepted < 0) {
      deadline.Stop();
      // Nothing to accept after all, or a client dropped on the way.
      if (accepted == -EAGAIN || accepted == -EWOULDBLOCK || accepted == -EINTR)
        continue;
      break;
    }
    AnswerFastCgiRequest(request, service, deadline);
  }
  return 0;
}

} // namespace scrivlet
