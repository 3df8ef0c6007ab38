#pragma once
// While a window waits for an HTTP download, the windows stay painted but
// take no clicks or keys: a click meanwhile could start a second operation
// under the first, or close the window it runs in. Only the controls that
// belong to the transfer itself (its Cancel) stay open to the member.
// What the member does elsewhere meanwhile is dropped, as on a busy window.

#include <QObject>

class QEvent;

class InputGate : public QObject
{
public:
    // Filters the application's input for the gate's lifetime.
    InputGate();
    ~InputGate() override;
    InputGate(const InputGate&) = delete;
    InputGate& operator=(const InputGate&) = delete;

    // Keeps a control, and everything inside it, open during transfers.
    static void KeepOpen(QObject* control);

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;
};
