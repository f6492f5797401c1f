#pragma once
// The main window: the character herself. Her components come from the "TFRMMAIN" form stream,
// her life from the 100 ms timer; the popup menu toggles stay-on-top, shows About and quits.
#include "assets/ClassRegistry.h"
#include "assets/fileIN.h"
#include "engine/FrameSequence.h"
#include "engine/PoseCode.h"
#include "engine/Tick.h"
#include "shell/window/Form.h"
#include "shell/window/FormRgn.h"
#include "shell/window/Image.h"
#include "shell/window/Menu.h"
#include "shell/window/Timer.h"

#include <array>
#include <memory>
#include <string_view>

namespace nyarumi {

// Raised when the form stream lacks a component the main window cannot live without.
inline constexpr const char* MSG_COMPONENT_MISSING = "コンポーネント %s が見つかりません";

class TfrmMAIN : public TForm, public IFrameHost, public ITickHost {
public:
  explicit TfrmMAIN(TComponent* AOwner);

  // Components, bound by name while the stream is read.
  TTimer* anmTimer = nullptr;
  TImage* imgMainOMOTE = nullptr;
  TImage* imgMainURA = nullptr;
  TPopupMenu* popMainMenu = nullptr;
  TMenuItem* N1 = nullptr;
  TMenuItem* N2 = nullptr;
  TMenuItem* N6 = nullptr;
  TMenuItem* menuItemONTop = nullptr;
  TMenuItem* menuItemAbout = nullptr;
  TMenuItem* menuItemEND = nullptr;
  // TATI1b … HASIRI5dD, indexed as FramePictureName numbers them.
  std::array<TImage*, FRAME_COUNT> FramePictures{};
  TFormRgn* FormRgn1 = nullptr;
  // rgTATI1b … rgHASIRI5dD, same indices.
  std::array<TfileIN*, FRAME_COUNT> RegionHolders{};

  // PoseMode, PoseCode, StepY, StepX.
  CharacterState Character;

  // Handlers, bound by name from the stream (AnimProc is only called).
  void FormCreate(TComponent* Sender);
  void menuItemENDClick(TComponent* Sender);
  void anmTimerTimer(TComponent* Sender);
  void AnimProc() override;
  void menuItemAboutClick(TComponent* Sender);
  void menuItemONTopClick(TComponent* Sender);

  // The window the About command shows; none until the program has created it.
  void SetAboutForm(TForm* AForm) { FAboutForm = AForm; }
  TForm* AboutForm() const { return FAboutForm; }

  void BindField(std::string_view AName, TComponent* AComponent) override;
  TNotifyEvent MethodAddress(std::string_view AName) override;
  // Refuses a stream that left a member unbound: every later step relies on all of them.
  void Loaded() override;

  // IFrameHost
  void CopyFramePicture(int APictureIndex) override;
  void LoadRegionAt(int AHolderIndex, std::int32_t X, std::int32_t Y) override;

  // ITickHost
  CharacterState& State() override { return Character; }
  bool FormRgnVisible() const override;
  void SetFormRgnVisible(bool AVisible) override;
  std::optional<TPoint> CursorPos() override;
  bool HasFocus() override;
  std::optional<TRect> ForegroundRect() override;
  std::int32_t WindowLeft() const override { return Left(); }
  std::int32_t WindowTop() const override { return Top(); }
  void SetWindowLeft(std::int32_t ALeft) override { SetLeft(ALeft); }
  void SetWindowTop(std::int32_t ATop) override { SetTop(ATop); }
  void CopyFrontToBack() override;
  void CopyFrontToFormRgn() override;
  void UpdateWindow() override { Update(); }
  void ApplyRegion() override;

private:
  TForm* FAboutForm = nullptr;
};

// Registers the root class "TfrmMAIN" with the properties its stream sets.
void RegisterfrmMAIN(TClassRegistry& ARegistry);

// Creates the main window from the "TFRMMAIN" resource and runs its FormCreate. A stream error
// raises and no window is left behind; a failing FormCreate is reported and the window stays.
std::unique_ptr<TfrmMAIN> CreatefrmMAIN(const TClassRegistry& ARegistry);

} // namespace nyarumi
