#include "frontend/RequestWatchdog.h"

namespace scrivlet {

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
  {
    std::lock_guard lock(FMutex);
    FState = State::Armed;
    FDeadline = std::chrono::steady_clock::now() + limit;
    FPage = std::move(page);
    FExpired = std::move(expired);
  }
  if (!FThread.joinable())
    FThread = std::thread([this] { Watch(); });
  FChanged.notify_all();
}

bool RequestWatchdog::Disarm() {
  // While an expiry runs it holds the lock: a request that finishes just
  // then waits here and does not answer a second time.
  std::lock_guard lock(FMutex);
  bool inTime = FState == State::Armed;
  FState = State::Idle;
  FChanged.notify_all();
  return inTime;
}

void RequestWatchdog::Watch() {
  std::unique_lock lock(FMutex);
  while (!FStopping) {
    if (FState != State::Armed) {
      FChanged.wait(lock);
      continue;
    }
    if (FChanged.wait_until(lock, FDeadline) == std::cv_status::timeout && FState == State::Armed &&
        std::chrono::steady_clock::now() >= FDeadline) {
      FState = State::Expired;
      FExpired(FPage);
    }
  }
}

} // namespace scrivlet
