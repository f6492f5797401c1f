#pragma once
// The program's start-up, written once for every backend: the application object and its
// title, the main window and then the hidden About window, and the message loop. A backend's
// entry file sets up its native side, installs its platform and calls RunProgram.
//
// There is no command line, no configuration and nothing is written: every start looks the same.

namespace nyarumi {

// Runs the program on the installed platform until it quits; the process exit status. A window
// that cannot be built from its stream is reported in an error box and the program does not
// start (status 1).
int RunProgram();

} // namespace nyarumi
