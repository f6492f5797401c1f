#pragma once
// One top-level window of the program as a native Win32 window: painted by the window layer
// through a canvas on a back buffer, shaped by SetWindowRgn, and reporting input to the window
// layer. Positions cross this class in logical pixels; the native side is in device pixels.
#include "shape/Region.h"
#include "shell/platform/Platform.h"
#include "shell/platform/win32_text.h"

#include <windows.h>

#include <functional>
#include <optional>

namespace nyarumi::win32 {

// Runs a window-layer callback from inside a window procedure; exceptions must not unwind
// through the system's frames, so the runner decides what becomes of them.
using TDispatch = std::function<void(const std::function<void()>&)>;
// A child control of the window reported a click: its control id.
using TCommand = std::function<void(WORD)>;

class TWin32Window {
public:
  static constexpr const wchar_t* ClassName = L"NyarumiWindow";
  static void RegisterWindowClass(HINSTANCE AInstance);

  // Handle() is nullptr when the system refused the window.
  TWin32Window(HINSTANCE AInstance, const TWindowParams& AParams, WindowEvents& AEvents,
               TFontCache& AFonts, TDispatch ADispatch, TCommand ACommand);
  ~TWin32Window();
  TWin32Window(const TWin32Window&) = delete;
  TWin32Window& operator=(const TWin32Window&) = delete;

  HWND Handle() const { return FHandle; }
  double Scale() const { return FScale; }
  // No callback reaches the window layer after this.
  void Detach() { FEvents = nullptr; }
  bool InCallback() const { return FCallbackDepth > 0; }

  void SetGeometry(TPoint AOuterTopLeft, std::int32_t AClientWidth, std::int32_t AClientHeight);
  TRect FrameExtents() const;
  void SetVisible(bool AVisible);
  void SetStayOnTop(bool AStayOnTop);
  void SetSkipTaskbar(bool ASkip);
  void SetCursorShape(TCursorShape AShape);
  void Invalidate(std::optional<TRect> AArea);
  void UpdateNow();
  // Installs a region as the window's outline; nullopt restores the full rectangle. An empty
  // region leaves nothing visible or clickable.
  void SetRegion(std::optional<TRegion> ARegion);
  bool RegionContains(TPoint APos) const;

  // A key pressed while one of the window's child controls has the focus: offered to the
  // window layer first. True when it used the key.
  bool OfferKey(WPARAM AVirtualKey);

  // Logical pixels to device pixels and back, at this window's scale.
  std::int32_t ToDevice(std::int32_t ALogical) const;
  std::int32_t ToLogical(std::int32_t ADevice) const;

private:
  static LRESULT CALLBACK WindowProc(HWND AHandle, UINT AMessage, WPARAM AWParam, LPARAM ALParam);
  LRESULT Handle(UINT AMessage, WPARAM AWParam, LPARAM ALParam);
  void Notify(const std::function<void(WindowEvents&)>& ACall);
  void Paint();
  void MouseButton(UINT AMessage, WPARAM AWParam, LPARAM ALParam);
  bool KeyDown(WPARAM AVirtualKey);
  void ApplyRegion();
  void Moved();
  TPoint ClientPoint(LPARAM ALParam) const;
  DWORD Style() const;
  DWORD ExStyle() const;

  HWND FHandle = nullptr;
  WindowEvents* FEvents;
  TFontCache& FFonts;
  TDispatch FDispatch;
  TCommand FCommand;
  TWindowBorder FBorder;
  bool FStayOnTop;
  bool FSkipTaskbar;
  TRgb FBackground;
  double FScale = 1.0;
  std::int32_t FClientWidth = 0;
  std::int32_t FClientHeight = 0;
  TPoint FExpectedOuter;
  std::optional<TRegion> FRegion;
  TCursorShape FCursor = TCursorShape::Arrow;
  bool FTrackingLeave = false;
  int FCallbackDepth = 0;
};

} // namespace nyarumi::win32
