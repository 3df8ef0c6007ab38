#pragma once

class QWidget;

// Shows a window modally and returns once it has closed: the rest of the
// program waits here, as for a dialog, while the window's own close handler
// decides whether a close goes ahead. Escape closes it as the close box does.
void ShowModally(QWidget* window);
