#include "tools/Artwork.h"

#include "common/Errors.h"
#include "tools/Frames.h"
#include "tools/Palette.h"

namespace nyarumi::art {

const TFrameArt& TArtwork::Find(const std::string& AName) const {
  for (const TFrameArt& f : Frames) {
    if (f.Name == AName) {
      return f;
    }
  }
  throw Exception("no frame named " + AName);
}

TRegion SilhouetteRegion(const TBitmap8& APicture, std::uint8_t ABackground) {
  std::vector<TRect> runs;
  for (std::int32_t y = 0; y < APicture.Height; ++y) {
    std::int32_t x = 0;
    while (x < APicture.Width) {
      if (APicture.At(x, y) == ABackground) {
        ++x;
        continue;
      }
      const std::int32_t start = x;
      while (x < APicture.Width && APicture.At(x, y) != ABackground) {
        ++x;
      }
      runs.push_back({start + RECORD_DX, y + RECORD_DY, x + RECORD_DX, y + 1 + RECORD_DY});
    }
  }
  return TRegion::FromRects(std::move(runs));
}

TBitmap8 MirrorPicture(const TBitmap8& APicture) {
  TBitmap8 out = APicture;
  for (std::int32_t y = 0; y < APicture.Height; ++y) {
    for (std::int32_t x = 0; x < APicture.Width; ++x) {
      out.Pixels[static_cast<std::size_t>(y * APicture.Width + x)] =
          APicture.At(APicture.Width - 1 - x, y);
    }
  }
  return out;
}

namespace {

void CheckBounds(const TFrameArt& AFrame, const TRect& AExpected) {
  if (AFrame.Region.Bounds() != AExpected) {
    const TRect b = AFrame.Region.Bounds();
    throw Exception(FormatText("%s: region bounds (%s, %s)-(%s, %s) are not the frame's box",
                               {AFrame.Name, std::to_string(b.Left), std::to_string(b.Top),
                                std::to_string(b.Right), std::to_string(b.Bottom)}));
  }
}

} // namespace

TArtwork BuildArtwork() {
  std::vector<TRendered> rendered;
  std::vector<TColor> colors;
  for (std::size_t i = 0; i < RIGHT_FRAME_COUNT; ++i) {
    rendered.push_back(RenderFrame(i));
    const TRendered& r = rendered.back();
    for (std::size_t p = 0; p < r.Pixels.size(); ++p) {
      if (r.Silhouette[p] != 0) {
        colors.push_back(r.Pixels[p].Color);
      }
    }
  }
  TArtwork art;
  art.Palette = BuildPalette(colors);
  for (std::size_t i = 0; i < RIGHT_FRAME_COUNT; ++i) {
    const TFrameEntry& entry = RightFrames()[i];
    const TRendered& r = rendered[i];
    TFrameArt right;
    right.Name = std::string(entry.Name);
    right.Picture.Width = FRAME_WIDTH;
    right.Picture.Height = FRAME_HEIGHT;
    right.Picture.Palette = art.Palette;
    right.Picture.Pixels.resize(r.Pixels.size());
    for (std::size_t p = 0; p < r.Pixels.size(); ++p) {
      right.Picture.Pixels[p] =
          r.Silhouette[p] != 0 ? NearestIndex(art.Palette, r.Pixels[p].Color) : BACKGROUND_INDEX;
    }
    right.Region = SilhouetteRegion(right.Picture, BACKGROUND_INDEX);
    CheckBounds(right, entry.RecordBounds);
    right.Record = right.Region.ToRecord();

    TFrameArt left;
    left.Name = MirrorName(entry.Name);
    left.Picture = MirrorPicture(right.Picture);
    const auto mirrored = right.Region.MirrorX(RECORD_MIRROR_WIDTH);
    if (!mirrored) {
      throw Exception("cannot mirror the region of " + right.Name);
    }
    left.Region = *mirrored;
    // The picture's own outline must agree with the mirrored record.
    if (SilhouetteRegion(left.Picture, BACKGROUND_INDEX) != left.Region) {
      throw Exception("the mirrored picture and record of " + left.Name + " disagree");
    }
    const TRect& b = entry.RecordBounds;
    CheckBounds(left,
                {RECORD_MIRROR_WIDTH - b.Right, b.Top, RECORD_MIRROR_WIDTH - b.Left, b.Bottom});
    left.Record = left.Region.ToRecord();
    art.Frames.push_back(std::move(right));
    art.Frames.push_back(std::move(left));
  }
  return art;
}

} // namespace nyarumi::art
