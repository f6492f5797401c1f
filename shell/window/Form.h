#pragma once
// A form: a native top-level window that paints and hit-tests its windowless controls.
#include "shell/window/Control.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace nyarumi {

class TMenuItem;

enum class TFormBorderStyle { bsNone, bsToolWindow };
enum TBorderIcon : std::uint8_t { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
using TBorderIcons = std::uint8_t;
enum class TFormStyle { fsNormal, fsStayOnTop };
enum class TPosition { poDesigned, poDesktopCenter };
enum class TCloseAction { caNone, caHide };
using TCloseEvent = std::function<void(TComponent* Sender, TCloseAction& Action)>;

class TForm : public TControl {
public:
  explicit TForm(TComponent* AOwner);
  ~TForm() override;

  const std::string& Caption() const { return FCaption; }
  void SetCaption(std::string ACaption);
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle AStyle);
  TBorderIcons BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons AIcons) { FBorderIcons = AIcons; }
  TFormStyle FormStyle() const { return FFormStyle; }
  // Takes effect at once on a window that exists, without losing its taskbar state.
  void SetFormStyle(TFormStyle AStyle);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition APosition) { FPosition = APosition; }
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* AMenu);

  std::int32_t ClientWidth() const { return FClientWidth; }
  std::int32_t ClientHeight() const { return FClientHeight; }
  void SetClientWidth(std::int32_t AValue);
  void SetClientHeight(std::int32_t AValue);
  // Left, Top, Width and Height are the outer frame's; the client size follows.
  void SetBounds(std::int32_t ALeft, std::int32_t ATop, std::int32_t AWidth,
                 std::int32_t AHeight) override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TCloseEvent OnClose;

  // Runs OnCreate through the application's dispatch: a failing handler is reported and the
  // form still exists. Called by whoever creates the form, once its stream has been read.
  void DoCreate();

  // The native window, created on first need; raises when the platform refuses it.
  WindowId Handle();
  bool HandleAllocated() const { return FHandle != WindowId::None; }
  // Paints every marked area before returning.
  void Update();
  // Marks an area for repainting. While an event handler runs, the marks wait for it to return
  // (or for Update): a handler that leaves on top the picture already showing needs no paint.
  void InvalidateArea(const TRect& AArea);
  void Invalidate() override;
  // Passes the marks made since the handler began on to the window, unless nothing on screen
  // would change. The application calls it whenever a handler returns.
  void ReleaseMarks();
  // The main form's close ends the program; another form asks OnClose (hide by default).
  void Close();

  // Windowless and native controls whose parent is this form, in creation order.
  const std::vector<TControl*>& Controls() const { return FControls; }
  // The topmost visible, enabled windowless control at a client point.
  TControl* ControlAt(TPoint APos) const;
  // Dispatches a shortcut to the form's popup menu; true when an item took it.
  bool IsShortCut(TShortCut AShortCut);

  bool IsWindowless() const override { return false; }
  void Paint(Canvas& ACanvas) override;

protected:
  void VisibleChanged() override;
  void FontChanged() override;
  // A form whose controls may lag behind what its window shows says so, and brings them up to
  // date when asked; the form asks before it looks at them.
  virtual bool ControlsLag() const { return false; }
  virtual void BringUpToDate() {}
  // Shows APicture, a part of an unchanging picture, as the whole client area without a paint,
  // as Update would have for a control that shows it on top of the others; false, changing
  // nothing, where the backend cannot.
  bool ShowInPlace(const TShownPicture& APicture);
  // What the last whole paint, or a picture shown in place of one, left on screen.
  const std::optional<TShownPicture>& Showing() const { return FShowing; }

private:
  class TEvents;
  friend class TControl;
  friend class TEvents;
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  void ControlVisibilityChanged(TControl* AControl);
  void SyncOuterSize();
  void ApplyGeometry();
  void Centre();
  void WindowMouseMove(TShiftState AShift, TPoint APos);
  void WindowMouseLeave();
  void WindowMouseDown(TMouseButton AButton, TShiftState AShift, TPoint APos);
  void WindowMouseUp(TMouseButton AButton, TShiftState AShift, TPoint APos);
  void WindowMoved(TPoint AOuterTopLeft);
  void UpdateCursor();
  TRect ClientRect() const { return {0, 0, FClientWidth, FClientHeight}; }
  void PaintWindow(Canvas& ACanvas, const TRect& ADirty);
  // BringUpToDate for the window's own events, where a failure is reported like a handler's.
  void CatchUp();
  // The picture alone on screen after a paint: the topmost painted control's, when it hides the
  // client area and shows a part of an unchanging picture.
  std::optional<TShownPicture> SolePicture() const;
  bool OnScreen(const std::optional<TShownPicture>& APicture) const;

  std::unique_ptr<TEvents> FEvents;
  WindowId FHandle = WindowId::None;
  std::string FCaption;
  TFormBorderStyle FBorderStyle = TFormBorderStyle::bsNone;
  TBorderIcons FBorderIcons = biSystemMenu | biMinimize | biMaximize;
  TFormStyle FFormStyle = TFormStyle::fsNormal;
  TPosition FPosition = TPosition::poDesigned;
  TPopupMenu* FPopupMenu = nullptr;
  std::int32_t FClientWidth = 0;
  std::int32_t FClientHeight = 0;
  TRect FExtents; // frame margins as the platform last reported them
  bool FShownOnce = false;
  bool FCentredUnframed = false; // centred at the first show before its frame was known
  std::vector<TControl*> FControls;
  // The visible ones, in paint order: her window holds dozens of hidden frame pictures, and
  // touching each of them on every paint costs more than painting the shown ones.
  std::vector<TControl*> FShown;
  std::uint64_t FPlaces = 0;
  std::vector<TControl*> FPaintOrder; // kept between paints: a tick's repaint allocates nothing
  bool FPainting = false;
  std::optional<TRect> FMarked; // marks held while a handler runs
  // What the last paint of the whole window, or a picture shown in place of one, left showing.
  std::optional<TShownPicture> FShowing;
  TControl* FMouseControl = nullptr; // under the mouse
  TControl* FCaptured = nullptr;     // pressed, receives the release
  bool FRightDownInside = false;
};

} // namespace nyarumi
