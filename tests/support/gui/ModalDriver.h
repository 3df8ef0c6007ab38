#pragma once
// Drives the windows the program shows modally: each time a visible
// top-level window of the wanted class appears, the next scripted action
// runs on it and must close it (the test's own call is blocked in that
// window's event loop meanwhile).

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <QtTest>
#include <functional>

template <typename Window> class ModalScript : public QObject
{
public:
    using Action = std::function<void(Window*)>;
    // While the script lives, a window beyond it fails the test and is closed.
    explicit ModalScript(QList<Action> actions) : m_actions(std::move(actions))
    {
        QObject::connect(&m_poll, &QTimer::timeout, this, [this] { poll(); });
        m_poll.start(5);
    }
    // The windows the script has met.
    int shown = 0;

    // Lets the script end itself after its last action, or when no window
    // came within the time.
    void endBy(int timeoutMs)
    {
        m_selfEnding = true;
        QTimer::singleShot(timeoutMs, this, [this] {
            qWarning("no %s appeared", Window::staticMetaObject.className());
            deleteLater();
        });
    }

private:
    void poll()
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* window = qobject_cast<Window*>(widget);
            if (!window || !window->isVisible())
                continue;
            ++shown;
            if (m_actions.isEmpty()) {
                QTest::qFail("a window nobody expected", __FILE__, __LINE__);
                window->close();
                continue;
            }
            m_actions.takeFirst()(window);
            if (m_selfEnding && m_actions.isEmpty()) {
                m_poll.stop();
                deleteLater();
                return;
            }
        }
    }

    QList<Action> m_actions;
    QTimer m_poll;
    bool m_selfEnding = false;
};

// Runs the action on the next such window the program shows.
template <typename Window>
void WhenShown(std::function<void(Window*)> action, int timeoutMs = 10000)
{
    (new ModalScript<Window>({std::move(action)}))->endBy(timeoutMs);
}
