// The work and memory one document may cost, set from its size by the
// limits: parsing spends work in proportion to the bytes it reads, keeping
// a record spends memory in proportion to its size.  Past either the
// conversion ends with LimitExceeded naming the budget.
//
// Counting what is spent, not how often a structure is referenced, is what
// keeps a file that refers to one big structure a million times from
// costing a million times its size: repeated work is paid for like any
// other, and caches make it rare in sound files.
#pragma once

#include "core/Limits.h"

#include <cstdint>
#include <limits>

namespace scrivlet {

class WorkBudget {
public:
  // A budget with no bound (for callers without a document to size it by).
  WorkBudget() = default;
  WorkBudget(const Limits& limits, uint64_t documentBytes)
      : FWorkLimit(Scaled(documentBytes, limits.workPerInputByte, limits.workFloor)),
        FMemoryLimit(Scaled(documentBytes, limits.memoryPerInputByte, limits.memoryFloor)) {}

  // Raises LimitExceeded ("units of work") once the work spent passes the
  // limit.
  void SpendWork(uint64_t units) {
    FWork = Add(FWork, units);
    if (FWork > FWorkLimit)
      throw LimitExceeded("units of work", FWorkLimit);
  }
  // Pays for a password key derivation of so many rounds (hash iterations,
  // PBKDF2 rounds).  Past the rounds limit, counting every derivation of
  // the document (an OpenDocument package derives a key per member), it
  // raises LimitExceeded ("key derivation rounds") before any of these
  // rounds has run.
  void SpendKeyDerivation(uint64_t rounds, uint64_t roundsLimit) {
    if (rounds > roundsLimit || FKeyRounds > roundsLimit - rounds)
      throw LimitExceeded("key derivation rounds", roundsLimit);
    FKeyRounds += rounds;
    SpendWork(rounds);
  }
  // Raises LimitExceeded ("bytes of records kept") past the memory limit.
  void SpendMemory(uint64_t bytes) {
    FMemory = Add(FMemory, bytes);
    if (FMemory > FMemoryLimit)
      throw LimitExceeded("bytes of records kept", FMemoryLimit);
  }

  // Gives back the memory of records freed.
  void ReleaseMemory(uint64_t bytes) { FMemory -= bytes < FMemory ? bytes : FMemory; }

  uint64_t WorkSpent() const { return FWork; }
  uint64_t MemorySpent() const { return FMemory; }
  uint64_t WorkLimit() const { return FWorkLimit; }
  uint64_t MemoryLimit() const { return FMemoryLimit; }

private:
  static constexpr uint64_t kNoLimit = std::numeric_limits<uint64_t>::max();
  static uint64_t Add(uint64_t a, uint64_t b) { return b > kNoLimit - a ? kNoLimit : a + b; }
  static uint64_t Scaled(uint64_t bytes, uint64_t perByte, uint64_t floor) {
    if (perByte != 0 && bytes > (kNoLimit - floor) / perByte)
      return kNoLimit;
    return bytes * perByte + floor;
  }

  uint64_t FWorkLimit = kNoLimit, FMemoryLimit = kNoLimit;
  uint64_t FWork = 0, FMemory = 0, FKeyRounds = 0;
};

} // namespace scrivlet
