#include "shell/window/Timer.h"

#include "common/Errors.h"
#include "shell/window/Application.h"

namespace nyarumi {

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {}

TTimer::~TTimer() {
  if (FTimer != TimerId::None) {
    CurrentPlatform().KillTimer(FTimer);
  }
}

void TTimer::SetInterval(std::uint32_t AValue) {
  FInterval = AValue;
  UpdateTimer();
}

void TTimer::SetEnabled(bool AValue) {
  FEnabled = AValue;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent AHandler) {
  FOnTimer = std::move(AHandler);
  UpdateTimer();
}

void TTimer::Loaded() {
  FLoading = false;
  // A refused timer is reported like a failing handler and its window is still made: the
  // window is whole, it only does not move.
  DispatchEvent([this] { UpdateTimer(); });
}

void TTimer::UpdateTimer() {
  Platform& platform = CurrentPlatform();
  if (FTimer != TimerId::None) {
    platform.KillTimer(FTimer);
    FTimer = TimerId::None;
  }
  if (FLoading || !FEnabled || FInterval == 0 || !FOnTimer) {
    return;
  }
  FTimer = platform.SetTimer(FInterval, [this] { Tick(); });
  if (FTimer == TimerId::None) {
    throw Exception(MSG_NO_TIMER);
  }
}

void TTimer::Tick() {
  // A handler that waits in a message box lets the platform deliver further ticks; they are
  // dropped so that ticks never overlap and errors do not pile up one box per tick.
  if (FInTick) {
    return;
  }
  FInTick = true;
  struct TReset {
    bool& Flag;
    ~TReset() { Flag = false; }
  } reset{FInTick};
  DispatchEvent([this] { FOnTimer(this); });
}

} // namespace nyarumi
