// Cost of her two tick phases through the whole window layer on the null backend: the decision
// phase (steering, the frame step, the next frame drawn behind the back buffer) and the move
// phase (frame shown, outline given to the window, window moved). The null backend records
// what a native one would send, so this is the program's own share of a tick.
#include "assets/fileIN.h"
#include "shell/formMain.h"
#include "shell/platform/null_platform.h"
#include "shell/window/Application.h"
#include "shell/window/Registration.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace nyarumi {
namespace {

struct TRunningProgram {
  NullPlatform Platform;
  PlatformScope Scope{Platform};
  TApplication App;
  TClassRegistry Registry;
  std::unique_ptr<TfrmMAIN> Main;
  std::int32_t T = 0;

  TRunningProgram() {
    RegisterWindowClasses(Registry);
    RegisterfileIN(Registry);
    RegisterfrmMAIN(Registry);
    Platform.VirtualScreen = {0, 0, 1920, 1080};
    Main = CreatefrmMAIN(Registry);
    Main->Show();
  }
  // One timer tick, with the cursor sweeping so that she keeps running, turning and climbing.
  void Tick() {
    Platform.CursorPos = TPoint{(T * 37) % 1920, 540 + (T % 300) - 150};
    T = (T + 1) % 3840;
    Platform.AdvanceTime(100);
  }
};

// Runs the phase named by ADecision on every iteration and the other one outside the timing.
void RunPhase(benchmark::State& AState, bool ADecision) {
  TRunningProgram P;
  bool NextIsDecision = true; // the first tick decides
  for (auto _ : AState) {
    if (NextIsDecision != ADecision) {
      AState.PauseTiming();
      P.Tick();
      NextIsDecision = !NextIsDecision;
      AState.ResumeTiming();
    }
    P.Tick();
    NextIsDecision = !NextIsDecision;
  }
}

void BM_DecisionPhaseNullBackend(benchmark::State& AState) {
  RunPhase(AState, true);
}
void BM_MovePhaseNullBackend(benchmark::State& AState) {
  RunPhase(AState, false);
}
BENCHMARK(BM_DecisionPhaseNullBackend);
BENCHMARK(BM_MovePhaseNullBackend);

} // namespace
} // namespace nyarumi
