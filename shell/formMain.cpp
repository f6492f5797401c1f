#include "shell/formMain.h"

#include "assets/FormLoader.h"
#include "common/Errors.h"
#include "shell/window/Application.h"
#include "shell/window/Registration.h"

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
    for (int i = 0; i < FRAME_COUNT; ++i) {
      if (AName == FramePictureName(i)) {
        Bind(FramePictures[static_cast<std::size_t>(i)], AComponent);
        return;
      }
      if (AName == RegionHolderName(i)) {
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
  AnimTick(*this);
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

void TfrmMAIN::CopyFramePicture(int APictureIndex) {
  TImage& frame = *FramePictures.at(static_cast<std::size_t>(APictureIndex));
  imgMainOMOTE->Canvas().CopyRect(FrameArea(), frame.Canvas(), FrameArea());
}

void TfrmMAIN::LoadRegionAt(int AHolderIndex, std::int32_t X, std::int32_t Y) {
  FormRgn1->LoadRegionAt(RegionHolders.at(static_cast<std::size_t>(AHolderIndex))->Stream, X, Y);
}

bool TfrmMAIN::FormRgnVisible() const {
  return FormRgn1->Visible();
}

void TfrmMAIN::SetFormRgnVisible(bool AVisible) {
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
  imgMainURA->Canvas().CopyRect(FrameArea(), imgMainOMOTE->Canvas(), FrameArea());
}

void TfrmMAIN::CopyFrontToFormRgn() {
  FormRgn1->Canvas().CopyRect(FrameArea(), imgMainOMOTE->Canvas(), FrameArea());
}

void TfrmMAIN::ApplyRegion() {
  FormRgn1->ApplyRegion();
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
