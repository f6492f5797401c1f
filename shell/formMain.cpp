#include "shell/formMain.h"

#include "assets/FormLoader.h"
#include "common/Errors.h"
#include "shell/window/Application.h"
#include "shell/window/Registration.h"

#include <limits>
#include <string>

namespace nyarumi {

namespace {

constexpr TRect FrameArea() {
  return {FRAME_RECT.Left, FRAME_RECT.Top, FRAME_RECT.Right, FRAME_RECT.Bottom};
}

// Binds AComponent to ASlot when it has the member's class; a mismatch leaves the slot empty,
// which Loaded() then reports.
template <class T> void Bind(T*& ASlot, TComponent* AComponent) {
  ASlot = dynamic_cast<T*>(AComponent);
}

// Every member image the window sizes to one full frame at its top-left corner.
void CoverWindow(TControl& AControl) {
  AControl.SetWidth(CHAR_WIDTH);
  AControl.SetHeight(CHAR_HEIGHT);
  AControl.SetTop(0);
  AControl.SetLeft(0);
}

[[noreturn]] void Missing(std::string_view AName) {
  throw EReadError(FormatText(MSG_COMPONENT_MISSING, {std::string(AName)}));
}

} // namespace

TfrmMAIN::TfrmMAIN(TComponent* AOwner) : TForm(AOwner) {}

TfrmMAIN::~TfrmMAIN() {
  for (const TOutline& outline : FOutlines) {
    if (outline.Region != RegionId::None) {
      CurrentPlatform().DeleteObject(outline.Region);
    }
  }
}

void TfrmMAIN::BindField(std::string_view AName, TComponent* AComponent) {
  if (AName == "anmTimer") {
    Bind(anmTimer, AComponent);
  } else if (AName == "imgMainOMOTE") {
    Bind(imgMainOMOTE, AComponent);
  } else if (AName == "imgMainURA") {
    Bind(imgMainURA, AComponent);
  } else if (AName == "popMainMenu") {
    Bind(popMainMenu, AComponent);
  } else if (AName == "N1") {
    Bind(N1, AComponent);
  } else if (AName == "N2") {
    Bind(N2, AComponent);
  } else if (AName == "N6") {
    Bind(N6, AComponent);
  } else if (AName == "menuItemONTop") {
    Bind(menuItemONTop, AComponent);
  } else if (AName == "menuItemAbout") {
    Bind(menuItemAbout, AComponent);
  } else if (AName == "menuItemEND") {
    Bind(menuItemEND, AComponent);
  } else if (AName == "FormRgn1") {
    Bind(FormRgn1, AComponent);
  } else {
    // A holder is named "rg" and its frame's picture: matched without building each name,
    // which for all 88 fields cost a tenth of her start-up.
    const std::string_view holder = AName.starts_with("rg") ? AName.substr(2) : std::string_view{};
    for (int i = 0; i < FRAME_COUNT; ++i) {
      if (AName == FramePictureName(i)) {
        Bind(FramePictures[static_cast<std::size_t>(i)], AComponent);
        return;
      }
      if (!holder.empty() && holder == FramePictureName(i)) {
        Bind(RegionHolders[static_cast<std::size_t>(i)], AComponent);
        return;
      }
    }
  }
}

TNotifyEvent TfrmMAIN::MethodAddress(std::string_view AName) {
  using THandler = void (TfrmMAIN::*)(TComponent*);
  static constexpr std::pair<std::string_view, THandler> handlers[] = {
      {"FormCreate", &TfrmMAIN::FormCreate},
      {"menuItemENDClick", &TfrmMAIN::menuItemENDClick},
      {"anmTimerTimer", &TfrmMAIN::anmTimerTimer},
      {"menuItemAboutClick", &TfrmMAIN::menuItemAboutClick},
      {"menuItemONTopClick", &TfrmMAIN::menuItemONTopClick}};
  for (const auto& entry : handlers) {
    if (AName == entry.first) {
      const THandler handler = entry.second; // clang 14 cannot capture a structured binding
      return [this, handler](TComponent* Sender) { (this->*handler)(Sender); };
    }
  }
  return {};
}

void TfrmMAIN::Loaded() {
  TForm::Loaded();
  const std::pair<std::string_view, const void*> members[] = {{"anmTimer", anmTimer},
                                                              {"imgMainOMOTE", imgMainOMOTE},
                                                              {"imgMainURA", imgMainURA},
                                                              {"popMainMenu", popMainMenu},
                                                              {"N1", N1},
                                                              {"N2", N2},
                                                              {"N6", N6},
                                                              {"menuItemONTop", menuItemONTop},
                                                              {"menuItemAbout", menuItemAbout},
                                                              {"menuItemEND", menuItemEND},
                                                              {"FormRgn1", FormRgn1}};
  for (const auto& [name, member] : members) {
    if (member == nullptr) {
      Missing(name);
    }
  }
  for (int i = 0; i < FRAME_COUNT; ++i) {
    if (FramePictures[static_cast<std::size_t>(i)] == nullptr) {
      Missing(FramePictureName(i));
    }
    if (RegionHolders[static_cast<std::size_t>(i)] == nullptr) {
      Missing(RegionHolderName(i));
    }
  }
}

void TfrmMAIN::FormCreate(TComponent* /*Sender*/) {
  Character.PoseMode = POSE_STAND;
  Character.PoseCode = POSE_STAND_R + 1;
  SetWidth(CHAR_WIDTH);
  SetHeight(CHAR_HEIGHT);
  CoverWindow(*imgMainOMOTE);
  imgMainOMOTE->Picture().SetSize(CHAR_WIDTH, CHAR_HEIGHT);
  imgMainOMOTE->Canvas().FillRect(FrameArea());
  CoverWindow(*imgMainURA);
  CoverWindow(*FormRgn1);
  Character.StepY = 0;
  Character.StepX = 0;
  imgMainOMOTE->Show();
  imgMainURA->Show();
  // A desktop companion has no taskbar entry; the platform keeps her window off it.
  if (TApplication* app = CurrentApplication()) {
    app->SetShowTaskbarButton(false);
  }
  SetFormStyle(TFormStyle::fsStayOnTop);
  AnimProc();
  // Creates the native window, already topmost, with the first frame's outline.
  FormRgn1->ApplyRegion();
}

void TfrmMAIN::menuItemENDClick(TComponent* /*Sender*/) {
  Application().Terminate();
}

void TfrmMAIN::anmTimerTimer(TComponent* /*Sender*/) {
  try {
    AnimTick(*this);
  } catch (...) {
    // The error box that follows paints her: from the images, as the long way leaves them.
    FArmed = false;
    BringUpToDate();
    throw;
  }
}

void TfrmMAIN::AnimProc() {
  nyarumi::AnimProc(Character, *this);
}

void TfrmMAIN::menuItemAboutClick(TComponent* /*Sender*/) {
  if (FAboutForm != nullptr && !FAboutForm->Visible()) {
    FAboutForm->Show();
  }
}

void TfrmMAIN::menuItemONTopClick(TComponent* /*Sender*/) {
  // The check mark always tells whether she stays on top.
  if (menuItemONTop->Checked) {
    SetFormStyle(TFormStyle::fsNormal);
    menuItemONTop->Checked = false;
  } else {
    SetFormStyle(TFormStyle::fsStayOnTop);
    menuItemONTop->Checked = true;
  }
}

void TfrmMAIN::CopyFrame(TImage& ATarget, int AFrame) {
  TImage& frame = *FramePictures.at(static_cast<std::size_t>(AFrame));
  ATarget.Canvas().CopyRect(FrameArea(), frame.Canvas(), FrameArea());
}

void TfrmMAIN::Defer() {
  if (!FDeferred.Active) {
    FDeferred = TDeferred{};
    FDeferred.Active = true;
    FDeferred.RgnVisible = FormRgn1->Visible();
  }
}

void TfrmMAIN::BringUpToDate() {
  if (!FDeferred.Active) {
    return;
  }
  // Cleared first: the work below marks the window, and the form looks at the images again.
  const TDeferred d = std::exchange(FDeferred, TDeferred{});
  if (d.Front >= 0) {
    CopyFrame(*imgMainOMOTE, d.Front);
  }
  if (d.Back >= 0) {
    CopyFrame(*imgMainURA, d.Back);
  }
  if (d.RgnPicture >= 0) {
    CopyFrame(*FormRgn1, d.RgnPicture);
  }
  FormRgn1->SetVisible(d.RgnVisible);
  if (d.Holder >= 0) {
    LoadRegionNow(d.Holder, d.X, d.Y);
  }
}

void TfrmMAIN::LoadRegionNow(int AHolder, std::int32_t X, std::int32_t Y) {
  // Unknown until the load succeeds: a failed move leaves the record held where it was read.
  FRgnHolder = -1;
  FormRgn1->LoadRegionAt(RegionHolders.at(static_cast<std::size_t>(AHolder))->Stream, X, Y);
  FRgnHolder = AHolder;
  FRgnX = X;
  FRgnY = Y;
}

void TfrmMAIN::CopyFramePicture(int APictureIndex) {
  // A frame that covers FRAME_RECT leaves the front buffer holding the frame there, whatever
  // it held before.
  const TPicture& picture = FramePictures.at(static_cast<std::size_t>(APictureIndex))->Picture();
  FFrontFrame = picture.Width() >= FRAME_RECT.Right && picture.Height() >= FRAME_RECT.Bottom
                    ? APictureIndex
                    : -1;
  if (FDeferred.Active && FFrontFrame >= 0) {
    FDeferred.Front = APictureIndex;
    return;
  }
  BringUpToDate();
  CopyFrame(*imgMainOMOTE, APictureIndex);
}

const TfrmMAIN::TOutline* TfrmMAIN::Outline(int AHolder, std::int32_t X, std::int32_t Y) const {
  const TOutline& outline = FOutlines.at(static_cast<std::size_t>(AHolder));
  return outline.Region != RegionId::None && outline.X == X && outline.Y == Y ? &outline : nullptr;
}

void TfrmMAIN::PrepareOutline(int AHolder, std::int32_t X, std::int32_t Y) {
  TOutline& outline = FOutlines.at(static_cast<std::size_t>(AHolder));
  Platform& platform = CurrentPlatform();
  if (outline.Region == RegionId::None) {
    outline.Region = platform.CreateRectRgn(0, 0, 0, 0);
  }
  // Only a shortcut: without a copy the long way goes on.
  if (outline.Region == RegionId::None ||
      platform.CombineRgn(outline.Region, FormRgn1->Region(), FormRgn1->Region(),
                          TCombineMode::Or) == TRegionKind::Error) {
    outline.X = outline.Y = std::numeric_limits<std::int32_t>::min();
    return;
  }
  outline.X = X;
  outline.Y = Y;
}

void TfrmMAIN::LoadRegionAt(int AHolderIndex, std::int32_t X, std::int32_t Y) {
  if (FDeferred.Active) {
    if (Outline(AHolderIndex, X, Y) != nullptr) {
      FDeferred.Holder = AHolderIndex;
      FDeferred.X = X;
      FDeferred.Y = Y;
      return;
    }
    // A frame not seen yet: the rest of this tick goes the long way.
    BringUpToDate();
    FArmed = false;
  }
  LoadRegionNow(AHolderIndex, X, Y);
}

bool TfrmMAIN::FormRgnVisible() const {
  return FDeferred.Active ? FDeferred.RgnVisible : FormRgn1->Visible();
}

void TfrmMAIN::SetFormRgnVisible(bool AVisible) {
  if (FArmed) {
    Defer();
  }
  if (FDeferred.Active) {
    FDeferred.RgnVisible = AVisible;
    return;
  }
  FormRgn1->SetVisible(AVisible);
}

std::optional<TPoint> TfrmMAIN::CursorPos() {
  return CurrentPlatform().GetCursorPos();
}

bool TfrmMAIN::HasFocus() {
  return CurrentPlatform().ProgramHasFocus();
}

std::optional<TRect> TfrmMAIN::ForegroundRect() {
  return CurrentPlatform().ForegroundWindowRect();
}

void TfrmMAIN::CopyFrontToBack() {
  if (FDeferred.Active && FFrontFrame >= 0) {
    FDeferred.Back = FFrontFrame;
    return;
  }
  BringUpToDate();
  imgMainURA->Canvas().CopyRect(FrameArea(), imgMainOMOTE->Canvas(), FrameArea());
}

void TfrmMAIN::CopyFrontToFormRgn() {
  FRgnFrame = FFrontFrame;
  if (FDeferred.Active && FFrontFrame >= 0) {
    FDeferred.RgnPicture = FFrontFrame;
    return;
  }
  BringUpToDate();
  FormRgn1->Canvas().CopyRect(FrameArea(), imgMainOMOTE->Canvas(), FrameArea());
}

bool TfrmMAIN::ShowFast() {
  if (!FormRgnVisible() || FRgnFrame < 0) {
    return false;
  }
  const std::optional<TShownPicture>& shown = FShownFrames.at(static_cast<std::size_t>(FRgnFrame));
  return shown && ShowInPlace(*shown);
}

void TfrmMAIN::UpdateWindow() {
  FShownFast = ShowFast();
  if (FShownFast) {
    return;
  }
  FArmed = false;
  Update();
  // What the region image shows on top with this frame, when it is the frame's own picture,
  // can be shown again without the images.
  const std::optional<TShownPicture> mine = FormRgn1->ShownPicture();
  if (FRgnFrame >= 0 && mine && Showing() && FormRgn1->Visible() &&
      Showing()->Picture.Owner == mine->Picture.Owner &&
      mine->Picture.Owner ==
          FramePictures.at(static_cast<std::size_t>(FRgnFrame))->Picture().Ref().Owner) {
    FShownFrames.at(static_cast<std::size_t>(FRgnFrame)) = Showing();
  }
}

bool TfrmMAIN::ApplyFast() {
  const bool noted = FDeferred.Active && FDeferred.Holder >= 0;
  const TOutline* outline = noted             ? Outline(FDeferred.Holder, FDeferred.X, FDeferred.Y)
                            : FRgnHolder >= 0 ? Outline(FRgnHolder, FRgnX, FRgnY)
                                              : nullptr;
  return outline != nullptr && HandleAllocated() &&
         CurrentPlatform().CopyWindowRgn(Handle(), outline->Region);
}

void TfrmMAIN::ApplyRegion() {
  if (ApplyFast()) {
    // The next ticks may go the short way when this one's picture went so too.
    FArmed = std::exchange(FShownFast, false);
    return;
  }
  FShownFast = false;
  BringUpToDate();
  FArmed = false;
  FormRgn1->ApplyRegion();
  // A backend that gives windows copies of regions in one step gets this outline ready-made
  // the next time the frame comes round.
  if (FRgnHolder >= 0 && Outline(FRgnHolder, FRgnX, FRgnY) == nullptr &&
      CurrentPlatform().CopyWindowRgn(Handle(), FormRgn1->Region())) {
    PrepareOutline(FRgnHolder, FRgnX, FRgnY);
  }
}

void RegisterfrmMAIN(TClassRegistry& ARegistry) {
  TClassInfo info;
  info.Name = "TfrmMAIN";
  AddFormProperties(info);
  ARegistry.Register(std::move(info));
}

std::unique_ptr<TfrmMAIN> CreatefrmMAIN(const TClassRegistry& ARegistry) {
  auto form = std::make_unique<TfrmMAIN>(nullptr);
  ReadComponentResource(*form, "TfrmMAIN", ARegistry);
  form->DoCreate();
  return form;
}

} // namespace nyarumi
