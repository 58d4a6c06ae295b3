#include "frontend/RequestDeadline.h"

#include <algorithm>
#include <unistd.h>

// glibc names the thread of SIGEV_THREAD_ID only through its union.
#ifndef sigev_notify_thread_id
#define sigev_notify_thread_id _sigev_un._tid
#endif

namespace scrivlet {
namespace {

constexpr int kDeadlineSignal = SIGALRM;

// Counts the expiries; the signal's work is done by interrupting the call.
volatile sig_atomic_t gExpiries = 0;

void CountExpiry(int) {
  gExpiries = gExpiries + 1;
}

// Without SA_RESTART: a read or write the signal interrupts fails with
// EINTR rather than going on waiting.
bool InstallHandler() {
  struct sigaction action {};
  action.sa_handler = CountExpiry;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;
  return ::sigaction(kDeadlineSignal, &action, nullptr) == 0;
}

itimerspec Period(std::chrono::milliseconds limit) {
  const auto count = std::max<std::chrono::milliseconds::rep>(limit.count(), 1);
  timespec period{static_cast<time_t>(count / 1000), static_cast<long>(count % 1000) * 1000000L};
  return itimerspec{period, period};
}

} // namespace

RequestDeadline::RequestDeadline() {
  if (!InstallHandler())
    return;
  sigevent event{};
  event.sigev_notify = SIGEV_THREAD_ID;
  event.sigev_signo = kDeadlineSignal;
  event.sigev_notify_thread_id = ::gettid();
  FUsable = ::timer_create(CLOCK_MONOTONIC, &event, &FTimer) == 0;
}

RequestDeadline::~RequestDeadline() {
  if (FUsable)
    ::timer_delete(FTimer);
}

void RequestDeadline::Start(std::chrono::milliseconds limit) {
  if (!FUsable)
    return;
  FExpiriesAtStart = static_cast<unsigned>(gExpiries);
  itimerspec period = Period(limit);
  ::timer_settime(FTimer, 0, &period, nullptr);
}

void RequestDeadline::Stop() {
  if (!FUsable)
    return;
  itimerspec off{};
  ::timer_settime(FTimer, 0, &off, nullptr);
}

bool RequestDeadline::Expired() const {
  return static_cast<unsigned>(gExpiries) != FExpiriesAtStart;
}

} // namespace scrivlet
