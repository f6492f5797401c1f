#include "shell/platform/x11_surface.h"

#include "shell/platform/x11_textlib.h"

#include <algorithm>

namespace nyarumi::x11 {

TX11Surface::~TX11Surface() {
  Release();
  if (FGc != nullptr) {
    XFreeGC(FDisplay.Dpy(), FGc);
  }
}

void TX11Surface::Release() {
  if (FTextPicture != XNone) {
    FDisplay.Text().FreePicture(FDisplay.Dpy(), FTextPicture);
    FTextPicture = XNone;
  }
  if (FPixmap != XNone) {
    XFreePixmap(FDisplay.Dpy(), FPixmap);
    FPixmap = XNone;
  }
}

void TX11Surface::Resize(int AWidth, int AHeight) {
  AWidth = std::max(AWidth, 1);
  AHeight = std::max(AHeight, 1);
  if (FPixmap != XNone && AWidth == FWidth && AHeight == FHeight) {
    return;
  }
  Release();
  FWidth = AWidth;
  FHeight = AHeight;
  FPixmap = XCreatePixmap(FDisplay.Dpy(), FDisplay.Root(), static_cast<unsigned>(AWidth),
                          static_cast<unsigned>(AHeight), static_cast<unsigned>(FDisplay.Depth()));
}

GC TX11Surface::Gc() {
  if (FGc == nullptr) {
    XGCValues Values{};
    Values.graphics_exposures = False; // copies from pixmaps never need exposure events
    FGc = XCreateGC(FDisplay.Dpy(), FDisplay.Root(), GCGraphicsExposures, &Values);
  }
  return FGc;
}

void TX11Surface::SetForeground(unsigned long APixel) {
  if (APixel != FForeground) {
    XSetForeground(FDisplay.Dpy(), Gc(), APixel);
    FForeground = APixel;
  }
}

Picture TX11Surface::TextPicture() {
  if (FTextPicture == XNone && FPixmap != XNone) {
    const TTextLibrary& T = FDisplay.Text();
    FTextPicture =
        T.CreatePicture(FDisplay.Dpy(), FPixmap,
                        T.FindVisualFormat(FDisplay.Dpy(), FDisplay.VisualOf()), 0, nullptr);
  }
  return FTextPicture;
}

} // namespace nyarumi::x11
