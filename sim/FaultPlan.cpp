// Injected faults of the controller simulator, matched by request kind and number.
#include "sim/FaultPlan.h"

void FaultPlan::Add(Step step, uint32_t occurrence, Fault fault, uint32_t value) {
  // Data packets are numbered by packet within a session; the rest from this call on.
  const uint32_t base = step == Step::DataPacket ? 0 : counts_[static_cast<size_t>(step)];
  entries_.push_back(Entry{step, base + occurrence, InjectedFault{fault, value}});
}

void FaultPlan::Clear() {
  entries_.clear();
}

std::optional<InjectedFault> FaultPlan::Next(Step step) {
  const uint32_t number = counts_[static_cast<size_t>(step)]++;
  for (const Entry& entry : entries_) {
    if (entry.step == step && entry.number == number) {
      return entry.fault;
    }
  }
  return std::nullopt;
}

void FaultPlan::ResetCount(Step step) {
  counts_[static_cast<size_t>(step)] = 0;
}
