// The characters a writer's output may hold (the output limit), spent
// before anything is built toward it: what is written stays spent, and what
// is built on the way (a node of a tree the output is rendered from) is
// spent while it lives.  Past the limit the writing ends with LimitExceeded
// naming the output limit, before the memory is taken.
#pragma once

#include "core/Limits.h"

#include <cstdint>

namespace scrivlet {

class OutputBudget {
public:
  explicit OutputBudget(uint64_t limit) : FLimit(limit) {}

  void Spend(uint64_t characters) {
    if (characters > FLimit - FSpent)
      throw LimitExceeded("output characters", FLimit);
    FSpent += characters;
  }
  // Gives back what a freed record was spent for.
  void Refund(uint64_t characters) { FSpent -= characters < FSpent ? characters : FSpent; }
  uint64_t Spent() const { return FSpent; }

private:
  uint64_t FLimit;
  uint64_t FSpent = 0;
};

} // namespace scrivlet
