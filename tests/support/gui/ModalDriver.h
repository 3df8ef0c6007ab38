#pragma once
// Drives windows the program shows modally: the action runs as soon as a
// visible top-level window of the wanted class appears (the test's own call
// is blocked in that window's event loop meanwhile).

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

template <typename Window>
void WhenShown(std::function<void(Window*)> action, int timeoutMs = 10000)
{
    auto* timer = new QTimer;
    auto waited = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, waited, action, timeoutMs] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* window = qobject_cast<Window*>(widget);
            if (window && window->isVisible()) {
                timer->stop();
                timer->deleteLater();
                action(window);
                return;
            }
        }
        *waited += timer->interval();
        if (*waited > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            qWarning("WhenShown: no %s appeared", Window::staticMetaObject.className());
        }
    });
    timer->start(10);
}
