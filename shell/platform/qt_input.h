#pragma once
// Translating Qt's keyboard and mouse vocabulary into the window layer's.
#include "shell/platform/Platform.h"

#include <Qt>

#include <optional>

namespace nyarumi::qt {

// The shortcut value of a key press: the virtual key code plus the modifier bits. Nothing for a
// bare modifier key or a key the window layer has no code for.
std::optional<TShortCut> ShortCutOf(int AQtKey, Qt::KeyboardModifiers AModifiers);

TShiftState ShiftStateOf(Qt::KeyboardModifiers AModifiers, Qt::MouseButtons AButtons);

std::optional<TMouseButton> MouseButtonOf(Qt::MouseButton AButton);

} // namespace nyarumi::qt
