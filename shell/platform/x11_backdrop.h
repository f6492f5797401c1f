#pragma once
// A canvas that keeps a paint's drawing for later and finds out whether it comes down to one
// picture covering the whole window, as her window's paint does every tick. Such a window needs
// no drawing of its own: the picture's pixmap becomes the window's background, which the server
// also uses for every exposure, so a new outline costs no repaint and an unchanged frame no
// request at all. Any other paint is replayed onto the window's surface.
#include "shell/platform/Platform.h"
#include "shell/platform/x11_pictures.h"

#include <X11/Xlib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace nyarumi::x11 {

class TX11Backdrop final : public Canvas {
public:
  explicit TX11Backdrop(TX11Pictures& APictures) : FPictures(APictures) {}

  // Starts a paint of a window of this client size (logical pixels). The kept drawing's
  // storage is reused, so her steady ticks allocate nothing.
  void Begin(int AWidth, int AHeight);

  void FillRect(const TRect& ARect, TRgb AColor) override;
  void CopyPicture(const TRect& ADest, const TPictureRef& APicture, const TRect& ASource) override;
  void DrawString(const TRect& ARect, std::string_view AText, const TFontDesc& AFont,
                  const TTextOptions& AOptions) override;
  void DrawRectangle(const TRect& ARect, std::optional<TRgb> APen,
                     std::optional<TRgb> ABrush) override;

  // The pixmap of the one picture that shows, or XNone when the paint shows anything else.
  // Only this picture is looked up (and fingerprinted): the ones it hides cost nothing, and
  // pixels equal to the previous answer's are not fingerprinted again.
  Pixmap Picture();
  // Draws everything kept, in order. The pictures must not have changed since the paint.
  void Replay(Canvas& ATarget) const;

private:
  struct TFill {
    TRect Rect;
    TRgb Color;
  };
  struct TCopy {
    TRect Dest;
    TPictureRef Picture;
    TRect Source;
  };
  struct TText {
    TRect Rect;
    std::string Text;
    TFontDesc Font;
    TTextOptions Options;
  };
  struct TFrame {
    TRect Rect;
    std::optional<TRgb> Pen;
    std::optional<TRgb> Brush;
  };
  // Something else than a whole-window picture is drawn over ARect; AOpaque: nothing drawn
  // before shows through it.
  void Other(const TRect& ARect, bool AOpaque);

  TX11Pictures& FPictures;
  TRect FWindow;
  std::vector<std::variant<TFill, TCopy, TText, TFrame>> FOps;
  std::optional<TCopy> FPicture; // the latest copy that covers the window exactly
  bool FMixed = false;
  // The previous answer and its 32-bit pixels: every other tick she paints the frame she shows
  // already, and comparing is several times cheaper than fingerprinting.
  Pixmap FLastPixmap = XNone;
  std::size_t FLastEvictions = 0; // the picture cache's evictions when it was kept
  std::int32_t FLastWidth = 0;
  std::int32_t FLastHeight = 0;
  std::vector<std::uint32_t> FLastPixels;
};

} // namespace nyarumi::x11
