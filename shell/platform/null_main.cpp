// The program entry of the null backend: the whole program without a display, for tests. The
// backend's clock is virtual, so a run covers a minute of her life in moments and then ends
// (Run gives up after RunLimitMs), which lets a sanitizer build watch every start-up and tick.
#include "shell/Program.h"
#include "shell/platform/null_platform.h"

int main() {
  nyarumi::NullPlatform platform;
  nyarumi::PlatformScope scope(platform);
  const int status = nyarumi::RunProgram();
  // Every window, region and timer must be gone again once the program's objects are.
  if (platform.LiveWindows() != 0 || platform.LiveRegions() != 0 || platform.LiveTimers() != 0) {
    return 3;
  }
  return status == 0 && platform.ErrorBoxes.empty() ? 0 : 2;
}
