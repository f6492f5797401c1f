#include "shell/platform/win32_window.h"

#include "common/Errors.h"
#include "shell/platform/win32_canvas.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace nyarumi::win32 {
namespace {

TShiftState ShiftStateOf(WPARAM AKeys) {
  TShiftState s = 0;
  if ((AKeys & MK_SHIFT) != 0) {
    s |= ssShift;
  }
  if ((AKeys & MK_CONTROL) != 0) {
    s |= ssCtrl;
  }
  if (GetKeyState(VK_MENU) < 0) {
    s |= ssAlt;
  }
  if ((AKeys & MK_LBUTTON) != 0) {
    s |= ssLeft;
  }
  if ((AKeys & MK_RBUTTON) != 0) {
    s |= ssRight;
  }
  if ((AKeys & MK_MBUTTON) != 0) {
    s |= ssMiddle;
  }
  return s;
}

bool IsModifierKey(WPARAM AKey) {
  switch (AKey) {
  case VK_SHIFT:
  case VK_CONTROL:
  case VK_MENU:
  case VK_LWIN:
  case VK_RWIN:
  case VK_CAPITAL:
    return true;
  default:
    return false;
  }
}

// The window's dots per inch as a scale over the 96 of 100 %.
double ScaleOf(HWND AHandle) {
  const UINT dpi = GetDpiForWindow(AHandle);
  return dpi > 0 ? dpi / 96.0 : 1.0;
}

} // namespace

void TWin32Window::RegisterWindowClass(HINSTANCE AInstance) {
  WNDCLASSEXW c{};
  c.cbSize = sizeof c;
  c.lpfnWndProc = &TWin32Window::WindowProc;
  c.hInstance = AInstance;
  c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  c.hIcon = LoadIconW(AInstance, MAKEINTRESOURCEW(1));
  c.lpszClassName = ClassName;
  // No background brush: every pixel comes from the back buffer, so nothing flickers.
  if (RegisterClassExW(&c) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    throw Exception("RegisterClassExW failed");
  }
}

TWin32Window::TWin32Window(HINSTANCE AInstance, const TWindowParams& AParams, WindowEvents& AEvents,
                           TFontCache& AFonts, TDispatch ADispatch, TCommand ACommand)
    : FEvents(&AEvents), FFonts(AFonts), FDispatch(std::move(ADispatch)),
      FCommand(std::move(ACommand)), FBorder(AParams.Border), FStayOnTop(AParams.StayOnTop),
      FSkipTaskbar(AParams.SkipTaskbar), FBackground(AParams.Background) {
  const std::wstring caption = Widen(AParams.Caption);
  FHandle = CreateWindowExW(ExStyle(), ClassName, caption.c_str(), Style(), 0, 0, 0, 0, nullptr,
                            nullptr, AInstance, this);
  if (FHandle == nullptr) {
    return; // the platform reports the refusal
  }
  FScale = ScaleOf(FHandle);
  SetGeometry(AParams.OuterTopLeft, AParams.ClientWidth, AParams.ClientHeight);
}

TWin32Window::~TWin32Window() {
  if (FHandle != nullptr) {
    SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);
    DestroyWindow(FHandle);
  }
}

DWORD TWin32Window::Style() const {
  // A tool-window frame gets a small caption and nothing else: no system menu, no buttons.
  return WS_POPUP | WS_CLIPCHILDREN | (FBorder == TWindowBorder::ToolWindow ? WS_CAPTION : 0UL);
}

DWORD TWin32Window::ExStyle() const {
  DWORD ex = 0;
  if (FSkipTaskbar || FBorder == TWindowBorder::ToolWindow) {
    ex |= WS_EX_TOOLWINDOW; // no taskbar button and no Alt+Tab entry
  }
  if (!FSkipTaskbar) {
    ex |= WS_EX_APPWINDOW;
  }
  if (FStayOnTop) {
    ex |= WS_EX_TOPMOST;
  }
  return ex;
}

std::int32_t TWin32Window::ToDevice(std::int32_t ALogical) const {
  return static_cast<std::int32_t>(std::lround(ALogical * FScale));
}

std::int32_t TWin32Window::ToLogical(std::int32_t ADevice) const {
  return static_cast<std::int32_t>(std::floor(ADevice / FScale));
}

void TWin32Window::SetGeometry(TPoint AOuterTopLeft, std::int32_t AClientWidth,
                               std::int32_t AClientHeight) {
  FClientWidth = std::max(AClientWidth, 0);
  FClientHeight = std::max(AClientHeight, 0);
  FExpectedOuter = AOuterTopLeft;
  RECT r{0, 0, ToDevice(FClientWidth), ToDevice(FClientHeight)};
  AdjustWindowRectExForDpi(&r, Style(), FALSE, ExStyle(), GetDpiForWindow(FHandle));
  SetWindowPos(FHandle, nullptr, ToDevice(AOuterTopLeft.X), ToDevice(AOuterTopLeft.Y),
               r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

TRect TWin32Window::FrameExtents() const {
  RECT outer{};
  RECT client{};
  GetWindowRect(FHandle, &outer);
  GetClientRect(FHandle, &client);
  MapWindowPoints(FHandle, nullptr, reinterpret_cast<POINT*>(&client), 2);
  return {ToLogical(client.left - outer.left), ToLogical(client.top - outer.top),
          ToLogical(outer.right - client.right), ToLogical(outer.bottom - client.bottom)};
}

void TWin32Window::SetVisible(bool AVisible) {
  // Shown with activation, as the user expects of a window that appears; the desktop also only
  // gives a managed frame (and its stacking states) to windows that were activated.
  ShowWindow(FHandle, AVisible ? SW_SHOW : SW_HIDE);
}

void TWin32Window::SetStayOnTop(bool AStayOnTop) {
  FStayOnTop = AStayOnTop;
  SetWindowPos(FHandle, AStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWin32Window::SetSkipTaskbar(bool ASkip) {
  if (FSkipTaskbar == ASkip) {
    return;
  }
  FSkipTaskbar = ASkip;
  const bool visible = IsWindowVisible(FHandle) != FALSE;
  // The taskbar reads the style when a window is shown: hide it around the change.
  if (visible) {
    ShowWindow(FHandle, SW_HIDE);
  }
  SetWindowLongPtrW(FHandle, GWL_EXSTYLE, static_cast<LONG_PTR>(ExStyle()));
  SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  if (visible) {
    ShowWindow(FHandle, SW_SHOWNA);
  }
}

void TWin32Window::SetCursorShape(TCursorShape AShape) {
  FCursor = AShape;
  POINT p{};
  if (GetCursorPos(&p) && WindowFromPoint(p) == FHandle) {
    SetCursor(LoadCursorW(nullptr, AShape == TCursorShape::HandPoint ? IDC_HAND : IDC_ARROW));
  }
}

void TWin32Window::Invalidate(std::optional<TRect> AArea) {
  if (!AArea) {
    InvalidateRect(FHandle, nullptr, FALSE);
    return;
  }
  const RECT r{ToDevice(AArea->Left), ToDevice(AArea->Top), ToDevice(AArea->Right),
               ToDevice(AArea->Bottom)};
  InvalidateRect(FHandle, &r, FALSE);
}

void TWin32Window::UpdateNow() {
  ::UpdateWindow(FHandle);
}

void TWin32Window::SetRegion(std::optional<TRegion> ARegion) {
  FRegion = std::move(ARegion);
  ApplyRegion();
}

void TWin32Window::ApplyRegion() {
  if (!FRegion) {
    SetWindowRgn(FHandle, nullptr, TRUE);
    return;
  }
  // The outline is in client pixels; the window region is relative to the frame's corner.
  RECT outer{};
  POINT origin{0, 0};
  GetWindowRect(FHandle, &outer);
  ClientToScreen(FHandle, &origin);
  const LONG dx = origin.x - outer.left;
  const LONG dy = origin.y - outer.top;
  const std::vector<TRect>& rects = FRegion->Rects();
  std::vector<std::uint8_t> data(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
  auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
  header->dwSize = sizeof(RGNDATAHEADER);
  header->iType = RDH_RECTANGLES;
  header->nCount = static_cast<DWORD>(rects.size());
  header->nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
  RECT* out = reinterpret_cast<RECT*>(data.data() + sizeof(RGNDATAHEADER));
  RECT bounds{0, 0, 0, 0};
  for (std::size_t i = 0; i < rects.size(); ++i) {
    out[i] = RECT{ToDevice(rects[i].Left) + dx, ToDevice(rects[i].Top) + dy,
                  ToDevice(rects[i].Right) + dx, ToDevice(rects[i].Bottom) + dy};
    UnionRect(&bounds, &bounds, &out[i]);
  }
  header->rcBound = bounds;
  HRGN native = rects.empty() ? CreateRectRgn(0, 0, 0, 0)
                              : ::ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()),
                                                  reinterpret_cast<const RGNDATA*>(data.data()));
  if (native == nullptr) {
    return;
  }
  if (SetWindowRgn(FHandle, native, TRUE) == 0) {
    DeleteObject(native); // the window took no ownership
  }
}

bool TWin32Window::RegionContains(TPoint APos) const {
  return !FRegion || FRegion->Contains(APos.X, APos.Y);
}

void TWin32Window::Notify(const std::function<void(WindowEvents&)>& ACall) {
  if (FEvents == nullptr) {
    return;
  }
  ++FCallbackDepth;
  FDispatch([&] {
    if (FEvents != nullptr) {
      ACall(*FEvents);
    }
  });
  --FCallbackDepth;
}

LRESULT CALLBACK TWin32Window::WindowProc(HWND AHandle, UINT AMessage, WPARAM AWParam,
                                          LPARAM ALParam) {
  if (AMessage == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(ALParam);
    auto* self = static_cast<TWin32Window*>(create->lpCreateParams);
    self->FHandle = AHandle;
    SetWindowLongPtrW(AHandle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TWin32Window*>(GetWindowLongPtrW(AHandle, GWLP_USERDATA));
  if (self == nullptr) {
    return DefWindowProcW(AHandle, AMessage, AWParam, ALParam);
  }
  return self->Handle(AMessage, AWParam, ALParam);
}

TPoint TWin32Window::ClientPoint(LPARAM ALParam) const {
  return {ToLogical(GET_X_LPARAM(ALParam)), ToLogical(GET_Y_LPARAM(ALParam))};
}

LRESULT TWin32Window::Handle(UINT AMessage, WPARAM AWParam, LPARAM ALParam) {
  switch (AMessage) {
  case WM_ERASEBKGND:
    return 1; // the paint fills the background in the back buffer
  case WM_PAINT:
    Paint();
    return 0;
  case WM_MOUSEMOVE: {
    if (!FTrackingLeave) {
      TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, FHandle, 0};
      FTrackingLeave = TrackMouseEvent(&t) != FALSE;
    }
    const TShiftState s = ShiftStateOf(AWParam);
    const TPoint p = ClientPoint(ALParam);
    Notify([&](WindowEvents& e) { e.MouseMove(s, p); });
    return 0;
  }
  case WM_MOUSELEAVE:
    FTrackingLeave = false;
    Notify([](WindowEvents& e) { e.MouseLeave(); });
    return 0;
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
  case WM_MBUTTONDOWN:
  case WM_LBUTTONUP:
  case WM_RBUTTONUP:
  case WM_MBUTTONUP:
    MouseButton(AMessage, AWParam, ALParam);
    return 0;
  case WM_SETCURSOR:
    if (LOWORD(ALParam) == HTCLIENT) {
      SetCursor(LoadCursorW(nullptr, FCursor == TCursorShape::HandPoint ? IDC_HAND : IDC_ARROW));
      return TRUE;
    }
    break;
  case WM_KEYDOWN:
  case WM_SYSKEYDOWN:
    if (KeyDown(AWParam)) {
      return 0;
    }
    break;
  case WM_CLOSE:
    // The window layer decides: hide, quit or nothing. The window is never closed here.
    Notify([](WindowEvents& e) { e.CloseRequest(); });
    return 0;
  case WM_MOVE:
    Moved();
    return 0;
  case WM_COMMAND:
    if (HIWORD(AWParam) == BN_CLICKED && ALParam != 0) {
      FCommand(LOWORD(AWParam));
      return 0;
    }
    break;
  case WM_DPICHANGED: {
    FScale = HIWORD(AWParam) / 96.0;
    const auto* suggested = reinterpret_cast<const RECT*>(ALParam);
    SetWindowPos(FHandle, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyRegion();
    return 0;
  }
  default:
    break;
  }
  return DefWindowProcW(FHandle, AMessage, AWParam, ALParam);
}

void TWin32Window::Paint() {
  PAINTSTRUCT ps{};
  HDC screen = BeginPaint(FHandle, &ps);
  if (screen == nullptr) {
    return;
  }
  // The window layer paints in logical pixels into a back buffer of the logical size, which
  // then goes to the screen in one copy (scaled at more than 100 %): no flicker.
  const RECT& d = ps.rcPaint;
  const TRect dirty{ToLogical(d.left), ToLogical(d.top),
                    std::min(FClientWidth, ToLogical(d.right + ToDevice(1) - 1)),
                    std::min(FClientHeight, ToLogical(d.bottom + ToDevice(1) - 1))};
  if (!dirty.IsEmpty()) {
    HDC buffer = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, FClientWidth, FClientHeight);
    HGDIOBJ old = SelectObject(buffer, bitmap);
    IntersectClipRect(buffer, dirty.Left, dirty.Top, dirty.Right, dirty.Bottom);
    TWin32Canvas canvas(buffer, FFonts);
    canvas.FillRect(dirty, FBackground);
    Notify([&](WindowEvents& e) { e.Paint(canvas, dirty); });
    SetStretchBltMode(screen, COLORONCOLOR);
    StretchBlt(screen, ToDevice(dirty.Left), ToDevice(dirty.Top), ToDevice(dirty.Width()),
               ToDevice(dirty.Height()), buffer, dirty.Left, dirty.Top, dirty.Width(),
               dirty.Height(), SRCCOPY);
    SelectObject(buffer, old);
    DeleteObject(bitmap);
    DeleteDC(buffer);
  }
  EndPaint(FHandle, &ps);
}

void TWin32Window::MouseButton(UINT AMessage, WPARAM AWParam, LPARAM ALParam) {
  TMouseButton button = TMouseButton::mbLeft;
  bool down = false;
  switch (AMessage) {
  case WM_LBUTTONDOWN:
    down = true;
    break;
  case WM_RBUTTONDOWN:
    button = TMouseButton::mbRight;
    down = true;
    break;
  case WM_MBUTTONDOWN:
    button = TMouseButton::mbMiddle;
    down = true;
    break;
  case WM_RBUTTONUP:
    button = TMouseButton::mbRight;
    break;
  case WM_MBUTTONUP:
    button = TMouseButton::mbMiddle;
    break;
  default:
    break;
  }
  const TShiftState s = ShiftStateOf(AWParam);
  const TPoint p = ClientPoint(ALParam);
  if (down) {
    // Moves and the release keep coming here while a button is held, as a drag expects.
    SetCapture(FHandle);
    Notify([&](WindowEvents& e) { e.MouseDown(button, s, p); });
    return;
  }
  if ((AWParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0 && GetCapture() == FHandle) {
    ReleaseCapture();
  }
  Notify([&](WindowEvents& e) { e.MouseUp(button, s, p); });
}

bool TWin32Window::KeyDown(WPARAM AVirtualKey) {
  if (IsModifierKey(AVirtualKey) || AVirtualKey > 0xFF) {
    return false;
  }
  TShortCut shortCut = static_cast<TShortCut>(AVirtualKey);
  if (GetKeyState(VK_SHIFT) < 0) {
    shortCut |= scShift;
  }
  if (GetKeyState(VK_CONTROL) < 0) {
    shortCut |= scCtrl;
  }
  if (GetKeyState(VK_MENU) < 0) {
    shortCut |= scAlt;
  }
  bool used = false;
  Notify([&](WindowEvents& e) { used = e.KeyDown(shortCut); });
  return used;
}

bool TWin32Window::OfferKey(WPARAM AVirtualKey) {
  return KeyDown(AVirtualKey);
}

void TWin32Window::Moved() {
  if (FBorder == TWindowBorder::None || IsWindowVisible(FHandle) == FALSE) {
    return; // without a caption nobody but the program moves the window
  }
  RECT outer{};
  GetWindowRect(FHandle, &outer);
  const TPoint p{ToLogical(outer.left), ToLogical(outer.top)};
  if (p == FExpectedOuter) {
    return; // our own move arriving back, not the user's
  }
  FExpectedOuter = p;
  Notify([&](WindowEvents& e) { e.Moved(p); });
}

} // namespace nyarumi::win32
