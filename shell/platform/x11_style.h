#pragma once
// The classic flat grey look of the controls this backend draws itself (push buttons, popup
// menus, the error box): the desktop's system colours by index and the bevelled edges.
#include "shell/platform/Platform.h"
#include "shell/platform/x11_display.h"
#include "shell/platform/x11_surface.h"

namespace nyarumi::x11 {

// A system colour by its index (button face 15, window text 8…); black for unknown ones.
TRgb ClassicColor(int AIndex);

namespace colors {
inline constexpr int Face = 15;
inline constexpr int Shadow = 16;
inline constexpr int GrayText = 17;
inline constexpr int ButtonText = 18;
inline constexpr int Highlight = 13;
inline constexpr int HighlightText = 14;
inline constexpr int Light = 20;
inline constexpr int DarkShadow = 21;
inline constexpr int WindowText = 8;
} // namespace colors

// Fills a device rectangle of the surface.
void FillDevice(const TX11Display& ADisplay, TX11Surface& ASurface, const TRect& ARect,
                TRgb AColor);

// A raised (or, pressed, sunken) two-pixel bevel on the inner edge of a device rectangle, drawn
// one device pixel per logical pixel of the display's scale.
void DrawBevel(const TX11Display& ADisplay, TX11Surface& ASurface, const TRect& ARect,
               bool ASunken);

// A one-pixel dotted focus rectangle.
void DrawFocusRect(const TX11Display& ADisplay, TX11Surface& ASurface, const TRect& ARect);

} // namespace nyarumi::x11
