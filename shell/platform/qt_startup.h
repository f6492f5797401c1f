#pragma once
// What the program does around creating its QApplication, so that the Linux backend finds the
// services it relies on.

namespace nyarumi::qt {

// Call before the QApplication exists. Chooses X11 when no platform was asked for, so that a
// Wayland session runs the program through XWayland: native Wayland lets no client place its own
// window or read the global cursor position. An explicit QT_QPA_PLATFORM is left alone.
void SelectQtPlatform();

// Call once the QApplication exists. Maps the fonts the stored forms name onto an installed
// Japanese Gothic, proportional for the proportional face and fixed-pitch for the fixed one.
void InstallFontSubstitutes();

} // namespace nyarumi::qt
