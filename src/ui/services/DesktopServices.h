#pragma once
// The desktop implementations of the shared services: real message and
// input boxes, file dialogs, the wait cursor and the desktop's programs.

#include <QString>

namespace DesktopServices {

// Installs them for the rest of the run.
void Install();

// Opens a file or folder with the desktop's program for it. QDesktopServices
// only knows that xdg-open started; whether it found a program shows in its
// exit status, so this waits up to patienceMs for it (events keep running).
// An xdg-open still running then is showing the file with a program it
// waits for, which counts as opened.
bool OpenWithDesktop(const QString& path, int patienceMs = 4000);

} // namespace DesktopServices
