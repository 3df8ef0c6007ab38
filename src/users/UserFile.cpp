#include "UserFile.h"

#include "app/PartFile.h"
#include "app/Errors.h"
#include "app/GlobalState.h"
#include "app/modSkiff.h"
#include "site/ChangeLock.h"
#include "transport/FtpLink.h"
#include "transport/Inet.h"
#include "transport/SiteConfig.h"
#include "transport/TransferLog.h"
#include "transport/Wait.h"
#include "site/WebFiles.h"

#include <QFile>
#include <QFileInfo>

namespace UserFile {
namespace {

SkiffError MissingWorkingCopy()
{
    return SkiffError(kFileName + QStringLiteral(" does not exist on the local hard drive."), 53);
}

QByteArray ReadWholeFile(const QString& workingCopy)
{
    QFile file(workingCopy);
    if (!file.exists())
        throw MissingWorkingCopy();
    if (!file.open(QIODevice::ReadOnly))
        throw SkiffError(QStringLiteral("Cannot read ") + workingCopy + QStringLiteral(": ") +
                         file.errorString());
    return file.readAll();
}

UserRecord ClearRecord(UserRecord stored)
{
    modSkiff::ScrambleUserRecord(stored);
    return stored;
}

QByteArray StoredBytes(const UserRecord& clear)
{
    UserRecord stored = UserRecord::FromClear(clear.Name, clear.Password, clear.Level);
    // Complemented with the pads, as the format describes; the shared
    // ScrambleUserRecord trims first and would leave the pads as blanks.
    stored.Name = modSkiff::ScrambleText(stored.Name);
    stored.Password = modSkiff::ScrambleText(stored.Password);
    stored.Level = static_cast<unsigned char>(255 - clear.Level);
    return stored.ToBytes();
}

// "/users/tarnwardens/qxg/_files.dat"
QString RemotePath() { return SiteConfig::SiteFolder() + QStringLiteral("qxg/") + kFileName; }

QString Address(const QString& userName, const QString& password)
{
    return SiteConfig::HttpBase() + QStringLiteral("qxg/") + kFileName +
           QStringLiteral("?username=") + userName + QStringLiteral("&password=") + password;
}

} // namespace

void Download(Inet& inet, const QString& userName, const QString& password,
              const QString& workingCopy)
{
    modSkiff::UseProxyIfSet(inet);
    inet.Protocol = icHTTP;
    const QByteArray body = inet.OpenURLBytes(Address(userName, password));
    // An error page is not a user file: taken as one it would read as a few
    // garbage members, or none, and could then be sent back over the real one.
    if (inet.HttpStatus() >= 400)
        throw SkiffError(QStringLiteral("the server answered ") +
                         QString::number(inet.HttpStatus()) + QLatin1Char('.'));
    QString problem;
    if (!PartFile::Replace(workingCopy, body, &problem))
        throw SkiffError(QStringLiteral("Cannot write ") + workingCopy + QStringLiteral(": ") +
                         problem);
}

QList<UserRecord> ReadAll(const QString& workingCopy)
{
    QList<UserRecord> records = ReadStoredUserRecords(ReadWholeFile(workingCopy));
    for (UserRecord& record : records)
        record = ClearRecord(record);
    return records;
}

std::optional<UserRecord> Read(const QString& workingCopy, int number)
{
    const QByteArray bytes = ReadWholeFile(workingCopy);
    const qsizetype offset = qsizetype(number - 1) * UserRecord::Size;
    if (number < 1 || offset + UserRecord::Size > bytes.size())
        return std::nullopt;
    return ClearRecord(UserRecord::FromBytes(bytes.constData() + offset));
}

void Write(const QString& workingCopy, int number, const UserRecord& clear)
{
    QFile file(workingCopy);
    if (!file.exists())
        throw MissingWorkingCopy();
    const qint64 records = file.size() / UserRecord::Size;
    if (number < 1 || number > records + 1)
        throw SkiffError(QStringLiteral("User %1 cannot be written: %2 holds only %3 users. "
                                        "Apply the changes to the new users above it first.")
                             .arg(number)
                             .arg(kFileName)
                             .arg(records));
    const QByteArray bytes = StoredBytes(clear);
    if (!file.open(QIODevice::ReadWrite) || !file.seek(qint64(number - 1) * UserRecord::Size) ||
        file.write(bytes) != bytes.size() || !file.flush())
        throw SkiffError(QStringLiteral("Cannot write ") + workingCopy + QStringLiteral(": ") +
                         file.errorString());
}

bool Upload(Inet& inet, const QString& workingCopy, modSkiff::SendFailure* failure)
{
    if (!QFileInfo::exists(workingCopy))
        throw MissingWorkingCopy();
    modSkiff::UseFtpAccount(inet);
    modSkiff::UseProxyIfSet(inet);
    inet.Host = SiteConfig::Host();
    inet.Protocol = icFTP;
    Wait::ExecuteAndWait(inet, QStringLiteral("QUIT"));
    // The same lock as the control file's: one member's upload never
    // replaces the file under another's.
    InetLink link(inet);
    ChangeLock lock(link, [&inet](const QString& line) {
        TransferLog::Note(inet.Log, ChangeLock::FolderName(), line);
    });
    if (!lock.Acquire()) {
        if (failure)
            failure->why = lock.Why().isEmpty()
                               ? QStringLiteral("another member is changing the group's files")
                               : lock.Why();
        return false;
    }
    return modSkiff::SendWithServerBackup(link, workingCopy, RemotePath(), failure);
}

} // namespace UserFile
