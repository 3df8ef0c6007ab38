#pragma once
// What a member reads of a transfer under way: what moves, how much of it
// has arrived (of how much, where the server said), and how fast lately.
// Times are milliseconds of any steady clock.

#include <QString>

#include <deque>

class TransferMeter
{
public:
    // A new transfer (kind: an InetTransfer) of the file, folder or address
    // the command named, begun at this moment.
    void Start(int kind, const QString& name, qint64 nowMs);
    // Bytes so far, and the whole size or -1.
    void Update(qint64 done, qint64 total, qint64 nowMs);
    // The transfer has ended: only now may an empty file read as done.
    void Finish();

    // "Downloading index.html", "Sending notes.txt", "Listing news/".
    QString Caption() const;
    // "1.2 MB of 3.4 MB - 250 KB/s", or without the whole size where it is
    // not known (or the server named less than it sent).
    QString Amount(qint64 nowMs) const;
    // How much of the whole has come, 0 to 100; -1 while the whole size is
    // not known (or is 0 bytes and the transfer has not ended).
    int Percent() const;
    // Bytes per second over the last few seconds, so that a transfer that
    // stalls is seen to.
    qint64 BytesPerSecond(qint64 nowMs) const;

    // "980 bytes", "1.5 KB", "12.3 MB".
    static QString Bytes(qint64 bytes);

private:
    bool totalKnown() const { return m_total > 0 && m_total >= m_done; }

    struct Sample
    {
        qint64 ms;
        qint64 done;
    };
    int m_kind = 0;
    QString m_name;
    qint64 m_done = 0;
    qint64 m_total = -1;
    bool m_finished = false;
    std::deque<Sample> m_samples;
};
