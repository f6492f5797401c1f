#include "shell/platform/x11_input.h"

#include <X11/keysym.h>

#include <array>
#include <utility>

namespace nyarumi::x11 {
namespace {

std::optional<std::uint16_t> VirtualKeyOf(KeySym AKey) {
  // Letters and digits share their codes with the virtual keys; either case is the same key.
  if (AKey >= XK_a && AKey <= XK_z) {
    return static_cast<std::uint16_t>('A' + (AKey - XK_a));
  }
  if ((AKey >= XK_A && AKey <= XK_Z) || (AKey >= XK_0 && AKey <= XK_9)) {
    return static_cast<std::uint16_t>(AKey);
  }
  if (AKey >= XK_F1 && AKey <= XK_F24) {
    return static_cast<std::uint16_t>(0x70 + (AKey - XK_F1));
  }
  static constexpr std::array<std::pair<KeySym, std::uint16_t>, 19> Keys{{
      {XK_BackSpace, 0x08}, {XK_Tab, 0x09},       {XK_ISO_Left_Tab, 0x09}, {XK_Return, 0x0D},
      {XK_KP_Enter, 0x0D},  {XK_Escape, 0x1B},    {XK_space, 0x20},        {XK_Page_Up, 0x21},
      {XK_Page_Down, 0x22}, {XK_End, 0x23},       {XK_Home, 0x24},         {XK_Left, 0x25},
      {XK_Up, 0x26},        {XK_Right, 0x27},     {XK_Down, 0x28},         {XK_Insert, 0x2D},
      {XK_Delete, 0x2E},    {XK_KP_Insert, 0x2D}, {XK_KP_Delete, 0x2E},
  }};
  for (const auto& [Sym, Vk] : Keys) {
    if (Sym == AKey) {
      return Vk;
    }
  }
  return std::nullopt;
}

TShiftState ButtonBit(TMouseButton AButton) {
  switch (AButton) {
  case TMouseButton::mbLeft:
    return ssLeft;
  case TMouseButton::mbRight:
    return ssRight;
  case TMouseButton::mbMiddle:
    return ssMiddle;
  }
  return 0;
}

} // namespace

std::optional<TShortCut> ShortCutOf(KeySym AKey, unsigned int AState) {
  const auto Key = VirtualKeyOf(AKey);
  if (!Key) {
    return std::nullopt;
  }
  TShortCut Result = *Key;
  // Shift+Tab arrives as its own symbol; it still is Tab with Shift held.
  if ((AState & ShiftMask) != 0 || AKey == XK_ISO_Left_Tab) {
    Result |= scShift;
  }
  if ((AState & ControlMask) != 0) {
    Result |= scCtrl;
  }
  if ((AState & Mod1Mask) != 0) {
    Result |= scAlt;
  }
  return Result;
}

TShiftState ShiftStateOf(unsigned int AState, std::optional<TMouseButton> APressed,
                         std::optional<TMouseButton> AReleased) {
  TShiftState S = 0;
  if ((AState & ShiftMask) != 0) {
    S |= ssShift;
  }
  if ((AState & Mod1Mask) != 0) {
    S |= ssAlt;
  }
  if ((AState & ControlMask) != 0) {
    S |= ssCtrl;
  }
  if ((AState & Button1Mask) != 0) {
    S |= ssLeft;
  }
  if ((AState & Button3Mask) != 0) {
    S |= ssRight;
  }
  if ((AState & Button2Mask) != 0) {
    S |= ssMiddle;
  }
  if (APressed) {
    S |= ButtonBit(*APressed);
  }
  if (AReleased) {
    S &= static_cast<TShiftState>(~ButtonBit(*AReleased));
  }
  return S;
}

std::optional<TMouseButton> MouseButtonOf(unsigned int AButton) {
  switch (AButton) {
  case Button1:
    return TMouseButton::mbLeft;
  case Button2:
    return TMouseButton::mbMiddle;
  case Button3:
    return TMouseButton::mbRight;
  default:
    return std::nullopt; // wheel steps and extra buttons
  }
}

} // namespace nyarumi::x11
