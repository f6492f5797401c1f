#pragma once
// The region component: an image that also holds one region, built from a region record and
// installed, as a fresh copy each time, as the outline of its form's window.
#include "assets/Stream.h"
#include "shell/window/Image.h"

#include <cstdint>

namespace nyarumi {

inline constexpr const char* MSG_EXTCREATEREGION_FAILED = "ExtCreateRegionに失敗しました";
inline constexpr const char* MSG_GETRGNBOX_FAILED = "GetRgnBoxに失敗しました";
inline constexpr const char* MSG_OFFSETRGN_FAILED = "リージョンの移動に失敗しました";
inline constexpr const char* MSG_CREATERECTRGN_FAILED = "CreateRectRgnに失敗しました";
inline constexpr const char* MSG_COMBINERGN_FAILED = "CombineRgnに失敗しました";
inline constexpr const char* MSG_SETWINDOWRGN_FAILED = "SetWindowRGNに失敗しました";

class TFormRgn : public TImage {
public:
  explicit TFormRgn(TComponent* AOwner);
  ~TFormRgn() override;

  // Stored only: the region alone decides the outline.
  TColor TransparentColor = 0;

  // Replaces the held region with the one the stream's record describes. On failure the
  // previous region stays held. Either way the stream is left at position 0.
  void LoadRegion(TMemoryStream& AStream);
  // LoadRegion, then moves the region so that its bounding box starts at (AX, AY).
  void LoadRegionAt(TMemoryStream& AStream, std::int32_t AX, std::int32_t AY);
  // Gives the parent form's window a copy of the held region; nothing when none is held.
  void ApplyRegion();

  RegionId Region() const { return FRegion; }

private:
  RegionId FRegion = RegionId::None;
};

} // namespace nyarumi
