#include "frontend/RequestWatchdog.h"

namespace scrivlet {
namespace {

constexpr auto kNever = std::chrono::steady_clock::time_point::max();

} // namespace

RequestWatchdog::~RequestWatchdog() {
  {
    std::lock_guard lock(FMutex);
    FStopping = true;
  }
  FChanged.notify_all();
  if (FThread.joinable())
    FThread.join();
}

void RequestWatchdog::Arm(std::chrono::milliseconds limit, std::string page, Expiry expired) {
  bool wake = false;
  {
    std::lock_guard lock(FMutex);
    FState = State::Armed;
    FDeadline = std::chrono::steady_clock::now() + limit;
    FPage = std::move(page);
    FExpired = std::move(expired);
    wake = FDeadline < FWakeAt;
  }
  if (!FThread.joinable())
    FThread = std::thread([this] { Watch(); });
  else if (wake)
    FChanged.notify_all();
}

bool RequestWatchdog::Disarm() {
  // While an expiry runs it holds the lock: a request that finishes just
  // then waits here and does not answer a second time.
  std::lock_guard lock(FMutex);
  bool inTime = FState == State::Armed;
  FState = State::Idle;
  return inTime;
}

void RequestWatchdog::Watch() {
  std::unique_lock lock(FMutex);
  while (!FStopping) {
    if (FState == State::Armed && std::chrono::steady_clock::now() >= FDeadline) {
      FState = State::Expired;
      FExpired(FPage);
    }
    // A request armed later expires no sooner than the one armed now: the
    // thread sleeps until then, or until an earlier deadline wakes it.
    FWakeAt = FState == State::Armed ? FDeadline : kNever;
    if (FWakeAt == kNever)
      FChanged.wait(lock);
    else
      FChanged.wait_until(lock, FWakeAt);
  }
}

} // namespace scrivlet
