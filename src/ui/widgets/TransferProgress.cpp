#include "TransferProgress.h"

#include "transport/Inet.h"
#include "transport/InputGate.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {

// Often enough for the speed to follow a transfer that slows down.
constexpr int kRefreshMs = 500;
// A long transfer that follows another at once (the next file of an
// operation) takes its place without the strip going away in between.
constexpr int kHideAfterMs = 300;

} // namespace

TransferProgress::TransferProgress(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("picTransfer"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);

    lblTransfer = new QLabel(this);
    lblTransfer->setObjectName(QStringLiteral("lblTransfer"));
    lblTransfer->setMinimumWidth(160);
    prgTransfer = new QProgressBar(this);
    prgTransfer->setObjectName(QStringLiteral("prgTransfer"));
    prgTransfer->setMinimumWidth(140);
    prgTransfer->setMaximumHeight(18);
    lblTransferAmount = new QLabel(this);
    lblTransferAmount->setObjectName(QStringLiteral("lblTransferAmount"));
    lblTransferAmount->setMinimumWidth(200);
    cmdCancelTransfer = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancelTransfer->setObjectName(QStringLiteral("cmdCancelTransfer"));
    cmdCancelTransfer->setToolTip(QStringLiteral("Stops this transfer"));
    cmdCancelTransfer->setAutoDefault(false);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(6, 2, 4, 2);
    row->setSpacing(8);
    row->addWidget(lblTransfer);
    row->addWidget(prgTransfer, 1);
    row->addWidget(lblTransferAmount);
    row->addWidget(cmdCancelTransfer);

    InputGate::KeepOpen(this);
    m_showLater.setSingleShot(true);
    m_showLater.setInterval(kShowAfterMs);
    connect(&m_showLater, &QTimer::timeout, this, [this] {
        refresh();
        setShown(true);
        m_tick.start();
    });
    m_hideLater.setSingleShot(true);
    m_hideLater.setInterval(kHideAfterMs);
    connect(&m_hideLater, &QTimer::timeout, this, [this] {
        m_tick.stop();
        setShown(false);
    });
    m_tick.setInterval(kRefreshMs);
    connect(&m_tick, &QTimer::timeout, this, &TransferProgress::refresh);
    connect(cmdCancelTransfer, &QPushButton::clicked, this, [this] {
        if (m_inet)
            m_inet->Cancel();
        emit CancelRequested();
    });
    hide();
}

void TransferProgress::Watch(Inet& inet)
{
    Inet* watched = &inet;
    connect(watched, &Inet::TransferStarted, this,
            [this, watched](int kind, const QString& name) { started(watched, kind, name); });
    connect(watched, &Inet::TransferProgress, this,
            [this, watched](qint64 done, qint64 total) { progressed(watched, done, total); });
    connect(watched, &Inet::TransferFinished, this, [this, watched] { finished(watched); });
}

void TransferProgress::Unwatch(Inet& inet)
{
    disconnect(&inet, nullptr, this, nullptr);
    finished(&inet);
}

void TransferProgress::ShowNamesAs(std::function<QString(const QString& name)> shown)
{
    m_shownName = std::move(shown);
}

void TransferProgress::started(Inet* inet, int kind, const QString& name)
{
    m_inet = inet;
    m_clock.start();
    m_meter.Start(kind, m_shownName ? m_shownName(name) : name, 0);
    if (m_hideLater.isActive()) {
        m_hideLater.stop();
        refresh();
    } else if (isHidden()) {
        m_showLater.start();
    }
}

void TransferProgress::progressed(Inet* inet, qint64 done, qint64 total)
{
    if (inet != m_inet)
        return;
    m_meter.Update(done, total, m_clock.elapsed());
    if (!isHidden())
        refresh();
}

void TransferProgress::finished(Inet* inet)
{
    if (inet != m_inet)
        return;
    m_inet = nullptr;
    m_meter.Finish();
    m_showLater.stop();
    if (!isHidden()) {
        refresh();
        m_hideLater.start();
    }
}

void TransferProgress::refresh()
{
    const qint64 now = m_clock.elapsed();
    lblTransfer->setText(m_meter.Caption());
    lblTransferAmount->setText(m_meter.Amount(now));
    const int percent = m_meter.Percent();
    // Without a whole size the bar stays empty and the amount beside it
    // moves: a busy bar is drawn full by some styles, which reads as done.
    prgTransfer->setRange(0, 100);
    prgTransfer->setValue(qMax(0, percent));
}

void TransferProgress::setShown(bool shown)
{
    if (shown == !isHidden())
        return;
    setVisible(shown);
    if (shown)
        raise();
    emit shownChanged(shown);
}
