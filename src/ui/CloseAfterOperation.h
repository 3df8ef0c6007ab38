#pragma once
// Holds back the member's closing of a window while an operation runs in it.
// The waits for the server let the member close the window meanwhile;
// closing then would send "QUIT" under the operation and delete the
// transfer component it runs on. The window closes as usual once the
// outermost operation is over.

#include <QObject>

class QEvent;
class QWidget;

class CloseAfterOperation : public QObject
{
public:
    explicit CloseAfterOperation(QWidget& window);
    ~CloseAfterOperation() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& m_window;
    bool m_outermost;
    bool m_closeRequested = false;
};
