#include "shell/window/FormRgn.h"

#include "common/Errors.h"
#include "shell/window/Form.h"

#include <limits>

namespace nyarumi {

TFormRgn::TFormRgn(TComponent* AOwner) : TImage(AOwner) {}

TFormRgn::~TFormRgn() {
  if (FRegion != RegionId::None) {
    CurrentPlatform().DeleteObject(FRegion);
  }
}

void TFormRgn::LoadRegion(TMemoryStream& AStream) {
  // Rewinds on every way out, so the same holder can be loaded again at once.
  struct TRewind {
    TMemoryStream& Stream;
    ~TRewind() { Stream.SetPosition(0); }
  } rewind{AStream};
  AStream.SetPosition(0);
  const RegionId previous = FRegion;
  const RegionId region = CurrentPlatform().ExtCreateRegion(AStream.Bytes());
  if (region == RegionId::None) {
    throw Exception(MSG_EXTCREATEREGION_FAILED);
  }
  FRegion = region;
  if (previous != RegionId::None) {
    CurrentPlatform().DeleteObject(previous);
  }
}

void TFormRgn::LoadRegionAt(TMemoryStream& AStream, std::int32_t AX, std::int32_t AY) {
  LoadRegion(AStream);
  Platform& platform = CurrentPlatform();
  TRect box;
  if (platform.GetRgnBox(FRegion, box) == TRegionKind::Error) {
    throw Exception(MSG_GETRGNBOX_FAILED);
  }
  // Worked out in 64 bits: a distance that does not fit 32 bits is a failed move, not an
  // overflow.
  const std::int64_t dx = std::int64_t{AX} - box.Left;
  const std::int64_t dy = std::int64_t{AY} - box.Top;
  constexpr std::int64_t lo = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t hi = std::numeric_limits<std::int32_t>::max();
  if (dx < lo || dx > hi || dy < lo || dy > hi ||
      platform.OffsetRgn(FRegion, static_cast<std::int32_t>(dx), static_cast<std::int32_t>(dy)) ==
          TRegionKind::Error) {
    throw Exception(MSG_OFFSETRGN_FAILED);
  }
}

void TFormRgn::ApplyRegion() {
  if (FRegion == RegionId::None) {
    return;
  }
  TForm* form = Parent();
  if (form == nullptr) {
    throw Exception(MSG_SETWINDOWRGN_FAILED); // no window to give it to
  }
  Platform& platform = CurrentPlatform();
  // Her every other tick gives the window a new outline: in one step where the backend can.
  if (form->HandleAllocated() && platform.CopyWindowRgn(form->Handle(), FRegion)) {
    return;
  }
  const RegionId copy = platform.CreateRectRgn(0, 0, 0, 0);
  if (copy == RegionId::None) {
    throw Exception(MSG_CREATERECTRGN_FAILED);
  }
  if (platform.CombineRgn(copy, copy, FRegion, TCombineMode::Or) == TRegionKind::Error) {
    platform.DeleteObject(copy);
    throw Exception(MSG_COMBINERGN_FAILED);
  }
  WindowId window = WindowId::None;
  try {
    window = form->Handle();
  } catch (...) {
    platform.DeleteObject(copy);
    throw;
  }
  if (platform.SetWindowRgn(window, copy, true) == 0) {
    platform.DeleteObject(copy);
    throw Exception(MSG_SETWINDOWRGN_FAILED);
  }
}

} // namespace nyarumi
