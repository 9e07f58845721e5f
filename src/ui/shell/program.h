// The windowed program from its command line to its exit code:
//
//   1. the command line ("/Kill", "/Start"), then the single instance: "/Kill" sends KILL to a
//      running instance and ends; a second start sends OPEN and ends; neither takes the lock,
//      loads the device service or shows anything;
//   2. the companion program, started detached (its result is ignored, a missing one too);
//   3. the device service (QUILLFEN_HIDSERV may name another, the virtual keyboard for
//      example); without one the program says why and ends with exit code 1;
//   4. the session, the window bridge and the main window on the skin; the device monitor;
//      INIT posted, so that the event loop creates the notification-area icon and hides the
//      window;
//   5. the event loop, until the ending (Exit, the close button, KILL, SIGTERM, SIGINT) has run
//      its steps in order and quit it with exit code 0.
//
// Everything the program logs goes to the "quillfen.shell" category, off by default
// (QT_LOGGING_RULES="quillfen.shell.debug=true" turns it on).
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcShell)

namespace qf::ui {

// main() of `quillfen`.
int RunProgram(int argc, char** argv);

}  // namespace qf::ui
