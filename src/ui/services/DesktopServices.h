#pragma once
// The desktop implementations of the shared services: real message and
// input boxes, file dialogs, the wait cursor and the desktop's programs.

namespace DesktopServices {

// Installs them for the rest of the run.
void Install();

} // namespace DesktopServices
