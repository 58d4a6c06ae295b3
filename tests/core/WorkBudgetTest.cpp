#include "core/WorkBudget.h"

#include <functional>
#include <gtest/gtest.h>

namespace scrivlet {
namespace {

std::string Message(const std::function<void()>& spend) {
  try {
    spend();
  } catch (const LimitExceeded& e) {
    return e.Message();
  }
  return "no error";
}

TEST(WorkBudget, SizedFromTheDocumentAndNamedWhenPassed) {
  Limits limits;
  limits.workPerInputByte = 4;
  limits.workFloor = 100;
  limits.memoryPerInputByte = 2;
  limits.memoryFloor = 10;
  WorkBudget budget(limits, 50);
  EXPECT_EQ(budget.WorkLimit(), 300u);
  EXPECT_EQ(budget.MemoryLimit(), 110u);
  budget.SpendWork(300);
  budget.SpendMemory(110);
  EXPECT_EQ(Message([&] { budget.SpendWork(1); }),
            "The document exceeds the limit of 300 units of work");
  EXPECT_EQ(Message([&] { budget.SpendMemory(1); }),
            "The document exceeds the limit of 110 bytes of records kept");

  // A huge document or multiple saturates instead of wrapping round.
  WorkBudget huge(limits, UINT64_MAX / 2);
  EXPECT_EQ(huge.WorkLimit(), UINT64_MAX);
  WorkBudget unbounded;
  unbounded.SpendWork(UINT64_MAX);
  unbounded.SpendWork(UINT64_MAX);
  EXPECT_EQ(unbounded.WorkSpent(), UINT64_MAX);
}

} // namespace
} // namespace scrivlet
