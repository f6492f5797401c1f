#pragma once
// Pictures uploaded once as server-side pixmaps, scaled to device pixels by nearest neighbour,
// and found again by their content: the window layer draws her frames into a back buffer whose
// pixels change every tick, but they are always one of her 44 frames, so a shown frame costs one
// copy request instead of an image upload.
#include "shell/platform/CopyRects.h"
#include "shell/platform/Platform.h"
#include "shell/platform/x11_display.h"

#include <X11/Xlib.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace nyarumi::x11 {

// The size of a picture, whichever form its pixels take.
std::int32_t WidthOf(const TPictureRef& APicture);
std::int32_t HeightOf(const TPictureRef& APicture);

// A fingerprint of a part of a picture (all of it by default): its size, pixels and palette.
// Equal parts of any pictures get the same one, a changed part another.
std::uint64_t PictureHash(const TPictureRef& APicture, std::optional<TRect> APart = std::nullopt);

// The picture's pixels as 0x00RRGGBB; indices past the palette read as black. Empty when the
// picture's data is inconsistent.
std::vector<std::uint32_t> PictureRgb(const TPictureRef& APicture,
                                      std::optional<TRect> APart = std::nullopt);

class TX11Pictures {
public:
  explicit TX11Pictures(const TX11Display& ADisplay) : FDisplay(ADisplay) {}
  ~TX11Pictures();
  TX11Pictures(const TX11Pictures&) = delete;
  TX11Pictures& operator=(const TX11Pictures&) = delete;

  // A part of the picture (within it) as a pixmap of its own, scaled by the display's scale;
  // XNone for an inconsistent picture. Only the part is read: her frames come from one strip.
  Pixmap Get(const TPictureRef& APicture, const TRect& APart);
  std::size_t Uploads() const { return FUploads; }
  // Grows whenever a pixmap is freed to make room: a pixmap kept from before is then stale.
  std::size_t Evictions() const { return FEvictions; }

  // Writes AWidth x AHeight pixels of 0x00RRGGBB to a drawable.
  void Put(Drawable ATarget, GC AGc, const std::vector<std::uint32_t>& ARgb, int AWidth,
           int AHeight, int AX, int AY);

private:
  struct Entry {
    Pixmap Image = XNone;
    std::uint64_t LastUse = 0;
  };
  // A fingerprint taken once for pictures that cannot change, kept with the picture's owner.
  struct TOwned {
    std::shared_ptr<const void> Keep;
    TRect Part;
    std::uint64_t Hash = 0;
  };
  std::uint64_t HashOf(const TPictureRef& APicture, const TRect& APart);
  // A consistent part, within the picture, into FScratch as the visual's pixels, scaled.
  void DevicePixels(const TPictureRef& APicture, const TRect& APart, int AScale);
  // Writes FScratch, AWidth x AHeight of the visual's pixels, to a drawable.
  void PutScratch(Drawable ATarget, GC AGc, int AWidth, int AHeight, int AX, int AY);
  void EvictOldest();

  const TX11Display& FDisplay;
  std::unordered_map<std::uint64_t, Entry> FEntries; // by PictureHash
  std::unordered_map<const void*, TOwned> FOwned;
  std::vector<std::uint32_t> FScratch; // pixels in the visual's format, reused between uploads
  GC FGc = nullptr;
  std::uint64_t FClock = 0;
  std::size_t FUploads = 0;
  std::size_t FEvictions = 0;
};

} // namespace nyarumi::x11
