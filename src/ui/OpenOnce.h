#pragma once
// The shared files window keeps at most one of each window it opens without
// a modal loop: asking again brings the open one to the front.

#include <QPointer>
#include <QWidget>

template <typename Window, typename Create> Window* OpenOnce(QPointer<QWidget>& slot, Create create)
{
    auto* window = qobject_cast<Window*>(slot.data());
    // A window that has closed stays hidden until its deletion comes round.
    if (!window || window->isHidden()) {
        window = create();
        slot = window;
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}
