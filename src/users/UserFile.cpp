#include "UserFile.h"

#include "app/PartFile.h"
#include "app/Errors.h"
#include "app/GlobalState.h"
#include "app/modSkiff.h"
#include "transport/FtpLink.h"
#include "transport/Inet.h"
#include "site/SiteChange.h"
#include "transport/SiteAccount.h"
#include "transport/SiteConfig.h"
#include "site/SiteCopy.h"
#include "transport/TransferLog.h"
#include "transport/Wait.h"
#include "site/WebFiles.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

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

void Replace(const QString& workingCopy, const QByteArray& bytes)
{
    QString problem;
    if (!PartFile::Replace(workingCopy, bytes, &problem))
        throw SkiffError(QStringLiteral("Cannot write ") + workingCopy + QStringLiteral(": ") +
                         problem);
}

Outcome SendOntoServerCopy(FtpLink& link, const QString& workingCopy, const QByteArray& mine,
                           QByteArray& base, const UserFileMerge::Decide& decide, QString& why)
{
    std::optional<QByteArray> fresh;
    try {
        fresh = SiteCopy::FetchOverFtp(link, {RemotePath(), QString(), kFileName});
    } catch (const SkiffError& error) {
        why = error.description();
        return Outcome::Failed;
    }
    if (!fresh) {
        why = kFileName + QStringLiteral(" is no longer on the server");
        return Outcome::Failed;
    }
    const QString problem = FormProblem(*fresh);
    if (!problem.isEmpty()) {
        why = QStringLiteral("the server's copy has changed: ") + problem;
        return Outcome::Failed;
    }
    if (*fresh != base) {
        const std::optional<QByteArray> merged = UserFileMerge::Merge(base, mine, *fresh, decide);
        if (!merged)
            return Outcome::Stopped;
        Replace(workingCopy, *merged);
        base = *fresh;
        if (*merged == *fresh)
            return Outcome::NothingToSend;
    }
    modSkiff::SendFailure failure;
    if (modSkiff::SendWithServerBackup(link, workingCopy, RemotePath(), &failure))
        return Outcome::Sent;
    why = failure.why;
    return Outcome::Failed;
}

} // namespace

QByteArray Download(Inet& inet, const QString& userName, const QString& password,
                    const QString& workingCopy)
{
    const std::optional<QByteArray> body =
        SiteCopy::Fetch(inet, {RemotePath(), Address(userName, password), kFileName});
    if (!body)
        throw SkiffError(kFileName + QStringLiteral(" is not on the server."));
    // An error page or a cut file taken as the user file would read as a few
    // garbage members, or none, and could then be sent back over the real one.
    const QString problem = FormProblem(*body);
    if (!problem.isEmpty())
        throw SkiffError(problem);
    Replace(workingCopy, *body);
    return *body;
}

QString FormProblem(const QByteArray& file)
{
    const QString notOne = kFileName + QStringLiteral(" is not a user file: ");
    if (file.isEmpty())
        return notOne + QStringLiteral("it is empty.");
    if (file.size() % UserRecord::Size != 0)
        return notOne + QStringLiteral("its %1 bytes are not a whole number of %2-byte records.")
                            .arg(file.size())
                            .arg(UserRecord::Size);
    const QList<UserRecord> records = ReadStoredUserRecords(file);
    for (int i = 0; i < records.size(); ++i) {
        const UserRecord clear = ClearRecord(records.at(i));
        const QString fields = clear.TrimmedName() + clear.TrimmedPassword();
        const bool printable = std::none_of(fields.begin(), fields.end(), [](QChar c) {
            return c.category() == QChar::Other_Control;
        });
        if (!printable || clear.TrimmedName().isEmpty())
            return notOne + QStringLiteral("record %1 holds no readable nickname and password.")
                                .arg(i + 1);
    }
    return QString();
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

Outcome Upload(Inet& inet, const QString& workingCopy, QByteArray& base,
               const UserFileMerge::Decide& decide, modSkiff::SendFailure* failure)
{
    const QByteArray mine = ReadWholeFile(workingCopy);
    if (mine == base)
        return Outcome::NothingToSend;
    Outcome outcome = Outcome::Failed;
    QString why;
    // What the server holds now, under the lock, is what the changes go onto.
    SiteChange::UnderChangeLock(inet, [&](FtpLink& link) {
        outcome = SendOntoServerCopy(link, workingCopy, mine, base, decide, why);
        return true;
    }, &why);
    if (failure && outcome == Outcome::Failed && !why.isEmpty())
        failure->why = why;
    return outcome;
}

} // namespace UserFile
