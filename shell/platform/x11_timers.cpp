#include "shell/platform/x11_timers.h"

#include <algorithm>
#include <climits>

namespace nyarumi::x11 {

TimerId TX11Timers::Add(std::uint32_t AIntervalMs, std::function<void()> ACallback,
                        Clock::time_point ANow) {
  // A zero interval would spin the loop; one millisecond is the finest the loop waits anyway.
  const Clock::duration Interval =
      std::chrono::milliseconds(std::max<std::uint32_t>(AIntervalMs, 1));
  const TimerId Id{FNextId++};
  FTimers.push_back(
      {Id, Interval, ANow + Interval, std::make_shared<State>(State{std::move(ACallback), false})});
  return Id;
}

void TX11Timers::Remove(TimerId ATimer) {
  std::erase_if(FTimers, [&](const Entry& E) { return E.Id == ATimer; });
}

std::optional<int> TX11Timers::MillisecondsToNext(Clock::time_point ANow) const {
  std::optional<Clock::time_point> Next;
  for (const Entry& E : FTimers) {
    if (!E.Shared->Running && (!Next || E.Due < *Next)) {
      Next = E.Due;
    }
  }
  if (!Next) {
    return std::nullopt;
  }
  if (*Next <= ANow) {
    return 0;
  }
  // Round up: waking a little early would only wait again.
  const auto Wait = std::chrono::ceil<std::chrono::milliseconds>(*Next - ANow).count();
  return static_cast<int>(std::min<std::int64_t>(Wait, INT_MAX));
}

void TX11Timers::RunDue(Clock::time_point ANow,
                        const std::function<void(const std::function<void()>&)>& ARun) {
  FDue.clear();
  for (Entry& E : FTimers) {
    if (E.Due <= ANow && !E.Shared->Running) {
      E.Due += E.Interval;
      if (E.Due <= ANow) {
        E.Due = ANow + E.Interval; // fell behind: skip the missed ticks
      }
      FDue.push_back(E.Id);
    }
  }
  // Callbacks may add or kill timers, so look each one up again before running it. The list
  // is taken out while it is walked: a modal loop inside a callback runs timers too.
  std::vector<TimerId> Due;
  Due.swap(FDue);
  for (const TimerId Id : Due) {
    const auto It =
        std::find_if(FTimers.begin(), FTimers.end(), [&](const Entry& E) { return E.Id == Id; });
    if (It == FTimers.end() || It->Shared->Running) {
      continue;
    }
    const std::shared_ptr<State> S = It->Shared;
    S->Running = true;
    ARun(S->Callback);
    S->Running = false;
  }
  Due.clear();
  if (Due.capacity() > FDue.capacity()) {
    FDue.swap(Due); // keep the larger buffer, so a steady tick allocates nothing
  }
}

} // namespace nyarumi::x11
