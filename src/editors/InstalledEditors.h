#pragma once
// The editors a new installation lists: those that are installed here, so
// that the first "Edit With..." menu names no program that is missing.

#include <QByteArray>

namespace InstalledEditors {

// The text of a first editors file: the desktop's default text editor (its
// desktop entry, as xdg-mime names it for text/plain), then the usual
// graphical editors found on the PATH, each program once. Pairs of lines
// ended by CR LF: the name, then the program's full path, in double quotes
// when it holds a space. Empty when none is installed.
QByteArray FirstRunList();

} // namespace InstalledEditors
