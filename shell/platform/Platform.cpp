#include "shell/platform/Platform.h"

#include "common/Errors.h"

#include <memory>

namespace nyarumi {

namespace {
// The one process-wide reference the program keeps besides its application object: the backend
// chosen once at start-up (or by a test fixture).
Platform*& Installed() {
  static Platform* platform = nullptr;
  return platform;
}
} // namespace

Platform& CurrentPlatform() {
  Platform* p = Installed();
  if (p == nullptr) {
    throw Exception("no platform backend installed");
  }
  return *p;
}

bool Platform::ShowPicture(WindowId /*AWindow*/, const TPictureRef& /*APicture*/,
                           const TRect& /*ASource*/) {
  return false;
}

bool Platform::CopyWindowRgn(WindowId /*AWindow*/, RegionId /*ARegion*/) {
  return false;
}

TimerId Platform::SetTimer(std::uint32_t AIntervalMs, std::function<void()> ACallback) {
  if (!ACallback) {
    return TimerId::None;
  }
  // The one re-entry guard of every backend: a tick still running (in a modal loop of its own)
  // makes the ticks that fall due meanwhile return at once.
  auto running = std::make_shared<bool>(false);
  return CreateTimer(AIntervalMs, [running, callback = std::move(ACallback)] {
    if (*running) {
      return;
    }
    *running = true;
    struct TReset {
      bool& Flag;
      ~TReset() { Flag = false; }
    } reset{*running};
    callback();
  });
}

void InstallPlatform(Platform* APlatform) {
  Installed() = APlatform;
}

} // namespace nyarumi
