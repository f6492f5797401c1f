#include "shell/platform/win32_platform.h"

#include "common/Errors.h"
#include "shell/platform/win32_cmdline.h"
#include "shell/platform/win32_desktop.h"
#include "shell/platform/win32_window.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace nyarumi::win32 {
namespace {

constexpr const wchar_t* MessageClass = L"NyarumiMessages";
// Asks the message window to destroy a button (the window in LPARAM) once its click is over.
constexpr UINT DestroyLater = WM_APP + 1;

// The whole desktop's scale: what cursor and screen positions are converted by.
double SystemScale() {
  const UINT dpi = GetDpiForSystem();
  return dpi > 0 ? dpi / 96.0 : 1.0;
}

std::int32_t ToLogical(std::int32_t ADevice, double AScale) {
  return static_cast<std::int32_t>(std::floor(ADevice / AScale));
}

std::int32_t ToDevice(std::int32_t ALogical, double AScale) {
  return static_cast<std::int32_t>(std::lround(ALogical * AScale));
}

} // namespace

struct Win32Platform::Timer {
  // Shared with the running callback, so that killing a timer from inside its own callback
  // does not destroy the callback while it runs.
  std::shared_ptr<std::function<void()>> Callback;
};

struct Win32Platform::Button {
  WindowId Parent = WindowId::None;
  std::int32_t TabOrder = 0;
  WORD ControlId = 0;
  HWND Native = nullptr;
  std::function<void()> OnClick;
  TFontDesc Font;
};

Win32Platform::Win32Platform(HINSTANCE AInstance) : FInstance(AInstance) {
  TWin32Window::RegisterWindowClass(AInstance);
  WNDCLASSEXW c{};
  c.cbSize = sizeof c;
  c.lpfnWndProc = &Win32Platform::MessageProc;
  c.hInstance = AInstance;
  c.lpszClassName = MessageClass;
  if (RegisterClassExW(&c) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    throw Exception("RegisterClassExW failed");
  }
  FMessages =
      CreateWindowExW(0, MessageClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, AInstance, this);
  if (FMessages == nullptr) {
    throw Exception("CreateWindowExW failed");
  }
}

Win32Platform::~Win32Platform() {
  for (const auto& [id, timer] : FTimers) {
    ::KillTimer(FMessages, static_cast<UINT_PTR>(id));
  }
  FTimers.clear();
  for (const auto& [id, button] : FButtons) {
    DestroyWindow(button->Native);
  }
  FButtons.clear();
  for (auto& [id, window] : FWindows) {
    window->Detach();
  }
  FWindows.clear();
  FDoomed.clear();
  SetWindowLongPtrW(FMessages, GWLP_USERDATA, 0);
  DestroyWindow(FMessages);
}

LRESULT CALLBACK Win32Platform::MessageProc(HWND AHandle, UINT AMessage, WPARAM AWParam,
                                            LPARAM ALParam) {
  if (AMessage == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(ALParam);
    SetWindowLongPtrW(AHandle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<Win32Platform*>(GetWindowLongPtrW(AHandle, GWLP_USERDATA));
  if (self != nullptr && AMessage == WM_TIMER) {
    self->OnTimer(AWParam);
    return 0;
  }
  if (AMessage == DestroyLater) {
    DestroyWindow(reinterpret_cast<HWND>(ALParam));
    return 0;
  }
  return DefWindowProcW(AHandle, AMessage, AWParam, ALParam);
}

void Win32Platform::Dispatch(const std::function<void()>& ACallback) {
  try {
    ACallback();
  } catch (...) {
    if (!FPending) {
      FPending = std::current_exception();
    }
    PostQuitMessage(1);
  }
}

void Win32Platform::RethrowPending() {
  if (FPending) {
    std::rethrow_exception(std::exchange(FPending, nullptr));
  }
}

bool Win32Platform::Deliver(MSG& AMessage) {
  if (AMessage.message == WM_QUIT) {
    return false;
  }
  if (AMessage.message == WM_KEYDOWN || AMessage.message == WM_SYSKEYDOWN) {
    // A key on one of a window's buttons: the window's shortcuts come first, as on a form
    // that previews its keys; the keys a button uses itself stay with the button.
    HWND top = GetAncestor(AMessage.hwnd, GA_ROOT);
    TWin32Window* window = top != AMessage.hwnd ? WindowOf(top) : nullptr;
    if (window != nullptr) {
      const WPARAM key = AMessage.wParam;
      const bool buttonKey = key == VK_SPACE || key == VK_RETURN || key == VK_TAB;
      if (!buttonKey && window->OfferKey(key)) {
        return true;
      }
      if (IsDialogMessageW(top, &AMessage) != FALSE) {
        return true; // Tab moved the focus, or a button took its key
      }
    }
  }
  TranslateMessage(&AMessage);
  DispatchMessageW(&AMessage);
  return true;
}

void Win32Platform::Run() {
  if (!std::exchange(FQuitRequested, false)) {
    MSG message{};
    while (!FPending) {
      // Windows destroyed from inside their own callbacks go once no callback runs any more.
      std::erase_if(FDoomed, [](const auto& W) { return !W->InCallback(); });
      if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
        break;
      }
      Deliver(message);
    }
  }
  FQuitRequested = false;
  RethrowPending();
}

void Win32Platform::Quit() {
  FQuitRequested = true;
  PostQuitMessage(0);
}

void Win32Platform::ProcessMessages() {
  MSG message{};
  while (!FPending && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
    if (!Deliver(message)) {
      FQuitRequested = true; // Run() returns at once, as the quit asked
      break;
    }
  }
  RethrowPending();
}

TWin32Window* Win32Platform::Window(WindowId AWindow) const {
  const auto it = FWindows.find(AWindow);
  return it == FWindows.end() ? nullptr : it->second.get();
}

TWin32Window* Win32Platform::WindowOf(HWND AHandle) const {
  for (const auto& [id, window] : FWindows) {
    if (window->Handle() == AHandle) {
      return window.get();
    }
  }
  return nullptr;
}

HWND Win32Platform::NativeWindow(WindowId AWindow) const {
  const TWin32Window* w = Window(AWindow);
  return w != nullptr ? w->Handle() : nullptr;
}

WindowId Win32Platform::CreateNativeWindow(const TWindowParams& AParams, WindowEvents& AEvents) {
  auto window = std::make_unique<TWin32Window>(
      FInstance, AParams, AEvents, FFonts,
      [this](const std::function<void()>& ACall) { Dispatch(ACall); },
      [this](WORD AId) { OnCommand(AId); });
  if (window->Handle() == nullptr) {
    return WindowId::None;
  }
  const WindowId id{FNextHandle++};
  FWindows.emplace(id, std::move(window));
  return id;
}

void Win32Platform::DestroyNativeWindow(WindowId AWindow) {
  const auto it = FWindows.find(AWindow);
  if (it == FWindows.end()) {
    return;
  }
  std::unique_ptr<TWin32Window> window = std::move(it->second);
  FWindows.erase(it);
  std::erase_if(FButtons, [&](const auto& B) { return B.second->Parent == AWindow; });
  window->Detach();
  ShowWindow(window->Handle(), SW_HIDE);
  if (window->InCallback()) {
    FDoomed.push_back(std::move(window)); // its window procedure is still running
  }
}

void Win32Platform::SetWindowCaption(WindowId AWindow, std::string_view ACaption) {
  if (TWin32Window* w = Window(AWindow)) {
    SetWindowTextW(w->Handle(), Widen(ACaption).c_str());
  }
}

void Win32Platform::SetWindowGeometry(WindowId AWindow, TPoint AOuterTopLeft,
                                      std::int32_t AClientWidth, std::int32_t AClientHeight) {
  if (TWin32Window* w = Window(AWindow)) {
    w->SetGeometry(AOuterTopLeft, AClientWidth, AClientHeight);
  }
}

TRect Win32Platform::FrameExtents(WindowId AWindow) {
  const TWin32Window* w = Window(AWindow);
  return w != nullptr ? w->FrameExtents() : TRect{};
}

void Win32Platform::SetWindowVisible(WindowId AWindow, bool AVisible) {
  if (TWin32Window* w = Window(AWindow)) {
    w->SetVisible(AVisible);
  }
}

void Win32Platform::SetStayOnTop(WindowId AWindow, bool AStayOnTop) {
  if (TWin32Window* w = Window(AWindow)) {
    w->SetStayOnTop(AStayOnTop);
  }
}

void Win32Platform::SetSkipTaskbar(WindowId AWindow, bool ASkip) {
  if (TWin32Window* w = Window(AWindow)) {
    w->SetSkipTaskbar(ASkip);
  }
}

void Win32Platform::SetWindowCursor(WindowId AWindow, TCursorShape AShape) {
  if (TWin32Window* w = Window(AWindow)) {
    w->SetCursorShape(AShape);
  }
}

void Win32Platform::InvalidateWindow(WindowId AWindow, std::optional<TRect> AArea) {
  if (TWin32Window* w = Window(AWindow)) {
    w->Invalidate(AArea);
  }
}

void Win32Platform::UpdateWindow(WindowId AWindow) {
  if (TWin32Window* w = Window(AWindow)) {
    w->UpdateNow();
  }
  RethrowPending();
}

bool Win32Platform::WindowRegionContains(WindowId AWindow, TPoint APos) {
  const TWin32Window* w = Window(AWindow);
  return w != nullptr && w->RegionContains(APos);
}

// --- Buttons

Win32Platform::Button* Win32Platform::FindButton(ButtonId AButton) const {
  const auto it = FButtons.find(AButton);
  return it == FButtons.end() ? nullptr : it->second.get();
}

ButtonId Win32Platform::CreateButton(WindowId AParent, const TButtonParams& AParams,
                                     std::function<void()> AOnClick) {
  TWin32Window* parent = Window(AParent);
  if (parent == nullptr) {
    return ButtonId::None;
  }
  const WORD controlId = FNextControlId++;
  const TRect& b = AParams.Bounds;
  const DWORD style = WS_CHILD | WS_TABSTOP | BS_PUSHBUTTON | (AParams.Visible ? WS_VISIBLE : 0UL);
  HWND native = CreateWindowExW(
      0, L"BUTTON", Widen(AParams.Caption).c_str(), style, parent->ToDevice(b.Left),
      parent->ToDevice(b.Top), parent->ToDevice(b.Width()), parent->ToDevice(b.Height()),
      parent->Handle(), reinterpret_cast<HMENU>(static_cast<UINT_PTR>(controlId)), FInstance,
      nullptr);
  if (native == nullptr) {
    return ButtonId::None;
  }
  SendMessageW(native, WM_SETFONT,
               reinterpret_cast<WPARAM>(FFonts.Get(AParams.Font, parent->Scale())), FALSE);
  EnableWindow(native, AParams.Enabled ? TRUE : FALSE);
  const ButtonId id{FNextHandle++};
  FButtons.emplace(id, std::make_unique<Button>(Button{AParent, AParams.TabOrder, controlId, native,
                                                       std::move(AOnClick), AParams.Font}));

  // Tab moves the focus in the order of the children's stacking: put them in tab order.
  std::vector<const Button*> siblings;
  for (const auto& [bid, button] : FButtons) {
    if (button->Parent == AParent) {
      siblings.push_back(button.get());
    }
  }
  std::stable_sort(siblings.begin(), siblings.end(),
                   [](const Button* A, const Button* B) { return A->TabOrder < B->TabOrder; });
  HWND previous = HWND_TOP;
  for (const Button* s : siblings) {
    SetWindowPos(s->Native, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    previous = s->Native;
  }
  return id;
}

void Win32Platform::DestroyButton(ButtonId AButton) {
  const auto it = FButtons.find(AButton);
  if (it == FButtons.end()) {
    return;
  }
  HWND native = it->second->Native;
  const bool clicking = it->second->ControlId == FClicking;
  FButtons.erase(it);
  if (clicking) {
    // The button's own code is still on the stack, between its click and its return.
    ShowWindow(native, SW_HIDE);
    PostMessageW(FMessages, DestroyLater, 0, reinterpret_cast<LPARAM>(native));
  } else {
    DestroyWindow(native);
  }
}

void Win32Platform::OnCommand(WORD AControlId) {
  for (const auto& [id, button] : FButtons) {
    if (button->ControlId == AControlId) {
      const std::function<void()> onClick = button->OnClick; // the click may destroy the button
      const WORD outer = std::exchange(FClicking, AControlId);
      Dispatch(onClick);
      FClicking = outer;
      return;
    }
  }
}

void Win32Platform::SetButtonBounds(ButtonId AButton, const TRect& ABounds) {
  const Button* b = FindButton(AButton);
  const TWin32Window* parent = b != nullptr ? Window(b->Parent) : nullptr;
  if (parent != nullptr) {
    SetWindowPos(b->Native, nullptr, parent->ToDevice(ABounds.Left), parent->ToDevice(ABounds.Top),
                 parent->ToDevice(ABounds.Width()), parent->ToDevice(ABounds.Height()),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void Win32Platform::SetButtonCaption(ButtonId AButton, std::string_view ACaption) {
  if (const Button* b = FindButton(AButton)) {
    SetWindowTextW(b->Native, Widen(ACaption).c_str());
  }
}

void Win32Platform::SetButtonVisible(ButtonId AButton, bool AVisible) {
  if (const Button* b = FindButton(AButton)) {
    ShowWindow(b->Native, AVisible ? SW_SHOWNA : SW_HIDE);
  }
}

void Win32Platform::SetButtonEnabled(ButtonId AButton, bool AEnabled) {
  if (const Button* b = FindButton(AButton)) {
    EnableWindow(b->Native, AEnabled ? TRUE : FALSE);
  }
}

// --- Regions: kept in the shared table; only the window's outline is native.

RegionId Win32Platform::CreateRectRgn(std::int32_t ALeft, std::int32_t ATop, std::int32_t ARight,
                                      std::int32_t ABottom) {
  return FRegions.CreateRectRgn(ALeft, ATop, ARight, ABottom);
}

TRegionKind Win32Platform::CombineRgn(RegionId ADest, RegionId ASource1, RegionId ASource2,
                                      TCombineMode AMode) {
  return FRegions.CombineRgn(ADest, ASource1, ASource2, AMode);
}

RegionId Win32Platform::ExtCreateRegion(std::span<const std::uint8_t> ARecord) {
  return FRegions.ExtCreateRegion(ARecord);
}

TRegionKind Win32Platform::GetRgnBox(RegionId ARegion, TRect& ABox) {
  return FRegions.GetRgnBox(ARegion, ABox);
}

TRegionKind Win32Platform::OffsetRgn(RegionId ARegion, std::int32_t ADx, std::int32_t ADy) {
  return FRegions.OffsetRgn(ARegion, ADx, ADy);
}

int Win32Platform::SetWindowRgn(WindowId AWindow, RegionId ARegion, bool ARedraw) {
  TWin32Window* w = Window(AWindow);
  if (w == nullptr) {
    return 0;
  }
  if (ARegion == RegionId::None) {
    w->SetRegion(std::nullopt);
  } else {
    auto region = FRegions.Take(ARegion);
    if (!region) {
      return 0; // unknown handle: the caller keeps nothing to lose
    }
    w->SetRegion(std::move(region)); // the previous outline is freed here
  }
  if (ARedraw) {
    w->Invalidate(std::nullopt);
  }
  return 1;
}

bool Win32Platform::DeleteObject(RegionId ARegion) {
  return FRegions.DeleteObject(ARegion);
}

// --- Timers

TimerId Win32Platform::CreateTimer(std::uint32_t AIntervalMs, std::function<void()> ACallback) {
  const TimerId id{FNextHandle++};
  const UINT interval = std::clamp<UINT>(AIntervalMs, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
  if (::SetTimer(FMessages, static_cast<UINT_PTR>(id), interval, nullptr) == 0) {
    return TimerId::None;
  }
  auto timer = std::make_unique<Timer>();
  timer->Callback = std::make_shared<std::function<void()>>(std::move(ACallback));
  FTimers.emplace(id, std::move(timer));
  return id;
}

void Win32Platform::OnTimer(UINT_PTR ANativeId) {
  const auto it = FTimers.find(TimerId{ANativeId});
  if (it == FTimers.end()) {
    return;
  }
  // The interface's guard keeps a tick that runs a modal loop from starting again.
  const std::shared_ptr<std::function<void()>> callback = it->second->Callback;
  Dispatch(*callback);
}

void Win32Platform::KillTimer(TimerId ATimer) {
  const auto it = FTimers.find(ATimer);
  if (it == FTimers.end()) {
    return;
  }
  ::KillTimer(FMessages, static_cast<UINT_PTR>(ATimer));
  FTimers.erase(it);
}

// --- Desktop queries

std::optional<TPoint> Win32Platform::GetCursorPos() {
  POINT p{};
  if (::GetCursorPos(&p) == FALSE) {
    return std::nullopt;
  }
  const double scale = SystemScale();
  return TPoint{ToLogical(p.x, scale), ToLogical(p.y, scale)};
}

bool Win32Platform::ProgramHasFocus() {
  return GetFocus() != nullptr;
}

std::optional<TRect> Win32Platform::ForegroundWindowRect() {
  const auto frame = ForegroundFrame([this](HWND AWindow) { return WindowOf(AWindow) != nullptr; });
  if (!frame) {
    return std::nullopt;
  }
  const double scale = SystemScale();
  return TRect{ToLogical(frame->Left, scale), ToLogical(frame->Top, scale),
               ToLogical(frame->Right, scale), ToLogical(frame->Bottom, scale)};
}

TRect Win32Platform::VirtualScreenRect() {
  const double scale = SystemScale();
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return {ToLogical(left, scale), ToLogical(top, scale),
          ToLogical(left + GetSystemMetrics(SM_CXVIRTUALSCREEN), scale),
          ToLogical(top + GetSystemMetrics(SM_CYVIRTUALSCREEN), scale)};
}

TPoint Win32Platform::TextExtent(std::string_view AText, const TFontDesc& AFont,
                                 std::optional<std::int32_t> AWrapWidth) {
  HDC dc = CreateCompatibleDC(nullptr);
  if (dc == nullptr) {
    return {};
  }
  HGDIOBJ old = SelectObject(dc, FFonts.Get(AFont));
  TPoint extent;
  const std::wstring text = Widen(AText);
  if (text.empty()) {
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    extent = {0, metrics.tmHeight};
  } else {
    RECT r{0, 0, AWrapWidth ? std::max(*AWrapWidth, 1) : 0, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
              TextFormat(AWrapWidth.has_value()) | DT_CALCRECT);
    extent = {r.right - r.left, r.bottom - r.top};
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  return extent;
}

TRgb Win32Platform::SystemColor(int AIndex) {
  if (AIndex < 0 || AIndex > COLOR_MENUBAR || GetSysColorBrush(AIndex) == nullptr) {
    return {}; // an index the desktop has no colour for reads as black
  }
  const COLORREF c = GetSysColor(AIndex);
  return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

// --- Modal user interface

HWND Win32Platform::MenuOwner() const {
  HWND fallback = nullptr;
  for (const auto& [id, window] : FWindows) {
    HWND h = window->Handle();
    if (IsWindowVisible(h) == FALSE) {
      continue;
    }
    if (h == GetForegroundWindow()) {
      return h;
    }
    if (fallback == nullptr) {
      fallback = h;
    }
  }
  return fallback;
}

int Win32Platform::PopupMenu(TPoint AScreenPos, std::span<const TMenuEntry> AEntries) {
  HWND owner = MenuOwner();
  if (owner == nullptr || AEntries.empty()) {
    return -1; // a menu needs a window of ours to belong to
  }
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) {
    return -1;
  }
  std::vector<std::wstring> captions;
  captions.reserve(AEntries.size());
  for (std::size_t i = 0; i < AEntries.size(); ++i) {
    const TMenuEntry& e = AEntries[i];
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID;
    item.wID = static_cast<UINT>(i + 1); // 0 is what a dismissed menu returns
    if (e.Separator) {
      item.fType = MFT_SEPARATOR;
    } else {
      std::string caption = e.Caption;
      if (!e.ShortCutText.empty()) {
        caption += '\t' + e.ShortCutText; // shown in the shortcut column, not bound
      }
      captions.push_back(Widen(caption));
      item.fMask |= MIIM_STRING;
      item.dwTypeData = captions.back().data();
      item.fType = MFT_STRING | (e.RadioCheck ? MFT_RADIOCHECK : 0U);
      item.fState = (e.Enabled ? MFS_ENABLED : MFS_GRAYED) | (e.Checked ? MFS_CHECKED : 0U) |
                    (e.Default ? MFS_DEFAULT : 0U);
    }
    InsertMenuItemW(menu, static_cast<UINT>(i), TRUE, &item);
  }
  const TWin32Window* window = WindowOf(owner);
  const double scale = window != nullptr ? window->Scale() : 1.0;
  // The owner must be in front, or the menu would not close when the user clicks elsewhere.
  SetForegroundWindow(owner);
  const BOOL chosen = TrackPopupMenuEx(
      menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_NONOTIFY,
      ToDevice(AScreenPos.X, scale), ToDevice(AScreenPos.Y, scale), owner, nullptr);
  PostMessageW(owner, WM_NULL, 0, 0);
  DestroyMenu(menu);
  RethrowPending();
  return chosen > 0 ? static_cast<int>(chosen) - 1 : -1;
}

void Win32Platform::ShowErrorBox(std::string_view AText, std::string_view ACaption) {
  MessageBoxW(MenuOwner(), Widen(AText).c_str(), Widen(ACaption).c_str(),
              MB_OK | MB_ICONSTOP | MB_SETFOREGROUND);
  RethrowPending();
}

// --- Clipboard

void Win32Platform::SetClipboardText(std::string_view AText) {
  PutClipboardText(FMessages, AText);
}

std::optional<std::string> Win32Platform::ClipboardText() const {
  return TakeClipboardText(FMessages);
}

// --- The desktop around the program

bool Win32Platform::OpenUrl(std::string_view AUrl) {
  return ShellOpen(AUrl);
}

std::optional<std::string> Win32Platform::ReadSetting(std::string_view AKey,
                                                      std::string_view AName) {
  return ReadUserString(AKey, AName);
}

std::optional<std::string> Win32Platform::DefaultHandlerCommand(THandlerKind AKind) {
  return SchemeCommand(AKind == THandlerKind::WebPage ? L"http" : L"mailto");
}

bool Win32Platform::StartHandler(THandlerKind AKind, std::string_view ACommand,
                                 std::string_view AAddress) {
  std::vector<std::string> argv = SplitCommandLine(ACommand);
  if (argv.empty() || argv.front().empty()) {
    // No program to start: the shell still knows what opens mail addresses.
    return AKind == THandlerKind::Mail && ShellOpen("mailto:" + std::string(AAddress));
  }
  argv.emplace_back(AAddress); // one argument of its own, quoted for the program's splitter
  return StartProcess(argv);
}

} // namespace nyarumi::win32
