// The null backend against the backend contract; its clock is virtual.
#include "shell/platform/null_platform.h"
#include "tests/window/conformance/ConformanceTest.h"

namespace nyarumi::conformance {
namespace {

struct NullTraits {
  using PlatformType = NullPlatform;
  static std::unique_ptr<NullPlatform> Make() {
    auto platform = std::make_unique<NullPlatform>();
    platform->ShowsPictures = platform->CopiesRegions = true; // checks its shortcuts as well
    return platform;
  }
  static void NestedLoop(NullPlatform& AP, std::uint32_t AMs) { AP.AdvanceTime(AMs); }
  static void Settle(NullPlatform&) {}
  static std::size_t LiveRegions(NullPlatform& AP) { return AP.LiveRegions(); }
  static std::optional<std::string> Clipboard(NullPlatform& AP) { return AP.Clipboard; }
  static void Click(NullPlatform& AP, WindowId, ButtonId AButton) { AP.ClickButton(AButton); }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Null, Conformance, NullTraits);

} // namespace
} // namespace nyarumi::conformance
