#include "frontend/RequestWatchdog.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace scrivlet {
namespace {

using namespace std::chrono_literals;

TEST(RequestWatchdog, ARequestPastItsLimitIsAnsweredByTheExpiryOnce) {
  RequestWatchdog watchdog;
  std::atomic<int> calls = 0;
  std::string answered;
  watchdog.Arm(20ms, "late page", [&](const std::string& page) {
    answered = page;
    ++calls;
  });
  std::this_thread::sleep_for(200ms);
  // The request's own answer is not written: the expiry gave it.
  EXPECT_FALSE(watchdog.Disarm());
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(answered, "late page");
}

TEST(RequestWatchdog, RequestsInTimeAreTheirCallersAcrossManyArmings) {
  RequestWatchdog watchdog;
  std::atomic<int> calls = 0;
  for (int i = 0; i < 200; ++i) {
    watchdog.Arm(10s, "late", [&](const std::string&) { ++calls; });
    EXPECT_TRUE(watchdog.Disarm());
  }
  // A short limit after long ones still fires: the clock is the newest.
  watchdog.Arm(10ms, "late", [&](const std::string&) { ++calls; });
  std::this_thread::sleep_for(150ms);
  EXPECT_FALSE(watchdog.Disarm());
  EXPECT_EQ(calls, 1);
  // A disarmed watchdog stays quiet, and arms again afterwards.
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(calls, 1);
  watchdog.Arm(10s, "late", [&](const std::string&) { ++calls; });
  EXPECT_TRUE(watchdog.Disarm());
}

TEST(RequestWatchdog, ALongLimitAfterAShortOneDoesNotFireEarly) {
  RequestWatchdog watchdog;
  std::atomic<int> calls = 0;
  watchdog.Arm(30ms, "late", [&](const std::string&) { ++calls; });
  EXPECT_TRUE(watchdog.Disarm());
  watchdog.Arm(10s, "late", [&](const std::string&) { ++calls; });
  std::this_thread::sleep_for(100ms);
  EXPECT_TRUE(watchdog.Disarm());
  EXPECT_EQ(calls, 0);
}

} // namespace
} // namespace scrivlet
