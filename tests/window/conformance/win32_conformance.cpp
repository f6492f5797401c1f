// The Win32 backend against the backend contract, under Wine in the test stage.
#include "shell/platform/win32_platform.h"
#include "tests/window/conformance/ConformanceTest.h"

#include <windows.h>

namespace nyarumi::conformance {
namespace {

struct Win32Traits {
  using PlatformType = win32::Win32Platform;
  static std::unique_ptr<PlatformType> Make() {
    return std::make_unique<PlatformType>(GetModuleHandleW(nullptr));
  }
  // A modal loop of its own, as a menu or a message box runs, ended by a thread timer.
  static void NestedLoop(PlatformType&, std::uint32_t AMs) {
    const UINT_PTR done = SetTimer(nullptr, 0, AMs, nullptr);
    MSG message{};
    while (true) {
      const BOOL got = GetMessageW(&message, nullptr, 0, 0);
      if (got <= 0) {
        PostQuitMessage(static_cast<int>(message.wParam)); // for the loop outside
        break;
      }
      if (message.message == WM_TIMER && message.hwnd == nullptr && message.wParam == done) {
        break;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    KillTimer(nullptr, done);
  }
  static void Settle(PlatformType& AP) { AP.ProcessMessages(); }
  static std::size_t LiveRegions(PlatformType& AP) { return AP.Regions().LiveCount(); }
  static std::optional<std::string> Clipboard(PlatformType& AP) { return AP.ClipboardText(); }
  static void Click(PlatformType& AP, WindowId AWindow, ButtonId) {
    HWND native = FindWindowExW(AP.NativeWindow(AWindow), nullptr, L"BUTTON", nullptr);
    ASSERT_NE(native, nullptr);
    SendMessageW(native, BM_CLICK, 0, 0);
    AP.ProcessMessages();
  }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, Conformance, Win32Traits);

} // namespace
} // namespace nyarumi::conformance
