// The time limit of one request.  A conversion cannot be stopped half-way
// (the readers have no point at which to give up), so a thread of its own
// watches the clock: when a request runs past its limit, the watchdog
// answers it with the page it was given and ends the process, and the web
// server's process manager starts a fresh worker.  A request that finishes
// in time disarms it before it answers, so that exactly one response is
// written.
//
// Arming and disarming take a lock and nothing else: the watchdog's thread
// sleeps until the earliest moment a request can expire and looks then, so
// that a worker answering thousands of requests a second does not wake it
// for each.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace scrivlet {

class RequestWatchdog {
public:
  // Called on the watchdog's thread with the page of an expired request;
  // it answers with it and ends the process (in a test: takes note).  The
  // request's own thread is then still converting: the action must touch
  // nothing that thread uses and allocate nothing.
  using Expiry = std::function<void(const std::string& page)>;

  RequestWatchdog() = default;
  RequestWatchdog(const RequestWatchdog&) = delete;
  RequestWatchdog& operator=(const RequestWatchdog&) = delete;
  ~RequestWatchdog();

  // Starts the clock of a request: `expired` runs with `page` unless Disarm
  // comes within `limit`.  The page is made beforehand, so that the expiry
  // writes bytes that exist.
  void Arm(std::chrono::milliseconds limit, std::string page, Expiry expired);

  // Stops the clock.  True when the request is still the caller's to
  // answer; false when its time ran out and the expiry has answered it
  // (where the expiry ends the process, Disarm then never returns).
  bool Disarm();

private:
  enum class State { Idle, Armed, Expired };
  void Watch();

  std::mutex FMutex;
  std::condition_variable FChanged;
  State FState = State::Idle;
  bool FStopping = false;
  std::chrono::steady_clock::time_point FDeadline{};
  // When the watchdog's thread looks next; an Arm with an earlier deadline
  // wakes it.
  std::chrono::steady_clock::time_point FWakeAt = std::chrono::steady_clock::time_point::max();
  std::string FPage;
  Expiry FExpired;
  std::thread FThread; // started at the first Arm
};

} // namespace scrivlet
