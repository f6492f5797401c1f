#include "shell/platform/Platform.h"

#include "common/Errors.h"

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

void InstallPlatform(Platform* APlatform) {
  Installed() = APlatform;
}

} // namespace nyarumi
