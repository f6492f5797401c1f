#pragma once
// What a window paints into: a pixmap of its size on the server (so a paint never shows half
// drawn), the graphics context for fills and copies, and a render picture made only when text is
// first drawn.
#include "shell/platform/x11_display.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrender.h>

namespace nyarumi::x11 {

class TX11Surface {
public:
  explicit TX11Surface(const TX11Display& ADisplay) : FDisplay(ADisplay) {}
  ~TX11Surface();
  TX11Surface(const TX11Surface&) = delete;
  TX11Surface& operator=(const TX11Surface&) = delete;

  // Makes sure the pixmap has this size (device pixels); its contents are undefined after a
  // change.
  void Resize(int AWidth, int AHeight);
  Drawable Target() const { return FPixmap; }
  GC Gc();
  // The pixmap as a render picture, for text; XNone before the first Resize.
  Picture TextPicture();
  void SetForeground(unsigned long APixel);

private:
  void Release();

  const TX11Display& FDisplay;
  Pixmap FPixmap = XNone;
  GC FGc = nullptr;
  Picture FTextPicture = XNone;
  unsigned long FForeground = ~0UL;
  int FWidth = 0;
  int FHeight = 0;
};

} // namespace nyarumi::x11
