#include "TransferMeter.h"

#include "Inet.h"

namespace {

// The speed shown is that of the last seconds, not of the whole transfer.
constexpr qint64 kSpeedWindowMs = 3000;

// The last part of a path or address: "news/" of a folder, "a.html" of a file.
QString LastPart(const QString& name)
{
    QString path = name;
    const bool folder = path.endsWith(QLatin1Char('/'));
    if (folder)
        path.chop(1);
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString last = path.mid(slash + 1);
    if (last.isEmpty())
        return name;
    return folder ? last + QLatin1Char('/') : last;
}

} // namespace

void TransferMeter::Start(int kind, const QString& name, qint64 nowMs)
{
    m_kind = kind;
    m_name = name;
    m_done = 0;
    m_total = -1;
    m_finished = false;
    m_samples.clear();
    m_samples.push_back({nowMs, 0});
}

void TransferMeter::Update(qint64 done, qint64 total, qint64 nowMs)
{
    m_done = qMax<qint64>(0, done);
    m_total = total;
    m_samples.push_back({nowMs, m_done});
    // One sample older than the window stays, as the window's start.
    while (m_samples.size() > 2 && m_samples[1].ms <= nowMs - kSpeedWindowMs)
        m_samples.pop_front();
}

void TransferMeter::Finish()
{
    m_finished = true;
}

QString TransferMeter::Caption() const
{
    switch (m_kind) {
    case itUpload: return QStringLiteral("Sending ") + LastPart(m_name);
    case itListing: return QStringLiteral("Listing ") + LastPart(m_name);
    default: return QStringLiteral("Downloading ") + LastPart(m_name);
    }
}

QString TransferMeter::Amount(qint64 nowMs) const
{
    QString amount = Bytes(m_done);
    if (totalKnown())
        amount += QStringLiteral(" of ") + Bytes(m_total);
    return amount + QStringLiteral(" - ") + Bytes(BytesPerSecond(nowMs)) + QStringLiteral("/s");
}

int TransferMeter::Percent() const
{
    // A file of 0 bytes has all of itself from the start; it is done only
    // once the transfer says so.
    if (m_finished && m_total == 0 && m_done == 0)
        return 100;
    if (!totalKnown())
        return -1;
    return int(m_done * 100 / m_total);
}

qint64 TransferMeter::BytesPerSecond(qint64 nowMs) const
{
    if (m_samples.empty())
        return 0;
    // From the window's start to now: a transfer that stopped moving slows
    // down on screen even while no more reports come.
    const Sample& first = m_samples.front();
    const qint64 elapsed = nowMs - first.ms;
    if (elapsed <= 0)
        return 0;
    return (m_samples.back().done - first.done) * 1000 / elapsed;
}

QString TransferMeter::Bytes(qint64 bytes)
{
    if (bytes < 1024)
        return QString::number(bytes) +
               (bytes == 1 ? QStringLiteral(" byte") : QStringLiteral(" bytes"));
    static const char* const units[] = {"KB", "MB", "GB", "TB"};
    double value = double(bytes) / 1024;
    int unit = 0;
    while (value >= 1024 && unit < 3) {
        value /= 1024;
        ++unit;
    }
    return QString::number(value, 'f', 1) + QLatin1Char(' ') + QLatin1String(units[unit]);
}
