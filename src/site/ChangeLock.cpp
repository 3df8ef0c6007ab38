// The change lock. Why it lets one member in at a time, and why breaking a
// stale lock does not let two in:
//
// - Taking it is one "MKD": the server creates the folder for exactly one of
//   the members asking, however close together they ask. Every other member
//   sees the folder exist and waits. The holder removes its file and the
//   folder when its change is done, on every way out.
//
// - Age is measured by the server's clock only. The holder file's time comes
//   from the server (MDTM); before a lock is judged stale, the server is
//   asked for its time now, by writing a small file ("_control.clock") and
//   asking its time too. So neither the breaker's clock nor the holder's
//   clock, however wrong, can make a fresh lock look old, nor an old one
//   look fresh for ever. A server without MDTM leaves the time written in
//   the holder file (the holder's clock against ours), which is as good as
//   the two clocks are. Where no age can be read (no holder file because its
//   holder stopped right after "MKD", no time in it, or a time more than a
//   minute ahead of the clock it is measured against), the lock is timed by
//   our own steady clock, from when we first saw it as it is.
//
// - Breaking is itself serialised by the same atomic step: a breaker must
//   first create "_control.lock/_breaking". Holding it, the breaker reads the
//   holder file again and takes over only when it is byte for byte the stale
//   one it judged (it carries the holder's token), by writing its own holder
//   file; then it removes "_breaking". The lock folder exists all the while,
//   so no "MKD" of the lock can succeed in between, and a second breaker
//   either fails to create "_breaking" or, once it can, finds the first
//   breaker's fresh holder file instead of the stale one and waits. Two
//   breakers can therefore never both take the same stale lock.
//
// - A holder that is only slow, not dead, must not upload after its lock
//   could have been judged stale: the breaker needs the holder file to be
//   two minutes old by the server's clock, and that file was written after
//   the holder began its attempt, so a holder that starts its upload within
//   the first minute of its hold (RequireFresh) cannot have been broken; one
//   that is later sends nothing and says so. On giving the lock back after
//   such a long hold, the holder file is removed only when it is still ours.
//
// - A breaker that stops between creating "_breaking" and removing it leaves
//   "_breaking" behind. Seen in the way, with the lock unchanged, for longer
//   than the stale limit, it is removed and the break goes on; a live
//   breaker holds it for a few commands only.
//
// What is left: a server that stalls the upload's commands each nearly to
// the transfer component's time-out can stretch a hold past the limit.

#include "ChangeLock.h"

#include "transport/FtpLink.h"
#include "transport/SiteConfig.h"
#include "transport/Wait.h"
#include "app/Clock.h"
#include "app/Errors.h"
#include "app/GlobalState.h"
#include "app/Services.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QUuid>

namespace {

const QString kHolderFile = QStringLiteral("holder.txt");
const QString kBreaking = QStringLiteral("_breaking");
const QString kClockFile = QStringLiteral("_control.clock");
constexpr qint64 kStaleMs = qint64(ChangeLock::kStaleSeconds) * 1000;
// A holder time further ahead of the clock it is measured against is no
// time at all.
constexpr int kAheadSeconds = 60;

QString HolderPath()
{
    return ChangeLock::FolderPath() + QLatin1Char('/') + kHolderFile;
}

QString TimeText(const QDateTime& utc)
{
    return utc.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

// The place to fetch a small file into, or to send one from.
class Scratch
{
public:
    QString path(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

} // namespace

ChangeLock::ChangeLock(FtpLink& link, Log log) : m_link(link), m_log(std::move(log)) {}

ChangeLock::~ChangeLock()
{
    try {
        Release();
    } catch (...) {
        // Giving the lock back is best effort: a lock left behind goes stale.
    }
}

QString ChangeLock::FolderName()
{
    return QStringLiteral("_control.lock");
}

QString ChangeLock::FolderPath()
{
    return SiteConfig::GroupFolder() + QLatin1Char('/') + FolderName();
}

bool ChangeLock::Acquire()
{
    m_why.clear();
    for (;;) {
        Holder seen;
        {
            BusyPointer busy;
            for (const int pause : {0, 150, 300, 600}) {
                if (pause)
                    Wait::Pause(pause);
                switch (TryOnce(seen)) {
                case Attempt::Taken:
                    m_held = true;
                    return true;
                case Attempt::Failed:
                    return false;
                case Attempt::Held:
                    break;
                }
            }
        }
        if (MsgBox(HeldQuestion(seen), vbRetryCancel | vbExclamation) != vbRetry)
            return false;
    }
}

ChangeLock::Attempt ChangeLock::TryOnce(Holder& seen)
{
    QString refusal;
    // A lock given back between our "MKD" and our look at it is simply
    // tried again.
    for (int round = 0; round < 2; ++round) {
        m_heldSince = Clock::SteadyMs();
        m_link.Run(QStringLiteral("MKD ") + FolderPath());
        if (!m_link.Failed()) {
            if (WriteHolderFile())
                return Attempt::Taken;
            refusal = m_sendFailure;
            // Whatever part of the holder file arrived goes too, or the
            // folder would stay.
            m_link.Run(QStringLiteral("delete ") + HolderPath());
            m_link.Run(QStringLiteral("RMD ") + FolderPath());
            break;
        }
        refusal = m_link.FailureText();
        if (m_link.ConnectionLost())
            break;
        seen = Inspect();
        if (seen.plainFile) {
            m_why = QStringLiteral("a file named qxg/") + FolderName() +
                    QStringLiteral(" is on the server where the lock's folder belongs (") +
                    refusal +
                    QStringLiteral("). No member can change the group's files until an "
                                   "administrator removes that file from the server");
            return Attempt::Failed;
        }
        if (seen.folderExists) {
            NoteSeen(seen);
            return IsStale(seen) && Break(seen) ? Attempt::Taken : Attempt::Held;
        }
    }
    m_why = QStringLiteral("the server's change lock qxg/") + FolderName() +
            QStringLiteral(" could not be created (") + refusal + QLatin1Char(')');
    return Attempt::Failed;
}

ChangeLock::Holder ChangeLock::Inspect()
{
    if (const std::optional<QByteArray> bytes = ReadHolderFile()) {
        Holder seen = ParseHolder(*bytes);
        seen.folderExists = true;
        seen.file = bytes;
        m_link.Run(QStringLiteral("MDTM ") + HolderPath());
        if (!m_link.Failed())
            seen.serverTime = ParseModificationTime(m_link.Response());
        return seen;
    }
    // No holder file: a lock just being taken, one whose holder stopped
    // before writing it, a file in the lock's place, or no lock at all.
    Holder seen;
    m_link.Run(QStringLiteral("LS ") + SiteConfig::GroupFolder());
    if (m_link.Failed())
        return seen;
    const QStringList entries = m_link.Response().split(QStringLiteral("\r\n"));
    seen.folderExists = entries.contains(FolderName() + QLatin1Char('/'));
    seen.plainFile = !seen.folderExists && entries.contains(FolderName());
    return seen;
}

void ChangeLock::NoteSeen(const Holder& seen)
{
    if (m_seenSince >= 0 && seen.file == m_seenFile)
        return;
    m_seenFile = seen.file;
    m_seenSince = Clock::SteadyMs();
    m_breakingSince = -1;
}

bool ChangeLock::SeenUnchangedTooLong() const
{
    return m_seenSince >= 0 && Clock::SteadyMs() - m_seenSince > kStaleMs;
}

std::optional<QByteArray> ChangeLock::ReadHolderFile()
{
    const Scratch scratch;
    const QString local = scratch.path(kHolderFile);
    m_link.Run(QStringLiteral("get ") + HolderPath() + QLatin1Char(' ') + local);
    QFile file(local);
    if (m_link.Failed() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // A holder file is a few dozen bytes; more is not one of ours.
    return file.read(4096);
}

bool ChangeLock::WriteHolderFile()
{
    const QByteArray mine = modSkiff::CurrentUser.toUtf8() + "\r\n" +
                            Clock::Now().toUTC().toString(Qt::ISODate).toLatin1() +
                            "\r\n" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces) + "\r\n";
    if (!Send(mine, HolderPath()))
        return false;
    m_mine = mine;
    return true;
}

bool ChangeLock::Send(const QByteArray& bytes, const QString& remote)
{
    // The local name is the remote one, so that the command's two names pair up.
    const Scratch scratch;
    QFile file(scratch.path(remote.section(QLatin1Char('/'), -1)));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()) {
        m_sendFailure = QStringLiteral("Cannot write ") + file.fileName() + QStringLiteral(": ") +
                        file.errorString();
        return false;
    }
    file.close();
    m_link.Run(QStringLiteral("send ") + file.fileName() + QLatin1Char(' ') + remote);
    m_sendFailure = m_link.FailureText();
    return !m_link.Failed();
}

std::optional<QDateTime> ChangeLock::ServerNow()
{
    const QString remote = SiteConfig::GroupFolder() + QLatin1Char('/') + kClockFile;
    if (!Send("clock\r\n", remote))
        return std::nullopt;
    m_link.Run(QStringLiteral("MDTM ") + remote);
    const QDateTime now = m_link.Failed() ? QDateTime() : ParseModificationTime(m_link.Response());
    m_link.Run(QStringLiteral("delete ") + remote);
    return now.isValid() ? std::optional<QDateTime>(now) : std::nullopt;
}

bool ChangeLock::IsStale(const Holder& seen)
{
    if (!seen.file)
        return SeenUnchangedTooLong();
    QDateTime since = seen.written;
    QDateTime now = Clock::Now().toUTC();
    if (seen.serverTime.isValid()) {
        since = seen.serverTime;
        const std::optional<QDateTime> serverNow = ServerNow();
        now = serverNow ? *serverNow : QDateTime();
    }
    if (!since.isValid() || !now.isValid() || now.secsTo(since) > kAheadSeconds)
        return SeenUnchangedTooLong();
    return since.secsTo(now) > kStaleSeconds;
}

bool ChangeLock::StartBreaking(const QString& breaking)
{
    m_link.Run(QStringLiteral("MKD ") + breaking);
    if (!m_link.Failed())
        return true;
    if (m_link.ConnectionLost())
        return false;
    const qint64 now = Clock::SteadyMs();
    if (m_breakingSince < 0)
        m_breakingSince = now;
    if (now - m_breakingSince <= kStaleMs)
        return false;
    m_breakingSince = -1;
    m_link.Run(QStringLiteral("RMD ") + breaking);
    if (m_log && !m_link.Failed())
        m_log(kBreaking + QStringLiteral(" removed: left by a client that stopped while "
                                         "taking the lock over"));
    m_link.Run(QStringLiteral("MKD ") + breaking);
    return !m_link.Failed();
}

bool ChangeLock::Break(const Holder& seen)
{
    const QString breaking = FolderPath() + QLatin1Char('/') + kBreaking;
    if (!StartBreaking(breaking))
        return false;
    const bool taken = ReadHolderFile() == seen.file && WriteHolderFile();
    m_link.Run(QStringLiteral("RMD ") + breaking);
    if (taken && m_log) {
        const QDateTime since = seen.serverTime.isValid() ? seen.serverTime : seen.written;
        m_log(QStringLiteral("taken over from ") +
              (seen.nickname.isEmpty() ? QStringLiteral("a client that left no name")
                                       : seen.nickname) +
              (since.isValid() ? QStringLiteral(", held since ") + TimeText(since) : QString()) +
              QStringLiteral(": older than two minutes, left by a client that stopped"));
    }
    return taken;
}

QString ChangeLock::HeldQuestion(const Holder& seen) const
{
    const QDateTime since = seen.serverTime.isValid() ? seen.serverTime : seen.written;
    const QDateTime now = Clock::Now().toUTC();
    return (seen.nickname.isEmpty() ? QStringLiteral("Another member") : seen.nickname) +
           QStringLiteral(" is changing the group's files") +
           (since.isValid() && now.secsTo(since) <= kAheadSeconds
                ? QStringLiteral(" (since ") + TimeText(since) + QLatin1Char(')')
                : QString()) +
           QStringLiteral(", and only one member at a time may change them.\r\n\r\nPress Retry "
                          "to try again, or Cancel to leave your change undone.");
}

bool ChangeLock::HeldTooLong() const
{
    return Clock::SteadyMs() - m_heldSince > kStaleMs / 2;
}

void ChangeLock::RequireFresh() const
{
    if (m_held && HeldTooLong())
        throw SkiffError(QStringLiteral("The change took more than a minute, so another member "
                                        "may have taken the server's change lock over meanwhile. "
                                        "Nothing was sent; please try again."));
}

void ChangeLock::Release()
{
    if (!m_held)
        return;
    m_held = false;
    // After a long hold the lock may have passed to a member who judged it
    // stale; their holder file and folder are not ours to remove.
    if (HeldTooLong() && ReadHolderFile() != m_mine)
        return;
    m_link.Run(QStringLiteral("delete ") + HolderPath());
    m_link.Run(QStringLiteral("RMD ") + FolderPath());
}

ChangeLock::Holder ChangeLock::ParseHolder(const QByteArray& bytes)
{
    Holder holder;
    const QStringList lines =
        QString::fromUtf8(bytes).split(QRegularExpression(QStringLiteral("\r?\n")));
    // Shown in a question to the member: whatever another client wrote, only
    // printable characters of a nickname's length.
    QString nickname;
    for (const QChar c : lines.value(0)) {
        if (c.isPrint() && c != QChar::ReplacementCharacter)
            nickname += c;
    }
    holder.nickname = nickname.trimmed().left(30);
    holder.written = QDateTime::fromString(lines.value(1).trimmed(), Qt::ISODate).toUTC();
    return holder;
}

QDateTime ChangeLock::ParseModificationTime(const QString& reply)
{
    static const QRegularExpression time(
        QStringLiteral("(?:^|\\n)213 +(\\d{14})(?:\\.\\d+)?\\s*(?:\\r|\\n|$)"));
    const QRegularExpressionMatch match = time.match(reply);
    if (!match.hasMatch())
        return QDateTime();
    const QDateTime read =
        QDateTime::fromString(match.captured(1), QStringLiteral("yyyyMMddHHmmss"));
    return read.isValid() ? QDateTime(read.date(), read.time(), QTimeZone::utc()) : QDateTime();
}
