#pragma once
// X key symbols and modifier masks turned into the window layer's shortcut values and shift
// states.
#include "shell/platform/Platform.h"

#include <X11/X.h>

#include <optional>

namespace nyarumi::x11 {

// A key with the modifier mask of its event as a shortcut; nullopt for keys that have none
// (modifier keys themselves, dead keys, most symbols).
std::optional<TShortCut> ShortCutOf(KeySym AKey, unsigned int AState);

// The modifiers and held buttons of a mouse event. The state of an X button event is the one
// before it, so APressed / AReleased name the button that changes with this event.
TShiftState ShiftStateOf(unsigned int AState, std::optional<TMouseButton> APressed = std::nullopt,
                         std::optional<TMouseButton> AReleased = std::nullopt);

std::optional<TMouseButton> MouseButtonOf(unsigned int AButton);

} // namespace nyarumi::x11
