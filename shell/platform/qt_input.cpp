#include "shell/platform/qt_input.h"

#include <array>
#include <utility>

namespace nyarumi::qt {
namespace {

std::optional<std::uint16_t> VirtualKeyOf(int AQtKey) {
  // Letters and digits share their codes with the virtual keys.
  if ((AQtKey >= Qt::Key_A && AQtKey <= Qt::Key_Z) ||
      (AQtKey >= Qt::Key_0 && AQtKey <= Qt::Key_9)) {
    return static_cast<std::uint16_t>(AQtKey);
  }
  if (AQtKey >= Qt::Key_F1 && AQtKey <= Qt::Key_F24) {
    return static_cast<std::uint16_t>(0x70 + (AQtKey - Qt::Key_F1));
  }
  static constexpr std::array<std::pair<int, std::uint16_t>, 17> Keys{{
      {Qt::Key_Backspace, 0x08},
      {Qt::Key_Tab, 0x09},
      {Qt::Key_Backtab, 0x09},
      {Qt::Key_Return, 0x0D},
      {Qt::Key_Enter, 0x0D},
      {Qt::Key_Escape, 0x1B},
      {Qt::Key_Space, 0x20},
      {Qt::Key_PageUp, 0x21},
      {Qt::Key_PageDown, 0x22},
      {Qt::Key_End, 0x23},
      {Qt::Key_Home, 0x24},
      {Qt::Key_Left, 0x25},
      {Qt::Key_Up, 0x26},
      {Qt::Key_Right, 0x27},
      {Qt::Key_Down, 0x28},
      {Qt::Key_Insert, 0x2D},
      {Qt::Key_Delete, 0x2E},
  }};
  for (const auto& [QtKey, Vk] : Keys) {
    if (QtKey == AQtKey) {
      return Vk;
    }
  }
  return std::nullopt;
}

} // namespace

std::optional<TShortCut> ShortCutOf(int AQtKey, Qt::KeyboardModifiers AModifiers) {
  const auto Key = VirtualKeyOf(AQtKey);
  if (!Key) {
    return std::nullopt;
  }
  TShortCut Result = *Key;
  if (AModifiers & Qt::ShiftModifier) {
    Result |= scShift;
  }
  if (AModifiers & Qt::ControlModifier) {
    Result |= scCtrl;
  }
  if (AModifiers & Qt::AltModifier) {
    Result |= scAlt;
  }
  return Result;
}

TShiftState ShiftStateOf(Qt::KeyboardModifiers AModifiers, Qt::MouseButtons AButtons) {
  TShiftState S = 0;
  if (AModifiers & Qt::ShiftModifier) {
    S |= ssShift;
  }
  if (AModifiers & Qt::AltModifier) {
    S |= ssAlt;
  }
  if (AModifiers & Qt::ControlModifier) {
    S |= ssCtrl;
  }
  if (AButtons & Qt::LeftButton) {
    S |= ssLeft;
  }
  if (AButtons & Qt::RightButton) {
    S |= ssRight;
  }
  if (AButtons & Qt::MiddleButton) {
    S |= ssMiddle;
  }
  return S;
}

std::optional<TMouseButton> MouseButtonOf(Qt::MouseButton AButton) {
  switch (AButton) {
  case Qt::LeftButton:
    return TMouseButton::mbLeft;
  case Qt::RightButton:
    return TMouseButton::mbRight;
  case Qt::MiddleButton:
    return TMouseButton::mbMiddle;
  default:
    return std::nullopt;
  }
}

} // namespace nyarumi::qt
