#pragma once
// A timer: runs OnTimer on the GUI thread every Interval milliseconds while enabled.
#include "assets/Component.h"
#include "shell/platform/Platform.h"

#include <cstdint>

namespace nyarumi {

inline constexpr const char* MSG_NO_TIMER = "タイマーを取得できません";

class TTimer : public TComponent {
public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  // Each setter restarts the timer; a refused timer raises MSG_NO_TIMER.
  std::uint32_t Interval() const { return FInterval; }
  void SetInterval(std::uint32_t AValue);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool AValue);
  const TNotifyEvent& OnTimer() const { return FOnTimer; }
  void SetOnTimer(TNotifyEvent AHandler);
  bool Running() const { return FTimer != TimerId::None; }

  // While a stream is read the timer waits; Loaded() starts it and reports a refusal through
  // the application, so that the window being read is still made.
  void BeginLoading() { FLoading = true; }
  void Loaded() override;

private:
  void UpdateTimer();
  void Tick();
  std::uint32_t FInterval = 1000;
  bool FEnabled = true;
  bool FLoading = false;
  bool FInTick = false;
  TNotifyEvent FOnTimer;
  TimerId FTimer = TimerId::None;
};

} // namespace nyarumi
