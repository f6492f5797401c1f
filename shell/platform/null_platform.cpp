#include "shell/platform/null_platform.h"

#include "common/Errors.h"

#include <algorithm>

namespace nyarumi {

namespace {

class RecordingCanvas final : public Canvas {
public:
  explicit RecordingCanvas(std::vector<TPaintOp>& AOps) : FOps(AOps) {}
  void FillRect(const TRect& ARect, TRgb AColor) override {
    TPaintOp op;
    op.Type = TPaintOp::Kind::Fill;
    op.Rect = ARect;
    op.Color = AColor;
    FOps.push_back(op);
  }
  void CopyPicture(const TRect& ADest, const TPictureRef& APicture, const TRect& ASource) override {
    TPaintOp op;
    op.Type = TPaintOp::Kind::Picture;
    op.Rect = ADest;
    op.Source = ASource;
    op.Picture = APicture.Indexed != nullptr ? static_cast<const void*>(APicture.Indexed)
                                             : static_cast<const void*>(APicture.Rgb32);
    FOps.push_back(op);
  }
  void DrawString(const TRect& ARect, std::string_view AText, const TFontDesc& AFont,
                  const TTextOptions& AOptions) override {
    TPaintOp op;
    op.Type = TPaintOp::Kind::Text;
    op.Rect = ARect;
    op.Text = std::string(AText);
    op.Font = AFont;
    op.Options = AOptions;
    FOps.push_back(op);
  }
  void DrawRectangle(const TRect& ARect, std::optional<TRgb> APen,
                     std::optional<TRgb> ABrush) override {
    TPaintOp op;
    op.Type = TPaintOp::Kind::Rectangle;
    op.Rect = ARect;
    op.Pen = APen;
    op.Color = ABrush;
    FOps.push_back(op);
  }

private:
  std::vector<TPaintOp>& FOps;
};

// Splits UTF-8 text into code points' byte lengths, so widths count characters, not bytes.
std::vector<std::size_t> CharLengths(std::string_view AText) {
  std::vector<std::size_t> lengths;
  for (std::size_t i = 0; i < AText.size();) {
    const auto c = static_cast<unsigned char>(AText[i]);
    std::size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    n = std::min(n, AText.size() - i);
    lengths.push_back(n);
    i += n;
  }
  return lengths;
}

} // namespace

NullPlatform::NullPlatform() = default;
NullPlatform::~NullPlatform() = default;

void NullPlatform::FailOnce(NullOp AOp) {
  FRules[static_cast<std::size_t>(AOp)].Once = true;
}
void NullPlatform::FailAlways(NullOp AOp) {
  FRules[static_cast<std::size_t>(AOp)].Always = true;
}
void NullPlatform::FailEvery(NullOp AOp, unsigned ANth) {
  TFailRule& rule = FRules[static_cast<std::size_t>(AOp)];
  rule.Every = ANth;
  rule.Counted = 0;
}
void NullPlatform::ClearFailures() {
  for (TFailRule& rule : FRules) {
    rule = {};
  }
}

bool NullPlatform::Fails(NullOp AOp) {
  const auto i = static_cast<std::size_t>(AOp);
  ++FCalls[i];
  TFailRule& rule = FRules[i];
  bool fail = rule.Always;
  if (rule.Once) {
    rule.Once = false;
    fail = true;
  }
  if (rule.Every != 0 && ++rule.Counted % rule.Every == 0) {
    fail = true;
  }
  return fail;
}

TNullWindow* NullPlatform::FindWindow(WindowId AWindow) {
  auto it = FWindows.find(AWindow);
  return it == FWindows.end() ? nullptr : &it->second;
}

TNullWindow& NullPlatform::Window(WindowId AWindow) {
  TNullWindow* w = FindWindow(AWindow);
  if (w == nullptr) {
    throw Exception("null platform: no such window");
  }
  return *w;
}

TNullButton& NullPlatform::Button(ButtonId AButton) {
  auto it = FButtons.find(AButton);
  if (it == FButtons.end()) {
    throw Exception("null platform: no such button");
  }
  return it->second;
}

std::uint32_t NullPlatform::TimerInterval(TimerId ATimer) const {
  auto it = FTimers.find(ATimer);
  return it == FTimers.end() ? 0 : it->second.Interval;
}

void NullPlatform::AdvanceTime(std::uint32_t AMs) {
  const std::uint64_t target = FNow + AMs;
  for (;;) {
    auto next = std::min_element(FTimers.begin(), FTimers.end(), [](const auto& a, const auto& b) {
      return a.second.Due < b.second.Due;
    });
    if (next == FTimers.end() || next->second.Due > target) {
      break;
    }
    FNow = next->second.Due;
    next->second.Due += next->second.Interval;
    // A copy: the callback may kill its own timer.
    std::function<void()> callback = next->second.Callback;
    callback();
  }
  FNow = std::max(FNow, target); // a nested advance may already have gone further
}

void NullPlatform::PaintNow(WindowId AWindow) {
  const TNullWindow& w = Window(AWindow);
  Paint(AWindow, {0, 0, w.Params.ClientWidth, w.Params.ClientHeight});
}

void NullPlatform::Paint(WindowId AWindow, const TRect& ADirty) {
  TNullWindow& w = Window(AWindow);
  w.Invalid = false;
  w.ShownPicture.reset(); // painted over
  w.LastPaint.clear();
  RecordingCanvas canvas(w.LastPaint);
  w.Events->Paint(canvas, ADirty);
}

TNullWindow* NullPlatform::Known(NullOp AOp, WindowId AWindow) {
  return Fails(AOp) ? nullptr : FindWindow(AWindow);
}

TNullButton* NullPlatform::KnownButton(NullOp AOp, ButtonId AButton) {
  if (Fails(AOp)) {
    return nullptr;
  }
  const auto it = FButtons.find(AButton);
  return it == FButtons.end() ? nullptr : &it->second;
}

void NullPlatform::ClickButton(ButtonId AButton) {
  std::function<void()> click = Button(AButton).OnClick;
  click();
}

void NullPlatform::Run() {
  if (Fails(NullOp::Run)) {
    return;
  }
  const std::uint64_t limit = FNow + RunLimitMs;
  while (!QuitRequested && !FTimers.empty() && FNow < limit) {
    std::uint64_t due = limit;
    for (const auto& [id, timer] : FTimers) {
      due = std::min(due, timer.Due);
    }
    AdvanceTime(static_cast<std::uint32_t>(due - FNow));
  }
}

void NullPlatform::Quit() {
  if (!Fails(NullOp::Quit)) {
    QuitRequested = true;
  }
}

void NullPlatform::ProcessMessages() {
  Fails(NullOp::ProcessMessages);
}

WindowId NullPlatform::CreateNativeWindow(const TWindowParams& AParams, WindowEvents& AEvents) {
  if (Fails(NullOp::CreateNativeWindow)) {
    return WindowId::None;
  }
  const auto id = static_cast<WindowId>(FNextHandle++);
  TNullWindow w;
  w.Params = AParams;
  w.Events = &AEvents;
  FWindows.emplace(id, std::move(w));
  return id;
}

void NullPlatform::DestroyNativeWindow(WindowId AWindow) {
  if (Fails(NullOp::DestroyNativeWindow)) {
    return;
  }
  FWindows.erase(AWindow); // its region goes with it
  std::erase_if(FButtons, [&](const auto& b) { return b.second.Parent == AWindow; });
}

void NullPlatform::SetWindowCaption(WindowId AWindow, std::string_view ACaption) {
  if (TNullWindow* w = Known(NullOp::SetWindowCaption, AWindow)) {
    w->Params.Caption = std::string(ACaption);
  }
}

void NullPlatform::SetWindowGeometry(WindowId AWindow, TPoint AOuterTopLeft,
                                     std::int32_t AClientWidth, std::int32_t AClientHeight) {
  if (TNullWindow* w = Known(NullOp::SetWindowGeometry, AWindow)) {
    TWindowParams& p = w->Params;
    p.OuterTopLeft = AOuterTopLeft;
    p.ClientWidth = AClientWidth;
    p.ClientHeight = AClientHeight;
  }
}

TRect NullPlatform::FrameExtents(WindowId AWindow) {
  const TNullWindow* w = Known(NullOp::FrameExtents, AWindow);
  return w == nullptr || w->Params.Border == TWindowBorder::None ? TRect{} : Frame;
}

void NullPlatform::SetWindowVisible(WindowId AWindow, bool AVisible) {
  if (TNullWindow* w = Known(NullOp::SetWindowVisible, AWindow)) {
    w->Visible = AVisible;
  }
}

void NullPlatform::SetStayOnTop(WindowId AWindow, bool AStayOnTop) {
  if (TNullWindow* w = Known(NullOp::SetStayOnTop, AWindow)) {
    w->Params.StayOnTop = AStayOnTop;
  }
}

void NullPlatform::SetSkipTaskbar(WindowId AWindow, bool ASkip) {
  if (TNullWindow* w = Known(NullOp::SetSkipTaskbar, AWindow)) {
    w->Params.SkipTaskbar = ASkip;
  }
}

void NullPlatform::SetWindowCursor(WindowId AWindow, TCursorShape AShape) {
  if (TNullWindow* w = Known(NullOp::SetWindowCursor, AWindow)) {
    w->Cursor = AShape;
  }
}

void NullPlatform::InvalidateWindow(WindowId AWindow, std::optional<TRect> AArea) {
  if (TNullWindow* w = Known(NullOp::InvalidateWindow, AWindow)) {
    const TRect all{0, 0, w->Params.ClientWidth, w->Params.ClientHeight};
    const TRect area = AArea.value_or(all);
    // The marked areas add up to the rectangle that spans them, as a native update region's
    // bounding box would.
    w->Dirty = w->Invalid ? w->Dirty.Span(area) : area;
    w->Invalid = true;
  }
}

void NullPlatform::UpdateWindow(WindowId AWindow) {
  TNullWindow* w = Known(NullOp::UpdateWindow, AWindow);
  if (w == nullptr) {
    return;
  }
  ++w->UpdateCount;
  if (w->Invalid) {
    Paint(AWindow, w->Dirty);
  }
}

bool NullPlatform::ShowPicture(WindowId AWindow, const TPictureRef& APicture,
                               const TRect& ASource) {
  auto it = FWindows.find(AWindow);
  if (!ShowsPictures || it == FWindows.end() || !it->second.Visible || !APicture.Owner ||
      !TRect{0, 0, APicture.Width, APicture.Height}.Covers(ASource) ||
      ASource.Width() != it->second.Params.ClientWidth ||
      ASource.Height() != it->second.Params.ClientHeight) {
    return false;
  }
  it->second.ShownPicture = APicture.Owner;
  ++it->second.ShowPictureCount;
  return true;
}

bool NullPlatform::WindowRegionContains(WindowId AWindow, TPoint APos) {
  const TNullWindow* found = Known(NullOp::WindowRegionContains, AWindow);
  if (found == nullptr) {
    return false;
  }
  const TNullWindow& w = *found;
  if (APos.X < 0 || APos.Y < 0 || APos.X >= w.Params.ClientWidth ||
      APos.Y >= w.Params.ClientHeight) {
    return false;
  }
  return !w.Region || w.Region->Contains(APos.X, APos.Y);
}

ButtonId NullPlatform::CreateButton(WindowId AParent, const TButtonParams& AParams,
                                    std::function<void()> AOnClick) {
  if (Fails(NullOp::CreateButton) || FindWindow(AParent) == nullptr) {
    return ButtonId::None;
  }
  const auto id = static_cast<ButtonId>(FNextHandle++);
  FButtons.emplace(id, TNullButton{AParent, AParams, std::move(AOnClick)});
  return id;
}

void NullPlatform::DestroyButton(ButtonId AButton) {
  if (!Fails(NullOp::DestroyButton)) {
    FButtons.erase(AButton);
  }
}

void NullPlatform::SetButtonBounds(ButtonId AButton, const TRect& ABounds) {
  if (TNullButton* b = KnownButton(NullOp::SetButtonBounds, AButton)) {
    b->Params.Bounds = ABounds;
  }
}

void NullPlatform::SetButtonCaption(ButtonId AButton, std::string_view ACaption) {
  if (TNullButton* b = KnownButton(NullOp::SetButtonCaption, AButton)) {
    b->Params.Caption = std::string(ACaption);
  }
}

void NullPlatform::SetButtonVisible(ButtonId AButton, bool AVisible) {
  if (TNullButton* b = KnownButton(NullOp::SetButtonVisible, AButton)) {
    b->Params.Visible = AVisible;
  }
}

void NullPlatform::SetButtonEnabled(ButtonId AButton, bool AEnabled) {
  if (TNullButton* b = KnownButton(NullOp::SetButtonEnabled, AButton)) {
    b->Params.Enabled = AEnabled;
  }
}

RegionId NullPlatform::CreateRectRgn(std::int32_t ALeft, std::int32_t ATop, std::int32_t ARight,
                                     std::int32_t ABottom) {
  if (Fails(NullOp::CreateRectRgn)) {
    return RegionId::None;
  }
  return FRegions.CreateRectRgn(ALeft, ATop, ARight, ABottom);
}

TRegionKind NullPlatform::CombineRgn(RegionId ADest, RegionId ASource1, RegionId ASource2,
                                     TCombineMode AMode) {
  if (Fails(NullOp::CombineRgn)) {
    return TRegionKind::Error;
  }
  return FRegions.CombineRgn(ADest, ASource1, ASource2, AMode);
}

RegionId NullPlatform::ExtCreateRegion(std::span<const std::uint8_t> ARecord) {
  if (Fails(NullOp::ExtCreateRegion)) {
    return RegionId::None;
  }
  return FRegions.ExtCreateRegion(ARecord);
}

TRegionKind NullPlatform::GetRgnBox(RegionId ARegion, TRect& ABox) {
  if (Fails(NullOp::GetRgnBox)) {
    return TRegionKind::Error;
  }
  return FRegions.GetRgnBox(ARegion, ABox);
}

TRegionKind NullPlatform::OffsetRgn(RegionId ARegion, std::int32_t ADx, std::int32_t ADy) {
  if (Fails(NullOp::OffsetRgn)) {
    return TRegionKind::Error;
  }
  return FRegions.OffsetRgn(ARegion, ADx, ADy);
}

int NullPlatform::SetWindowRgn(WindowId AWindow, RegionId ARegion, bool ARedraw) {
  TNullWindow* w = FindWindow(AWindow);
  if (Fails(NullOp::SetWindowRgn) || w == nullptr) {
    return 0;
  }
  if (ARegion == RegionId::None) {
    w->Region.reset();
  } else {
    std::optional<TRegion> region = FRegions.Take(ARegion);
    if (!region) {
      return 0;
    }
    w->Region = std::move(*region);
  }
  ++w->SetRegionCount;
  if (ARedraw) {
    ++w->RedrawCount;
    w->Invalid = true;
  }
  return 1;
}

bool NullPlatform::CopyWindowRgn(WindowId AWindow, RegionId ARegion) {
  TNullWindow* w = FindWindow(AWindow);
  const TRegion* region = FRegions.Find(ARegion);
  if (!CopiesRegions || w == nullptr || region == nullptr) {
    return false;
  }
  w->Region = *region;
  ++w->SetRegionCount;
  return true;
}

bool NullPlatform::DeleteObject(RegionId ARegion) {
  if (Fails(NullOp::DeleteObject)) {
    return false;
  }
  return FRegions.DeleteObject(ARegion);
}

TimerId NullPlatform::CreateTimer(std::uint32_t AIntervalMs, std::function<void()> ACallback) {
  if (Fails(NullOp::SetTimer)) {
    return TimerId::None;
  }
  const std::uint32_t interval = std::max<std::uint32_t>(AIntervalMs, 10);
  const auto id = static_cast<TimerId>(FNextHandle++);
  FTimers.emplace(id, TTimer{interval, FNow + interval, std::move(ACallback)});
  return id;
}

void NullPlatform::KillTimer(TimerId ATimer) {
  if (!Fails(NullOp::KillTimer)) {
    FTimers.erase(ATimer);
  }
}

std::optional<TPoint> NullPlatform::GetCursorPos() {
  if (Fails(NullOp::GetCursorPos)) {
    return std::nullopt;
  }
  return CursorPos;
}

bool NullPlatform::ProgramHasFocus() {
  return !Fails(NullOp::ProgramHasFocus) && HasFocus;
}

std::optional<TRect> NullPlatform::ForegroundWindowRect() {
  if (Fails(NullOp::ForegroundWindowRect)) {
    return std::nullopt;
  }
  return Foreground;
}

TRect NullPlatform::VirtualScreenRect() {
  if (Fails(NullOp::VirtualScreenRect)) {
    return {};
  }
  return VirtualScreen;
}

TPoint NullPlatform::TextExtent(std::string_view AText, const TFontDesc& AFont,
                                std::optional<std::int32_t> AWrapWidth) {
  if (Fails(NullOp::TextExtent)) {
    return {};
  }
  // A fixed metric: ASCII characters are half as wide as they are high, others square.
  const std::int32_t height = std::max(AFont.PixelHeight, 1);
  std::int32_t widest = 0;
  std::int32_t line = 0;
  std::int32_t lines = 1;
  std::size_t pos = 0;
  for (std::size_t n : CharLengths(AText)) {
    const char c = AText[pos];
    pos += n;
    if (c == '\n') {
      ++lines;
      line = 0;
      continue;
    }
    const std::int32_t w = n == 1 ? std::max(height / 2, 1) : height;
    if (AWrapWidth && line > 0 && line + w > *AWrapWidth) {
      ++lines;
      line = 0;
    }
    line += w;
    widest = std::max(widest, line);
  }
  return {widest, lines * height};
}

TRgb NullPlatform::SystemColor(int AIndex) {
  if (Fails(NullOp::SystemColor)) {
    return {};
  }
  switch (AIndex) {
  case 15: // button face
    return {240, 240, 240};
  case 5: // window
    return {255, 255, 255};
  default:
    return {0, 0, 0};
  }
}

int NullPlatform::PopupMenu(TPoint AScreenPos, std::span<const TMenuEntry> AEntries) {
  if (Fails(NullOp::PopupMenu)) {
    return -1;
  }
  Menus.push_back({AScreenPos, {AEntries.begin(), AEntries.end()}});
  if (OnPopup) {
    OnPopup();
  }
  if (MenuChoice < 0 || static_cast<std::size_t>(MenuChoice) >= AEntries.size()) {
    return -1;
  }
  const TMenuEntry& chosen = AEntries[static_cast<std::size_t>(MenuChoice)];
  return chosen.Separator || !chosen.Enabled ? -1 : MenuChoice;
}

void NullPlatform::ShowErrorBox(std::string_view AText, std::string_view ACaption) {
  if (!Fails(NullOp::ShowErrorBox)) {
    ErrorBoxes.emplace_back(AText, ACaption);
  }
}

void NullPlatform::SetClipboardText(std::string_view AText) {
  if (!Fails(NullOp::SetClipboardText)) {
    Clipboard = std::string(AText);
  }
}

bool NullPlatform::OpenUrl(std::string_view AUrl) {
  if (Fails(NullOp::OpenUrl) || !OpenUrlResult) {
    return false;
  }
  OpenedUrls.emplace_back(AUrl);
  return true;
}

bool NullPlatform::StartHandler(THandlerKind AKind, std::string_view ACommand,
                                std::string_view AAddress) {
  if (Fails(NullOp::StartHandler) || !StartHandlerResult) {
    return false;
  }
  StartedHandlers.push_back({AKind, std::string(ACommand), std::string(AAddress)});
  return true;
}

std::optional<std::string> NullPlatform::ReadSetting(std::string_view AKey,
                                                     std::string_view AName) {
  if (Fails(NullOp::ReadSetting)) {
    return std::nullopt;
  }
  auto it = Settings.find({std::string(AKey), std::string(AName)});
  return it == Settings.end() ? std::nullopt : std::optional<std::string>(it->second);
}

std::optional<std::string> NullPlatform::DefaultHandlerCommand(THandlerKind AKind) {
  if (Fails(NullOp::DefaultHandlerCommand)) {
    return std::nullopt;
  }
  auto it = Handlers.find(AKind);
  return it == Handlers.end() ? std::nullopt : std::optional<std::string>(it->second);
}

} // namespace nyarumi
