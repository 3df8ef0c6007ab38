#include "WebFiles.h"

#include "transport/FtpLink.h"
#include "transport/Inet.h"
#include "transport/SiteConfig.h"
#include "transport/TransferLog.h"
#include "transport/TransferMeter.h"
#include "transport/UploadName.h"
#include "transport/Wait.h"
#include "transport/SiteAccount.h"
#include "app/Errors.h"
#include "app/PartFile.h"
#include "app/GlobalState.h"
#include "app/Services.h"
#include "app/SiteText.h"
#include "app/shrmodStrings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

namespace modSkiff {
namespace {

const QString kBackup = QStringLiteral(".backup");

// A line of the component's transfer log about one site file.
void Note(Inet& inet, const QString& relativeName, const QString& what)
{
    TransferLog::Note(inet.Log, relativeName, what);
}

QString SizeOf(qint64 bytes)
{
    return QStringLiteral(" (") + TransferMeter::Bytes(bytes) + QLatin1Char(')');
}

// One handler per operation: a run-time error is shown with its own words,
// noted as what became of the file, and the operation reports failure.
bool ShowingErrors(Inet& inet, const QString& relativeName, const QString& failed,
                   const std::function<bool()>& operation)
{
    try {
        return operation();
    } catch (const SkiffError& error) {
        Note(inet, relativeName, failed + error.description());
        MsgBox(error.description(), vbCritical);
        return false;
    }
}


// Makes room for a fresh download: an empty copy is worth nothing, any
// other becomes the one local backup. Answers the backup's name when the
// copy became it.
QString SetAsideLocalCopy(const QString& localFile)
{
    const QFileInfo existing(localFile);
    if (!existing.exists())
        return QString();
    if (existing.size() < 1) {
        QFile::remove(localFile);
        return QString();
    }
    const QString backup = localFile + kBackup;
    if (QFileInfo::exists(backup))
        QFile::remove(backup);
    return QFile::rename(localFile, backup) ? backup : QString();
}

// The downloaded bytes take the local file's place only once they are all
// written (a full disk leaves the copy the member had); the copy becomes the
// backup just before.
void ReplaceLocalCopy(const QString& path, const QByteArray& bytes)
{
    PartFile file(path);
    QString problem;
    if (!file.open(&problem))
        throw SkiffError(QStringLiteral("Cannot write %1: %2").arg(path, problem));
    if (file.device()->write(bytes) != bytes.size())
        throw SkiffError(
            QStringLiteral("Cannot write %1: %2").arg(path, file.device()->errorString()));
    const QString backup = SetAsideLocalCopy(path);
    if (!file.commit(&problem)) {
        if (!backup.isEmpty())
            QFile::rename(backup, path);
        throw SkiffError(QStringLiteral("Cannot write %1: %2").arg(path, problem));
    }
}

// A name holding "?", "#" or "%" would otherwise address another file (or
// a query of one).
QString AddressSegment(const QString& segment)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(segment));
}

} // namespace

bool IsSafeSitePath(const QString& relativeName)
{
    static const QRegularExpression separators(QStringLiteral("[/\\\\]"));
    const QStringList parts = relativeName.split(separators);
    for (const QString& part : parts) {
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
            return false;
        for (const QChar c : part) {
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                return false;
        }
    }
    return true;
}

QString UnsafeSitePathMessage(const QString& relativeName)
{
    return relativeName + QStringLiteral(" is not a valid name for a file of the web site.");
}

WebFileNames MapWebFileName(const QString& relativeName, bool createFolders)
{
    if (!IsSafeSitePath(relativeName))
        throw SkiffError(UnsafeSitePathMessage(relativeName));
    QString name = relativeName;
    shrmodStrings::ReplaceTextKeepCase(name, {QStringLiteral("/"), QStringLiteral("\\")});
    WebFileNames names;
    names.localFile = QStringLiteral("WebPage/");
    names.remoteFile = SiteConfig::SiteFolder();
    names.address = SiteConfig::HttpBase();
    while (name.contains(QLatin1Char('\\'))) {
        QString folder;
        shrmodStrings::SplitAt(name, QStringLiteral("\\"), folder, name);
        names.localFile += folder + QLatin1Char('/');
        names.remoteFile += folder + QLatin1Char('/');
        names.address += AddressSegment(folder) + QLatin1Char('/');
    }
    // "WebPage" itself too: the member may have removed it since start-up.
    if (createFolders)
        QDir().mkpath(names.localFile);
    names.localFile += name;
    names.remoteFile += name;
    names.address += AddressSegment(name);
    return names;
}

bool UploadWebFile(Inet& inet, const QString& relativeName)
{
    BusyPointer busy;
    const QString notSent = QStringLiteral("not sent: ");
    return ShowingErrors(inet, relativeName, notSent, [&] {
        const WebFileNames names = MapWebFileName(relativeName);
        const QFileInfo local(names.localFile);
        if (!local.isFile()) {
            const QString missing =
                names.localFile + QStringLiteral(" does not exist on the local hard drive.");
            Note(inet, relativeName, notSent + missing);
            MsgBox(missing, vbCritical);
            return false;
        }
        UseSiteAccount(inet);
        inet.Protocol = icFTP;
        SendFailure failure;
        if (SendWithServerBackup(inet, names.localFile, names.remoteFile, &failure)) {
            Note(inet, relativeName, QStringLiteral("sent") + SizeOf(local.size()));
            return true;
        }
        Note(inet, relativeName,
             notSent + failure.why +
                 (failure.previousBack ? QStringLiteral("; the server's previous copy was put back")
                                       : QString()));
        MsgBox(names.remoteFile + QStringLiteral(" could not be sent to the server: ") +
                   failure.why,
               vbCritical);
        return false;
    });
}

namespace {

// The first half of every upload: the new copy under a temporary name
// beside the file. The temporary name once the server holds all of it;
// otherwise empty, with whatever part arrived deleted again.
QString SendBeside(FtpLink& link, const QString& localFile, const QString& remoteFile,
                   SendFailure* failure)
{
    const QString temporary = UploadName::TemporaryFor(remoteFile);
    link.Run(QStringLiteral("send ") + localFile + QLatin1Char(' ') + temporary);
    if (!link.Failed())
        return temporary;
    if (failure)
        *failure = {link.FailureText().replace(temporary, remoteFile), true};
    link.Run(QStringLiteral("delete ") + temporary);
    return QString();
}

bool RenameIntoPlace(FtpLink& link, const QString& temporary, const QString& remoteFile)
{
    link.Run(QStringLiteral("rename ") + temporary + QLatin1Char(' ') + remoteFile);
    return !link.Failed();
}

// The fall-back of a server that refuses the final rename: the temporary
// copy goes and the file is sent under its own name, as older clients do.
bool SendInsteadOf(FtpLink& link, const QString& temporary, const QString& localFile,
                   const QString& remoteFile)
{
    link.Run(QStringLiteral("delete ") + temporary);
    link.Run(QStringLiteral("send ") + localFile + QLatin1Char(' ') + remoteFile);
    return !link.Failed();
}

} // namespace

bool SendWithServerBackup(FtpLink& link, const QString& localFile, const QString& remoteFile,
                          SendFailure* failure)
{
    // The name holds the old or the new whole copy at every moment but
    // between the two renames.
    const QString temporary = SendBeside(link, localFile, remoteFile, failure);
    if (temporary.isEmpty())
        return false;
    link.Run(QStringLiteral("delete ") + remoteFile + kBackup);
    link.Run(QStringLiteral("rename ") + remoteFile + QLatin1Char(' ') + remoteFile + kBackup);
    // A rename the server refused left the previous copy where it was; one
    // cut off may or may not have happened.
    const bool renamed = !link.Failed();
    const bool maybeRenamed = renamed || link.ConnectionLost();
    if (RenameIntoPlace(link, temporary, remoteFile))
        return true;
    // A server that will not rename over a name still there (its previous
    // copy could not become the backup) is sent the file under its name.
    if (SendInsteadOf(link, temporary, localFile, remoteFile))
        return true;
    const QString why = link.FailureText();
    const bool previousBack = !maybeRenamed || RestoreServerBackup(link, remoteFile, renamed);
    if (failure)
        *failure = {why, previousBack};
    return false;
}

bool SendNewFile(FtpLink& link, const QString& localFile, const QString& remoteFile,
                 SendFailure* failure)
{
    const QString temporary = SendBeside(link, localFile, remoteFile, failure);
    if (temporary.isEmpty())
        return false;
    if (RenameIntoPlace(link, temporary, remoteFile))
        return true;
    // As above: a server that will not rename over a name (another member
    // added the file meanwhile) gets the file sent under its name.
    if (SendInsteadOf(link, temporary, localFile, remoteFile))
        return true;
    if (failure)
        *failure = {link.FailureText(), false};
    return false;
}

bool SendWithServerBackup(Inet& inet, const QString& localFile, const QString& remoteFile,
                          SendFailure* failure)
{
    InetLink link(inet);
    return SendWithServerBackup(link, localFile, remoteFile, failure);
}

void GetRetryingOnce(FtpLink& link, const QString& command)
{
    link.Run(command);
    if (link.Failed() && !link.ConnectionLost())
        link.Run(command);
}

QByteArray FetchRetryingOnce(Inet& inet, const QString& address)
{
    const QByteArray body = inet.OpenURLBytes(address);
    const int status = inet.HttpStatus();
    return status == 404 || status == 410 ? inet.OpenURLBytes(address) : body;
}

bool RestoreServerBackup(FtpLink& link, const QString& remoteFile, bool clearFirst)
{
    if (clearFirst)
        link.Run(QStringLiteral("delete ") + remoteFile);
    link.Run(QStringLiteral("rename ") + remoteFile + kBackup + QLatin1Char(' ') + remoteFile);
    return !link.Failed();
}

namespace {

// What a download shows when it fails.
enum class Report {
    Usual,   // errors; a missing page only when it was to be saved
    Nothing,
};

bool Download(Inet& inet, const QString& relativeName, QString& contents, Report report)
{
    BusyPointer busy;
    const QString notDownloaded = QStringLiteral("not downloaded: ");
    const auto operation = [&] {
        const WebFileNames names = MapWebFileName(relativeName, true);
        const bool toFile = contents == kSaveToFile;
        UseSiteAccount(inet);
        inet.Protocol = icHTTP;
        // The page is fetched before the local copy is touched, so a missing
        // page never costs the member the copy they have.
        const QByteArray body = FetchRetryingOnce(inet, names.address);
        const int status = inet.HttpStatus();
        if (status >= 400) {
            Note(inet, relativeName,
                 notDownloaded + QStringLiteral("the server answered ") +
                     QString::number(status));
            // A missing text (a group message, an access list) is simply
            // absent; a file the member asked for is worth a word.
            if (toFile && report == Report::Usual)
                MsgBox(QUrl::fromPercentEncoding(names.address.toUtf8()) +
                           QStringLiteral(" could not be downloaded: the server "
                                                      "answered ") +
                           QString::number(status) + QLatin1Char('.'),
                       vbCritical);
            return false;
        }
        if (toFile) {
            ReplaceLocalCopy(names.localFile, body);
        } else {
            contents = SiteText::Decode(body);
        }
        Note(inet, relativeName, QStringLiteral("downloaded") + SizeOf(body.size()));
        return true;
    };
    if (report != Report::Nothing)
        return ShowingErrors(inet, relativeName, notDownloaded, operation);
    try {
        return operation();
    } catch (const SkiffError& error) {
        Note(inet, relativeName, notDownloaded + error.description());
        return false;
    }
}

} // namespace

bool DownloadWebFile(Inet& inet, const QString& relativeName, QString& contents)
{
    return Download(inet, relativeName, contents, Report::Usual);
}

bool DownloadWebFileQuietly(Inet& inet, const QString& relativeName)
{
    QString marker = kSaveToFile;
    return Download(inet, relativeName, marker, Report::Nothing);
}

bool DeleteWebFile(Inet& inet, const QString& relativeName)
{
    BusyPointer busy;
    const QString notDeleted = QStringLiteral("not deleted on the server: ");
    return ShowingErrors(inet, relativeName, notDeleted, [&] {
        const WebFileNames names = MapWebFileName(relativeName);
        UseSiteAccount(inet);
        inet.Protocol = icFTP;
        Wait::ExecuteAndWait(inet, QStringLiteral("delete ") + names.remoteFile);
        // A refused delete goes unnoticed by the operation, but not by the log.
        Note(inet, relativeName,
             inet.LastCommandFailed() ? notDeleted + inet.ResponseInfo()
                                      : QStringLiteral("deleted on the server"));
        return true;
    });
}

} // namespace modSkiff
