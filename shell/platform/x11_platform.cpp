#include "shell/platform/x11_platform.h"

#include "shell/platform/x11_button.h"
#include "shell/platform/x11_clipboard.h"
#include "shell/platform/x11_errorbox.h"
#include "shell/platform/x11_ewmh.h"
#include "shell/platform/x11_menu.h"
#include "shell/platform/x11_style.h"
#include "shell/platform/xdg_desktop.h"

#include <X11/Xatom.h>
#include <X11/Xlib-xcb.h>
#include <X11/cursorfont.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <poll.h>
#include <utility>

namespace nyarumi::x11 {
namespace {

// The window a structure event is about, which differs from the one it was selected on when it
// comes through a frame's substructure (see TX11Window::WatchFrame).
Window Subject(const XEvent& AEvent) {
  switch (AEvent.type) {
  case ConfigureNotify:
    return AEvent.xconfigure.window;
  case MapNotify:
    return AEvent.xmap.window;
  case UnmapNotify:
    return AEvent.xunmap.window;
  case ReparentNotify:
    return AEvent.xreparent.window;
  default:
    return AEvent.xany.window;
  }
}

} // namespace

TX11Platform::TX11Platform(std::string ASettingsPath)
    : FSettingsPath(std::move(ASettingsPath)), FDisplay(std::make_unique<TX11Display>()) {
  // The display has interned these already, with the rest of the backend's atoms.
  const TAtoms& A = FDisplay->Atoms();
  const auto Xcb = [](Atom AAtom) { return static_cast<xcb_atom_t>(AAtom); };
  FEwmh = std::make_unique<TEwmh>(
      XGetXCBConnection(FDisplay->Dpy()), static_cast<xcb_window_t>(FDisplay->Root()),
      TEwmhAtoms{Xcb(A.NetActiveWindow), Xcb(A.NetFrameExtents), Xcb(A.NetWmState),
                 Xcb(A.NetWmStateSkipTaskbar), Xcb(A.NetWmStateSkipPager), Xcb(A.NetWmStateAbove),
                 Xcb(A.NetSupportingWmCheck)});
  FPictures = std::make_unique<TX11Pictures>(*FDisplay);
  FFonts = std::make_unique<TX11Fonts>(*FDisplay);
  FContext = std::make_unique<TX11Context>(
      TX11Context{*FDisplay, *FPictures, *FFonts, *FEwmh,
                  [this](const std::function<void()>& Call) { Dispatch(Call); }});
  FClipboard = std::make_unique<TX11Clipboard>(*FDisplay);
  XSelectInput(FDisplay->Dpy(), FDisplay->Root(), PropertyChangeMask);
}

TX11Platform::~TX11Platform() {
  FDeadButtons.clear();
  FButtons.clear();
  FDeadWindows.clear();
  FWindows.clear();
  FClipboard.reset();
  if (FHand != XNone) {
    XFreeCursor(FDisplay->Dpy(), FHand);
  }
  FFonts.reset();
  FPictures.reset();
}

// --- Event loop

void TX11Platform::Dispatch(const std::function<void()>& ACallback) {
  try {
    ACallback();
  } catch (...) {
    // Must not unwind through the event loop: the loop ends and Run() raises it again.
    if (!FPending) {
      FPending = std::current_exception();
    }
  }
}

void TX11Platform::RethrowPending() {
  if (FPending) {
    std::rethrow_exception(std::exchange(FPending, nullptr));
  }
}

void TX11Platform::DispatchEvent(XEvent& AEvent) {
  const Window Target = Subject(AEvent);
  if (Target == FDisplay->Root()) {
    if (AEvent.type == PropertyNotify) {
      if (AEvent.xproperty.atom == FDisplay->Atoms().NetActiveWindow) {
        FActiveStale = true;
      } else if (AEvent.xproperty.atom == FDisplay->Atoms().NetSupportingWmCheck) {
        ManagerMayHaveChanged(); // a window manager started (or one left its mark behind)
      }
    }
    return;
  }
  if (FMenu != nullptr && Target == FMenu->Id()) {
    FMenu->Handle(AEvent);
    return;
  }
  if (const auto It = FByNative.find(Target); It != FByNative.end()) {
    It->second->Handle(AEvent);
    if (AEvent.type == ReparentNotify) {
      ManagerMayHaveChanged(); // framed by a new manager, or given back by one that ended
    }
    if (AEvent.type == VisibilityNotify) {
      KeepAbove();
    }
    return;
  }
  if (const auto It = FButtonsByNative.find(Target); It != FButtonsByNative.end()) {
    It->second->Handle(AEvent);
    return;
  }
  // Selection requests name the owner in another field than the usual one.
  if (AEvent.type == SelectionRequest || AEvent.type == SelectionClear ||
      Target == FClipboard->Id()) {
    FClipboard->Handle(AEvent);
  }
}

void TX11Platform::PaintMarked() {
  for (auto& [Id, W] : FWindows) {
    if (W->Dirty()) {
      W->Paint();
    }
  }
}

void TX11Platform::CollectGarbage() {
  std::erase_if(FDeadButtons, [](const auto& B) { return !B->InCallback(); });
  // A window goes only after its buttons: they are its children and point back at it.
  std::erase_if(FDeadWindows, [this](const auto& W) {
    return !W->InCallback() && std::none_of(FDeadButtons.begin(), FDeadButtons.end(),
                                            [&](const auto& B) { return &B->Parent() == W.get(); });
  });
}

void TX11Platform::Iterate(int ATimeoutMs) {
  Display* Dpy = FDisplay->Dpy();
  // The connection is read only when something may have come: after a poll that timed out a
  // read would find nothing, and Xlib's queue is as the last look before the sleep left it,
  // empty. She wakes ten times a second; each look costs Xlib's lock on cold code.
  bool Quiet = std::exchange(FQueueEmpty, false);
  if (FMayHaveEvents || ATimeoutMs == 0) {
    FMayHaveEvents = false;
    Quiet = false;
    XEventsQueued(Dpy, QueuedAfterReading);
  }
  while (!Quiet && !FPending && XEventsQueued(Dpy, QueuedAlready) > 0) {
    XEvent Event;
    XNextEvent(Dpy, &Event);
    DispatchEvent(Event);
  }
  if (!FPending) {
    FTimers.RunDue(TX11Timers::Clock::now(), [this](const std::function<void()>& Call) {
      if (!FPending) {
        Dispatch(Call);
      }
    });
  }
  PaintMarked();
  for (const auto& [Id, W] : FWindows) {
    W->SendMove();
  }
  CollectGarbage();
  FMayHaveEvents = true;
  if (ATimeoutMs == 0 || FPending || FQuit) {
    XFlush(Dpy);
    return;
  }
  // One call sends what the callbacks asked for and takes in what the server sent while they
  // waited for replies: that is off the socket already, so poll() would not wake for it.
  // (XFlush would read the socket again, three times over.)
  if (XPending(Dpy) > 0) {
    return;
  }
  // Sleep until the server sends something or the next timer is due.
  const auto Next = FTimers.MillisecondsToNext(TX11Timers::Clock::now());
  int Timeout = ATimeoutMs;
  if (Next && (Timeout < 0 || *Next < Timeout)) {
    Timeout = *Next;
  }
  pollfd Fd{ConnectionNumber(Dpy), POLLIN, 0};
  int Ready = 0;
  while ((Ready = poll(&Fd, 1, Timeout)) < 0 && errno == EINTR) {
  }
  FMayHaveEvents = Ready != 0;
  FQueueEmpty = Ready == 0;
}

void TX11Platform::RunUntil(const std::function<bool()>& ADone) {
  while (!ADone() && !FQuit && !FPending) {
    Iterate(-1);
  }
}

void TX11Platform::Run() {
  while (!FQuit && !FPending) {
    Iterate(-1);
  }
  FQuit = false;
  RethrowPending();
}

void TX11Platform::Quit() {
  FQuit = true;
}

void TX11Platform::ProcessMessages() {
  Iterate(0);
  RethrowPending();
}

// --- Windows

WindowId TX11Platform::AddWindow(const TWindowParams& AParams, WindowEvents& AEvents,
                                 bool AClosable) {
  auto W = std::make_unique<TX11Window>(*FContext, AParams, AEvents, AClosable);
  W->WatchVisibility(!ManagerRunning());
  const WindowId Id{FNextHandle++};
  FByNative[W->Id()] = W.get();
  FWindows.emplace(Id, std::move(W));
  return Id;
}

WindowId TX11Platform::CreateNativeWindow(const TWindowParams& AParams, WindowEvents& AEvents) {
  return AddWindow(AParams, AEvents, false);
}

WindowId TX11Platform::CreateDialogWindow(const TWindowParams& AParams, WindowEvents& AEvents) {
  return AddWindow(AParams, AEvents, true);
}

TX11Window* TX11Platform::Find(WindowId AWindow) const {
  const auto It = FWindows.find(AWindow);
  return It == FWindows.end() ? nullptr : It->second.get();
}

unsigned long TX11Platform::NativeWindowId(WindowId AWindow) const {
  const TX11Window* W = Find(AWindow);
  return W != nullptr ? W->Id() : 0;
}

unsigned long TX11Platform::NativeButtonId(ButtonId AButton) const {
  const TX11Button* B = FindButton(AButton);
  return B != nullptr ? B->Id() : 0;
}

void TX11Platform::DestroyNativeWindow(WindowId AWindow) {
  const auto It = FWindows.find(AWindow);
  if (It == FWindows.end()) {
    return;
  }
  std::unique_ptr<TX11Window> W = std::move(It->second);
  FWindows.erase(It);
  for (auto B = FButtons.begin(); B != FButtons.end();) {
    if (&B->second->Parent() == W.get()) {
      FButtonsByNative.erase(B->second->Id());
      B->second->Detach();
      FDeadButtons.push_back(std::move(B->second));
      B = FButtons.erase(B);
    } else {
      ++B;
    }
  }
  FByNative.erase(W->Id());
  W->Detach();
  W->SetVisible(false);
  FDeadWindows.push_back(std::move(W));
  CollectGarbage();
}

void TX11Platform::SetWindowCaption(WindowId AWindow, std::string_view ACaption) {
  if (TX11Window* W = Find(AWindow)) {
    W->SetCaption(ACaption);
  }
}

void TX11Platform::SetWindowGeometry(WindowId AWindow, TPoint AOuterTopLeft,
                                     std::int32_t AClientWidth, std::int32_t AClientHeight) {
  if (TX11Window* W = Find(AWindow)) {
    W->SetGeometry(AOuterTopLeft, AClientWidth, AClientHeight);
  }
}

TRect TX11Platform::FrameExtents(WindowId AWindow) {
  const TX11Window* W = Find(AWindow);
  return W != nullptr ? W->FrameExtents() : TRect{};
}

void TX11Platform::SetWindowVisible(WindowId AWindow, bool AVisible) {
  if (TX11Window* W = Find(AWindow)) {
    W->SetVisible(AVisible);
    XFlush(FDisplay->Dpy());
  }
}

void TX11Platform::SetStayOnTop(WindowId AWindow, bool AStayOnTop) {
  if (TX11Window* W = Find(AWindow)) {
    W->SetStayOnTop(AStayOnTop);
    KeepAbove();
  }
}

void TX11Platform::KeepAbove() {
  // Never over the program's own open menu; a pending raise covers every window.
  if (FMenu != nullptr || FRaiseTimer != TimerId::None ||
      std::none_of(FWindows.begin(), FWindows.end(),
                   [](const auto& W) { return W.second->CoveredOnTop(); })) {
    return;
  }
  // An EWMH window manager keeps them above for the above state, and raising its client inside
  // a frame would do nothing.
  if (ManagerRunning()) {
    return;
  }
  constexpr auto Interval = std::chrono::milliseconds(100);
  const auto Now = TX11Timers::Clock::now();
  if (Now - FLastRaise < Interval) {
    const auto Wait = std::chrono::ceil<std::chrono::milliseconds>(FLastRaise + Interval - Now);
    FRaiseTimer = FTimers.Add(
        static_cast<std::uint32_t>(Wait.count()),
        [this] {
          FTimers.Remove(std::exchange(FRaiseTimer, TimerId::None));
          KeepAbove();
        },
        Now);
    return;
  }
  FLastRaise = Now;
  for (const auto& [Id, W] : FWindows) {
    if (W->CoveredOnTop()) {
      W->Raise();
    }
  }
}

bool TX11Platform::ManagerRunning() {
  // Asked on every change of her visibility, which every new outline brings: the answer is
  // kept until a manager comes or goes.
  if (!FManagerKnown) {
    XFlush(FDisplay->Dpy()); // the question goes through xcb, after Xlib's queued requests
    FManager = FEwmh->ManagerRunning();
    FManagerKnown = true;
  }
  return FManager;
}

void TX11Platform::ManagerMayHaveChanged() {
  FManagerKnown = false;
  const bool Watch = !ManagerRunning();
  for (const auto& [Id, W] : FWindows) {
    W->WatchVisibility(Watch);
  }
}

void TX11Platform::SetSkipTaskbar(WindowId AWindow, bool ASkip) {
  if (TX11Window* W = Find(AWindow)) {
    W->SetSkipTaskbar(ASkip);
  }
}

void TX11Platform::SetWindowCursor(WindowId AWindow, TCursorShape AShape) {
  TX11Window* W = Find(AWindow);
  if (W == nullptr) {
    return;
  }
  if (AShape != TCursorShape::HandPoint) {
    // The desktop's own arrow, inherited from the parent: making one would load the cursor
    // theme's library and files for nothing.
    W->SetCursor(XNone);
    return;
  }
  if (FHand == XNone) {
    FHand = XCreateFontCursor(FDisplay->Dpy(), XC_hand2);
  }
  W->SetCursor(FHand);
}

void TX11Platform::InvalidateWindow(WindowId AWindow, std::optional<TRect> AArea) {
  if (TX11Window* W = Find(AWindow)) {
    W->Invalidate(AArea);
  }
}

void TX11Platform::UpdateWindow(WindowId AWindow) {
  if (TX11Window* W = Find(AWindow)) {
    W->Paint();
  }
  RethrowPending();
}

bool TX11Platform::WindowRegionContains(WindowId AWindow, TPoint APos) {
  const TX11Window* W = Find(AWindow);
  return W != nullptr && W->RegionContains(APos);
}

bool TX11Platform::ShowPicture(WindowId AWindow, const TPictureRef& APicture,
                               const TRect& ASource) {
  TX11Window* W = Find(AWindow);
  return W != nullptr && W->ShowPicture(APicture, ASource);
}

// --- Buttons

TX11Button* TX11Platform::FindButton(ButtonId AButton) const {
  const auto It = FButtons.find(AButton);
  return It == FButtons.end() ? nullptr : It->second.get();
}

ButtonId TX11Platform::CreateButton(WindowId AParent, const TButtonParams& AParams,
                                    std::function<void()> AOnClick) {
  TX11Window* W = Find(AParent);
  if (W == nullptr) {
    return ButtonId::None;
  }
  auto B = std::make_unique<TX11Button>(*FContext, *W, AParams, std::move(AOnClick));
  const ButtonId Id{FNextHandle++};
  FButtonsByNative[B->Id()] = B.get();
  FButtons.emplace(Id, std::move(B));
  return Id;
}

void TX11Platform::DestroyButton(ButtonId AButton) {
  const auto It = FButtons.find(AButton);
  if (It == FButtons.end()) {
    return;
  }
  FButtonsByNative.erase(It->second->Id());
  It->second->Detach();
  It->second->SetVisible(false);
  FDeadButtons.push_back(std::move(It->second));
  FButtons.erase(It);
  CollectGarbage();
}

void TX11Platform::SetButtonBounds(ButtonId AButton, const TRect& ABounds) {
  if (TX11Button* B = FindButton(AButton)) {
    B->SetBounds(ABounds);
  }
}

void TX11Platform::SetButtonCaption(ButtonId AButton, std::string_view ACaption) {
  if (TX11Button* B = FindButton(AButton)) {
    B->SetCaption(ACaption);
  }
}

void TX11Platform::SetButtonVisible(ButtonId AButton, bool AVisible) {
  if (TX11Button* B = FindButton(AButton)) {
    B->SetVisible(AVisible);
  }
}

void TX11Platform::SetButtonEnabled(ButtonId AButton, bool AEnabled) {
  if (TX11Button* B = FindButton(AButton)) {
    B->SetEnabled(AEnabled);
  }
}

// --- Regions: kept in the shared table; only the window's outline is native.

RegionId TX11Platform::CreateRectRgn(std::int32_t ALeft, std::int32_t ATop, std::int32_t ARight,
                                     std::int32_t ABottom) {
  return FRegions.CreateRectRgn(ALeft, ATop, ARight, ABottom);
}

TRegionKind TX11Platform::CombineRgn(RegionId ADest, RegionId ASource1, RegionId ASource2,
                                     TCombineMode AMode) {
  return FRegions.CombineRgn(ADest, ASource1, ASource2, AMode);
}

RegionId TX11Platform::ExtCreateRegion(std::span<const std::uint8_t> ARecord) {
  return FRegions.ExtCreateRegion(ARecord);
}

TRegionKind TX11Platform::GetRgnBox(RegionId ARegion, TRect& ABox) {
  return FRegions.GetRgnBox(ARegion, ABox);
}

TRegionKind TX11Platform::OffsetRgn(RegionId ARegion, std::int32_t ADx, std::int32_t ADy) {
  return FRegions.OffsetRgn(ARegion, ADx, ADy);
}

int TX11Platform::SetWindowRgn(WindowId AWindow, RegionId ARegion, bool /*ARedraw*/) {
  TX11Window* W = Find(AWindow);
  if (W == nullptr) {
    return 0;
  }
  if (ARegion == RegionId::None) {
    W->SetRegion(std::nullopt);
  } else {
    auto Region = FRegions.Take(ARegion);
    if (!Region) {
      return 0; // unknown handle: the caller keeps nothing to lose
    }
    W->SetRegion(std::move(Region)); // the previous outline is freed here
  }
  // No repaint of our own, redraw or not: the window's surface still holds its picture, and the
  // server exposes whatever a larger outline uncovers. Her outline changes on every step.
  return 1;
}

bool TX11Platform::CopyWindowRgn(WindowId AWindow, RegionId ARegion) {
  TX11Window* W = Find(AWindow);
  const TRegion* Region = FRegions.Find(ARegion);
  if (W == nullptr || Region == nullptr) {
    return false;
  }
  W->SetRegion(*Region); // shares the rectangles until one of the two moves
  return true;
}

bool TX11Platform::DeleteObject(RegionId ARegion) {
  return FRegions.DeleteObject(ARegion);
}

// --- Timers

TimerId TX11Platform::CreateTimer(std::uint32_t AIntervalMs, std::function<void()> ACallback) {
  return FTimers.Add(AIntervalMs, std::move(ACallback), TX11Timers::Clock::now());
}

void TX11Platform::KillTimer(TimerId ATimer) {
  FTimers.Remove(ATimer);
}

// --- Desktop queries

std::optional<TPoint> TX11Platform::GetCursorPos() {
  // Asked through xcb: Xlib's own round trip allocates three times and reads the socket twice
  // more, and she asks five times a second all day.
  xcb_connection_t* C = FEwmh->Connection();
  const std::unique_ptr<xcb_query_pointer_reply_t, decltype(&std::free)> Reply(
      xcb_query_pointer_reply(C, xcb_query_pointer(C, FEwmh->Root()), nullptr), &std::free);
  if (!Reply || !Reply->same_screen) {
    return std::nullopt; // on another screen, or the connection is gone
  }
  const int S = FDisplay->Scale();
  return TPoint{Reply->root_x / S, Reply->root_y / S};
}

bool TX11Platform::ProgramHasFocus() {
  return FMenu != nullptr || std::any_of(FWindows.begin(), FWindows.end(),
                                         [](const auto& W) { return W.second->HasFocus(); });
}

void TX11Platform::ReadActiveWindow() {
  FActiveStale = false;
  FActive = XNone;
  Atom Type = XNone;
  int Format = 0;
  unsigned long Count = 0, After = 0;
  unsigned char* Data = nullptr;
  if (XGetWindowProperty(FDisplay->Dpy(), FDisplay->Root(), FDisplay->Atoms().NetActiveWindow, 0, 1,
                         False, XA_WINDOW, &Type, &Format, &Count, &After, &Data) == Success &&
      Data != nullptr) {
    if (Format == 32 && Count == 1) {
      FActive = static_cast<Window>(*reinterpret_cast<const unsigned long*>(Data));
    }
    XFree(Data);
  }
}

std::optional<TRect> TX11Platform::ForegroundWindowRect() {
  if (FActiveStale) {
    ReadActiveWindow();
  }
  if (FActive == XNone || FByNative.contains(FActive)) {
    return std::nullopt; // no active window, or one of ours: nothing to ask the server
  }
  FOurs.clear();
  for (const auto& [Id, W] : FWindows) {
    FOurs.push_back(static_cast<std::uint32_t>(W->Id()));
  }
  XFlush(FDisplay->Dpy());
  const auto Device = FEwmh->ActiveWindowFrame(FOurs);
  if (!Device) {
    return std::nullopt;
  }
  return DeviceToLogical(*Device, FDisplay->Scale());
}

TRect TX11Platform::VirtualScreenRect() {
  const int S = FDisplay->Scale();
  const int W = DisplayWidth(FDisplay->Dpy(), FDisplay->ScreenNumber());
  const int H = DisplayHeight(FDisplay->Dpy(), FDisplay->ScreenNumber());
  return {0, 0, W / S, H / S};
}

TPoint TX11Platform::TextExtent(std::string_view AText, const TFontDesc& AFont,
                                std::optional<std::int32_t> AWrapWidth) {
  const int S = FDisplay->Scale();
  const TPoint Device =
      FFonts->Extent(AText, AFont, AWrapWidth ? std::optional<int>(*AWrapWidth * S) : std::nullopt);
  return {(Device.X + S - 1) / S, (Device.Y + S - 1) / S};
}

TRgb TX11Platform::SystemColor(int AIndex) {
  return ClassicColor(AIndex);
}

// --- Modal user interface

int TX11Platform::PopupMenu(TPoint AScreenPos, std::span<const TMenuEntry> AEntries) {
  if (AEntries.empty() || FMenu != nullptr) {
    return -1;
  }
  TX11Menu Menu(*FContext, AScreenPos, AEntries);
  FMenu = &Menu;
  if (Menu.Open()) {
    RunUntil([&] { return Menu.Done(); });
  }
  FMenu = nullptr;
  RethrowPending();
  return Menu.Done() ? Menu.Result() : -1;
}

void TX11Platform::ShowErrorBox(std::string_view AText, std::string_view ACaption) {
  {
    TX11ErrorBox Box(*this, AText, ACaption);
    Box.Run();
  }
  RethrowPending();
}

// --- Clipboard

void TX11Platform::SetClipboardText(std::string_view AText) {
  FClipboard->Set(AText);
  XFlush(FDisplay->Dpy());
}

// --- The desktop around the program

bool TX11Platform::OpenUrl(std::string_view AUrl) {
  if (AUrl.empty()) {
    return false;
  }
  return xdg::SpawnDetached({"xdg-open", std::string(AUrl)});
}

std::optional<std::string> TX11Platform::ReadSetting(std::string_view AKey,
                                                     std::string_view AName) {
  // Read afresh each time: the file is small and read only when a link label is created.
  return xdg::TIniSettings::Load(FSettingsPath).Value(AKey, AName);
}

std::optional<std::string> TX11Platform::DefaultHandlerCommand(THandlerKind AKind) {
  return xdg::DefaultHandlerExec(AKind == THandlerKind::WebPage ? "text/html"
                                                                : "x-scheme-handler/mailto");
}

bool TX11Platform::StartHandler(THandlerKind, std::string_view ACommand,
                                std::string_view AAddress) {
  return xdg::StartHandler(ACommand, AAddress);
}

} // namespace nyarumi::x11
