// How long a FastCGI worker gives one client.  libfcgi reads a request and
// writes its answer with blocking calls and no time limit of its own: a
// client that sends half a request (half a PARAMS record, a body shorter
// than announced), or never reads its answer, would hold a worker for ever
// while every other client waits.  A timer of the worker's own thread
// interrupts the call it then waits in (the call fails with EINTR, and the
// request is dropped) once the client's time is up, and again every period
// after that, so that a connection libfcgi accepts by itself after
// dropping one has a period of its own too.
#pragma once

#include <chrono>
#include <csignal>
#include <ctime>

namespace scrivlet {

class RequestDeadline {
public:
  // The timer signals the thread that makes it: the one that serves the
  // requests.
  RequestDeadline();
  ~RequestDeadline();
  RequestDeadline(const RequestDeadline&) = delete;
  RequestDeadline& operator=(const RequestDeadline&) = delete;

  // Whether the timer exists (the system gave one).
  bool Usable() const { return FUsable; }
  // Starts a client's time: the thread's blocking calls are interrupted
  // after `limit`, and every `limit` after that, until Stop.
  void Start(std::chrono::milliseconds limit);
  void Stop();
  // Whether the time ran out since the last Start.
  bool Expired() const;

private:
  timer_t FTimer{};
  bool FUsable = false;
  unsigned FExpiriesAtStart = 0;
};

} // namespace scrivlet
