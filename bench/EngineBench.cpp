// Cost of one decision phase of the engine (steering plus one frame step), without drawing.
#include "engine/FrameSequence.h"
#include "engine/Steer.h"

#include <benchmark/benchmark.h>

namespace nyarumi {
namespace {

struct NullFrameHost : IFrameHost {
  int Picture = 0;
  std::int32_t X = 0;
  void CopyFramePicture(int APictureIndex) override { Picture = APictureIndex; }
  void LoadRegionAt(int, std::int32_t AX, std::int32_t) override { X = AX; }
};

void BM_DecisionPhase(benchmark::State& AState) {
  CharacterState s;
  NullFrameHost host;
  TSteerInputs in;
  in.Focused = false;
  in.Foreground = TRect{200, 100, 1700, 900};
  in.Left = 900;
  in.Top = 400;
  std::int32_t t = 0;
  for (auto _ : AState) {
    // The cursor sweeps across her and the foreground window, so every path gets its turn.
    in.Cursor = TPoint{(t * 37) % 1920, 477 + (t % 200) - 100};
    Steer(s, in);
    AnimProc(s, host);
    in.Left += s.StepX;
    in.Top += s.StepY;
    t = (t + 1) % 3840;
    benchmark::DoNotOptimize(s);
    benchmark::DoNotOptimize(host.Picture);
  }
}
BENCHMARK(BM_DecisionPhase);

} // namespace
} // namespace nyarumi
