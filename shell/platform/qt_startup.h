#pragma once
// What the program does around creating its QApplication, so that the Linux backend finds the
// services it relies on.
#include <ostream>

namespace nyarumi::qt {

// Call before the QApplication exists. Chooses X11 when no platform was asked for, so that a
// Wayland session runs the program through XWayland: native Wayland lets no client place its own
// window or read the global cursor position. An explicit QT_QPA_PLATFORM is left alone.
void SelectQtPlatform();

// Call after SelectQtPlatform, before the QApplication exists. When the program is to run on
// X11, opens and closes the display once; if that fails, writes one line naming the display to
// AErrors and returns false. Qt itself would abort on a missing display.
bool X11DisplayUsable(std::ostream& AErrors);

// Writes one line to AErrors when the session is a Wayland one: through XWayland she only
// starts, and the user should know why she then does nothing.
void NoteWaylandSession(std::ostream& AErrors);

// Call once the QApplication exists. Maps the fonts the stored forms name onto an installed
// Japanese Gothic, proportional for the proportional face and fixed-pitch for the fixed one.
void InstallFontSubstitutes();

} // namespace nyarumi::qt
