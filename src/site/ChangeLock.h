#pragma once
// The change lock on the server: one member at a time changes the control
// file or the user file. Plain FTP has no locks, but every server creates a
// folder only when it does not exist yet, so the folder "qxg/_control.lock"
// is the lock, and the file "holder.txt" in it names who holds it and since
// when (nickname, UTC time and a token, one per line).
//
// A lock older than two minutes (a change takes seconds) is taken to be left
// by a crashed client and is taken over, with a line in the log. Where its
// age cannot be read (no holder file, no time in it, or a time ahead of the
// server's clock) it is judged by how long this client has seen it
// unchanged. Times come from Clock, so tests can move them. Clients
// that do not know the lock are not held up by it; the folder's name starts
// with "_control", which the store never offers or lists as a shared file.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

class FtpLink;

class ChangeLock
{
public:
    // Where the lines for the member's log go (a window's command log).
    using Log = std::function<void(const QString& line)>;

    explicit ChangeLock(FtpLink& link, Log log = {});
    // Gives the lock back when it is still held, whatever the way out.
    ~ChangeLock();
    ChangeLock(const ChangeLock&) = delete;
    ChangeLock& operator=(const ChangeLock&) = delete;

    // Takes the lock. While another member holds it, tries again a few times
    // within a second (busy pointer, windows running), then says who holds
    // it and since when and offers Retry or Cancel. False, with Why() set,
    // when the member cancelled or the folder could not be created for
    // another reason (shown to the member); nothing has been changed then.
    bool Acquire();
    // Removes the holder file and the folder.
    void Release();
    QString Why() const { return m_why; }

    // Throws SkiffError when the lock has been held so long that another
    // member may by now have judged it stale: the change must not go up.
    void RequireFresh() const;

    // "/users/tarnwardens/qxg/_control.lock"
    static QString FolderPath();
    static QString FolderName(); // "_control.lock", for the log
    static constexpr int kStaleSeconds = 120;

    // What the lock's holder file says; missing parts are empty or invalid.
    struct Holder
    {
        bool folderExists = false;
        bool plainFile = false; // a file, not the lock's folder, has its name
        std::optional<QByteArray> file; // none: no holder file (yet)
        QString nickname;
        QDateTime written;    // the holder's clock, UTC
        QDateTime serverTime; // the server's time of the holder file, UTC
    };
    // Reads a holder file's text; never throws, whatever it holds. The
    // nickname is at most 30 printable characters of its first line.
    static Holder ParseHolder(const QByteArray& bytes);
    // The time of an MDTM reply ("213 YYYYMMDDHHMMSS[.sss]"), UTC; invalid
    // when the reply holds none.
    static QDateTime ParseModificationTime(const QString& reply);

private:
    enum class Attempt
    {
        Taken,
        Held,
        Failed
    };
    Attempt TryOnce(Holder& seen);
    Holder Inspect();
    std::optional<QByteArray> ReadHolderFile();
    // Sends bytes as the remote file; false with m_sendFailure set when
    // they could not be written locally or did not arrive.
    bool Send(const QByteArray& bytes, const QString& remote);
    bool WriteHolderFile();
    std::optional<QDateTime> ServerNow();
    bool IsStale(const Holder& seen);
    // The lock has been seen as it is now for longer than the stale limit.
    bool SeenUnchangedTooLong() const;
    void NoteSeen(const Holder& seen);
    bool Break(const Holder& seen);
    // Creates "_breaking"; one left by a breaker that stopped, seen by this
    // client for longer than the stale limit, is removed first.
    bool StartBreaking(const QString& breaking);
    bool HeldTooLong() const;
    QString HeldQuestion(const Holder& seen) const;

    FtpLink& m_link;
    Log m_log;
    bool m_held = false;
    QString m_why;
    QString m_sendFailure;
    QByteArray m_mine;  // the holder file this client wrote
    qint64 m_heldSince = 0; // Clock::SteadyMs() when the attempt that took the lock began
    // The lock as last seen (its holder file, none) and since when it looks so.
    std::optional<QByteArray> m_seenFile;
    qint64 m_seenSince = -1;
    qint64 m_breakingSince = -1; // "_breaking" in the way since, for the lock as seen
};
