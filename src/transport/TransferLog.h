#pragma once
// A window's transfer log: one line per file an operation fetched, sent,
// put back or failed with (and why), stamped with the time of day, for a
// person to read. No password ever gets into it: the FTP account's, one
// sent with "PASS", and one in an address or proxy ("user:secret@host")
// are masked, whoever wrote the line (a server's reply included).

#include <QObject>
#include <QStringList>

class TransferLog : public QObject
{
    Q_OBJECT
public:
    explicit TransferLog(QObject* parent = nullptr);

    void Add(const QString& line);
    // "name: what" into the log, if there is one.
    static void Note(TransferLog* log, const QString& name, const QString& what);
    // The lines so far, oldest first; the oldest go once there are many.
    const QStringList& Lines() const { return m_lines; }

    static QString WithoutPasswords(const QString& text);

signals:
    // A line was added, as Lines() holds it.
    void Added(const QString& line);

private:
    QStringList m_lines;
};
