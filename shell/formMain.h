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
  ~TfrmMAIN() override;

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
  void UpdateWindow() override;
  void ApplyRegion() override;

protected:
  bool ControlsLag() const override { return FDeferred.Active; }
  void BringUpToDate() override;

private:
  // Her tick on the short path: once a move has shown its frame and outline through the
  // backend's shortcuts, the ticks that follow only note what they do to her three images and
  // the region image, show the frame's picture and outline prepared by an earlier tick, and move
  // the window. BringUpToDate() does the noted work whenever anything else looks at them.
  struct TDeferred {
    bool Active = false; // the components lag behind the notes below
    bool RgnVisible = false;
    // The frame whose FRAME_RECT each image holds by now; -1: as the image itself says.
    int Front = -1;
    int Back = -1;
    int RgnPicture = -1;
    // The region image's region: the holder's record placed at (X, Y); -1: its own.
    int Holder = -1;
    std::int32_t X = 0;
    std::int32_t Y = 0;
  };
  // A holder's record as placed at (X, Y), ready to be copied to the window.
  struct TOutline {
    RegionId Region = RegionId::None;
    std::int32_t X = 0;
    std::int32_t Y = 0;
  };
  void Defer();
  void CopyFrame(TImage& ATarget, int AFrame);
  void LoadRegionNow(int AHolder, std::int32_t X, std::int32_t Y);
  void PrepareOutline(int AHolder, std::int32_t X, std::int32_t Y);
  const TOutline* Outline(int AHolder, std::int32_t X, std::int32_t Y) const;
  bool ShowFast();
  bool ApplyFast();

  TForm* FAboutForm = nullptr;
  TDeferred FDeferred;
  bool FArmed = false;     // the last move went the short way
  bool FShownFast = false; // this move's picture went the short way
  int FFrontFrame = -1;    // the frame whose FRAME_RECT the front buffer holds, when known
  int FRgnFrame = -1;      // the same for the region image
  int FRgnHolder = -1;     // the holder whose record the region image holds, at FRgnX, FRgnY
  std::int32_t FRgnX = 0;
  std::int32_t FRgnY = 0;
  // What showing the region image on top with a frame leaves on screen, by frame.
  std::array<std::optional<TShownPicture>, FRAME_COUNT> FShownFrames{};
  std::array<TOutline, FRAME_COUNT> FOutlines{}; // by holder
};

// Registers the root class "TfrmMAIN" with the properties its stream sets.
void RegisterfrmMAIN(TClassRegistry& ARegistry);

// Creates the main window from the "TFRMMAIN" resource and runs its FormCreate. A stream error
// raises and no window is left behind; a failing FormCreate is reported and the window stays.
std::unique_ptr<TfrmMAIN> CreatefrmMAIN(const TClassRegistry& ARegistry);

} // namespace nyarumi
