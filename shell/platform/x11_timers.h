#pragma once
// The backend's timers: a list of deadlines the event loop waits on with poll(), no threads.
// Each timer keeps its cadence (the next deadline follows the previous one, not the moment the
// callback ran) and skips the ticks it missed instead of firing them in a burst.
#include "shell/platform/Platform.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace nyarumi::x11 {

class TX11Timers {
public:
  using Clock = std::chrono::steady_clock;

  TimerId Add(std::uint32_t AIntervalMs, std::function<void()> ACallback, Clock::time_point ANow);
  void Remove(TimerId ATimer);
  bool Empty() const { return FTimers.empty(); }

  // Milliseconds until the earliest deadline (0 when one is due); nullopt without timers.
  std::optional<int> MillisecondsToNext(Clock::time_point ANow) const;
  // Runs every timer due at ANow once through ARun. A timer whose callback is still running
  // (a modal loop inside it) is skipped; one killed meanwhile does not run.
  void RunDue(Clock::time_point ANow,
              const std::function<void(const std::function<void()>&)>& ARun);

private:
  struct State {
    std::function<void()> Callback;
    bool Running = false;
  };
  struct Entry {
    TimerId Id;
    Clock::duration Interval;
    Clock::time_point Due;
    std::shared_ptr<State> Shared; // kept alive while its callback runs, even if killed
  };
  std::vector<Entry> FTimers;
  std::vector<TimerId> FDue; // reused between calls
  std::uintptr_t FNextId = 1;
};

} // namespace nyarumi::x11
