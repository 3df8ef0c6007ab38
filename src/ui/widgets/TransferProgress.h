#pragma once
// A window's transfers that run longer than a second: what moves, a bar of
// how much of it has (a moving bar where the server gave no whole size),
// the amount and the speed, and Cancel, which ends the transfer; the
// operation then goes its way for a failed transfer. Hidden otherwise. One
// per window, in the place the window gives it; input reaches it while a
// download holds the windows (InputGate).

#include "transport/TransferMeter.h"

#include <QElapsedTimer>
#include <QFrame>
#include <QPointer>
#include <QTimer>
#include <functional>

class Inet;
class QLabel;
class QProgressBar;
class QPushButton;

class TransferProgress : public QFrame
{
    Q_OBJECT
public:
    static constexpr int kShowAfterMs = 1000;

    explicit TransferProgress(QWidget* parent = nullptr);

    // Follows this component's transfers as well: the transfer that began
    // last is the one shown and cancelled.
    void Watch(Inet& inet);
    // No longer follows it (a transfer of it under way is no longer shown).
    void Unwatch(Inet& inet);
    // How a transfer's name is shown: a window whose operations move files
    // of their own gives them the member's words.
    void ShowNamesAs(std::function<QString(const QString& name)> shown);

    QLabel* lblTransfer;
    QProgressBar* prgTransfer;
    QLabel* lblTransferAmount;
    QPushButton* cmdCancelTransfer;

signals:
    // The member pressed Cancel: an operation of several files stops
    // after the current one.
    void CancelRequested();
    // Shown or hidden, for a window that lays it over other controls.
    void shownChanged(bool shown);

private:
    void started(Inet* inet, int kind, const QString& name);
    void progressed(Inet* inet, qint64 done, qint64 total);
    void finished(Inet* inet);
    void refresh();
    void setShown(bool shown);

    std::function<QString(const QString&)> m_shownName;
    QPointer<Inet> m_inet; // the component of the transfer under way
    TransferMeter m_meter;
    QElapsedTimer m_clock;
    QTimer m_showLater;
    QTimer m_hideLater;
    QTimer m_tick;
};
