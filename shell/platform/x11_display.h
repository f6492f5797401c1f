#pragma once
// The X connection every piece of the X11 backend shares: the display, its default screen and
// visual, the atoms the backend speaks, the integer scale from logical to device pixels, and
// colour conversion for the TrueColor visual.
#include "shell/platform/Platform.h"

#include <X11/Xlib.h>

// Xlib's constants are macros, and two of them take names the program uses for its own: the
// handles' None and the desktop's Above. The backend spells Xlib's None as XNone.
#undef None
#undef Above
inline constexpr unsigned long XNone = 0L;

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

namespace nyarumi::x11 {

struct TAtoms {
  Atom WmProtocols = XNone;
  Atom WmDeleteWindow = XNone;
  Atom WmState = XNone;
  Atom NetWmName = XNone;
  Atom NetWmPid = XNone;
  Atom NetWmState = XNone;
  Atom NetWmStateAbove = XNone;
  Atom NetWmStateSkipTaskbar = XNone;
  Atom NetWmStateSkipPager = XNone;
  Atom NetWmWindowType = XNone;
  Atom NetWmWindowTypeUtility = XNone;
  Atom NetWmWindowTypeDialog = XNone;
  Atom NetFrameExtents = XNone;
  Atom NetRequestFrameExtents = XNone;
  Atom MotifWmHints = XNone;
  Atom Utf8String = XNone;
  Atom Clipboard = XNone;
  Atom Targets = XNone;
  Atom Text = XNone;
  Atom NetActiveWindow = XNone;
  Atom NetSupportingWmCheck = XNone;
  Atom WmLocaleName = XNone;
};

// The integer scale from Xft.dpi (96 per step, rounded) unless AOverride holds a number from
// 1 to 8. Anything unreadable counts as 1.
int ScaleFromDpi(std::optional<std::string_view> AResources,
                 std::optional<std::string_view> AOverride);

// The value of the resource AName ("Xft.hinting") in a resource database string, as the
// desktop's settings daemon or xrdb left it, blanks around it removed.
std::optional<std::string> ResourceValue(std::string_view AResources, std::string_view AName);

// The text as Latin-1 (the protocol's STRING) when every character is a printable Latin-1 one,
// else nothing: control characters and anything beyond U+00FF have no place in a STRING.
std::optional<std::string> PrintableLatin1(std::string_view AUtf8);

class TTextLibrary;

class TX11Display {
public:
  // Opens the display named by DISPLAY; throws when there is none, with the line every Linux
  // entry prints for that.
  TX11Display();
  ~TX11Display();
  TX11Display(const TX11Display&) = delete;
  TX11Display& operator=(const TX11Display&) = delete;

  Display* Dpy() const { return FDisplay; }
  int ScreenNumber() const { return FScreen; }
  Window Root() const { return FRoot; }
  Visual* VisualOf() const { return FVisual; }
  Colormap ColormapOf() const { return FColormap; }
  int Depth() const { return FDepth; }
  const TAtoms& Atoms() const { return FAtoms; }
  int Scale() const { return FScale; }

  // fontconfig, FreeType and the render library, loaded on the first call; throws when they
  // cannot be.
  const TTextLibrary& Text() const;
  // A resource of the desktop's database, read when asked.
  std::optional<std::string> Resource(std::string_view AName) const;

  // Sets AWindow's bounding outline to y-x banded rectangles; none removes the outline. Does
  // nothing on a server without the Shape extension.
  void SetOutline(Window AWindow, std::span<const XRectangle> ARects) const;
  void RemoveOutline(Window AWindow) const;

  unsigned long Pixel(TRgb AColor) const;
  // A 0x00RRGGBB value as the pixel the visual stores.
  unsigned long PixelOf(std::uint32_t ARgb) const;

private:
  Display* FDisplay = nullptr;
  int FScreen = 0;
  Window FRoot = XNone;
  Visual* FVisual = nullptr;
  Colormap FColormap = XNone;
  int FDepth = 24;
  // Queues a Shape request on AWindow's bounding outline; AFinish fills in the rest.
  template <class TRequest, class F>
  void QueueShapeRequest(Window AWindow, int AMinor, std::size_t ASize, const F& AFinish) const;

  // The Shape extension's request code, asked for beside the atoms; 0 without it.
  int FShapeOpcode = 0;
  TAtoms FAtoms;
  int FScale = 1;
  int FRedShift = 16, FGreenShift = 8, FBlueShift = 0;
  mutable std::unique_ptr<TTextLibrary> FText;
};

} // namespace nyarumi::x11
