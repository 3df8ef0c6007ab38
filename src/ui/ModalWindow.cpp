#include "ModalWindow.h"

#include <QEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QWidget>

namespace {

// Ends the loop when the window is hidden by a close (a minimised window
// is hidden by the window system, and stays open). Escape closes the window
// as its close box does.
class ClosedWatcher : public QObject
{
public:
    ClosedWatcher(QWidget* window, QEventLoop& loop) : m_loop(loop)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Hide && !event->spontaneous())
            m_loop.quit();
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
                static_cast<QWidget*>(watched)->close();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QEventLoop& m_loop;
};

} // namespace

void ShowModally(QWidget* window)
{
    QEventLoop loop;
    ClosedWatcher watcher(window, loop);
    QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
    window->raise();
    window->activateWindow();
    loop.exec(QEventLoop::DialogExec);
}
