// The group folder and its control file: fetching files, changing the
// control file, and checking and recovering it before the list is built.

#include "SharedFiles.h"

#include "LocalCopy.h"
#include "app/MemberLevel.h"
#include "app/Errors.h"
#include "app/GlobalState.h"
#include "app/Services.h"
#include "app/modSkiff.h"
#include "transport/FtpLink.h"
#include "transport/SiteConfig.h"
#include "site/WebFiles.h"

#include <QFile>

namespace {

QString corruptOrMissingMessage(const QString& status)
{
    return QStringLiteral("Skiff detected a corrupt or missing _files.txt on the server. This is "
                          "probably the result of Skiff crashing the last time that you or another "
                          "user was checking in, checking out, or adding files.\r\n\r\nSkiff will "
                          "now try to restore _files.txt from a backup on the server.: If this "
                          "fails, please email a copy of the _files.txt.backup file from your "
                          "computer to Orrin.  This file should be found at ") +
           modSkiff::LocalFolder + QStringLiteral(".\r\n\r\n(ERR: ") + status +
           QStringLiteral(")\r\n\r\nPress <OK> to attempt to restore _files.txt from the server "
                          "backup.");
}

QString releaseNotice(const QString& release)
{
    return QStringLiteral("Skiff has been updated to version ") + release +
           QStringLiteral("\r\nYou are currently using version ") + modSkiff::AppVersion() +
           QStringLiteral("\r\n\r\nPlease get version ") + release + QStringLiteral(" from Orrin.");
}

// Why a fetched control file cannot be used; "" when it can.
QString unusableBecause(const ControlFile::Contents& contents)
{
    if (!contents.damage.isEmpty())
        return contents.damage;
    if (!contents.exists)
        return QStringLiteral("file not found");
    if (!contents.hasReleaseLine)
        return QStringLiteral("file is empty");
    if (!contents.hasCountLine)
        return QStringLiteral("file is incomplete");
    const int found = contents.listedCount();
    if (found == contents.expectedCount)
        return QString();
    // The text carries its own closing parenthesis: the message shows two.
    return QString::number(contents.expectedCount) + QStringLiteral(" files expected, ") +
           QString::number(found) + QStringLiteral(" files found)");
}

} // namespace

SharedFiles::SharedFiles(FtpLink& link, SharedFilesView* view)
    : m_link(link), m_view(view ? view : &m_noView)
{
}

QString SharedFiles::PlotDocument()
{
    return QStringLiteral("qxplot.doc");
}

SharedFiles::RecordOptions SharedFiles::OptionsFor(const FileRecord& file)
{
    if (MemberLevel::IsAdministrator())
        return {true, OwnsFile(file)};
    const bool describe = modSkiff::CurrentLevel == MemberLevel::FullAccess && MayUseOwnerOptions(file);
    return {describe, describe && !file.Author.isEmpty()};
}

bool SharedFiles::MayUseOwnerOptions(const FileRecord& file)
{
    return file.Author.isEmpty() || OwnsFile(file);
}

bool SharedFiles::OwnsFile(const FileRecord& file)
{
    return !file.Author.isEmpty() && file.Author.toLower() == modSkiff::CurrentUser.toLower();
}

bool SharedFiles::HeldByMe(const FileRecord& file)
{
    return file.Controller == modSkiff::CurrentUser;
}

bool SharedFiles::HasLatestVersion(const ListedFile& file)
{
    return file.LocalVersion == file.Record.CurrentVersion;
}

bool SharedFiles::HeldByAnother(const QString& controller)
{
    return !controller.isEmpty() && controller.toLower() != modSkiff::CurrentUser.toLower();
}

void SharedFiles::ShowFileStep(const QString& doing, int index, int total, const QString& name)
{
    view().ShowStep(doing + QLatin1Char(' ') + QString::number(index + 1) +
                        QStringLiteral(" of ") + QString::number(total) + QStringLiteral(": ") +
                        name,
                    index, total);
}

void SharedFiles::reconnect()
{
    m_link.Run(QStringLiteral("QUIT"));
    m_link.Run(QStringLiteral("cd ") + SiteConfig::GroupFolder());
}

std::optional<bool> SharedFiles::IsListedOnServer(const QString& name)
{
    m_link.Run(QStringLiteral("ls ") + name);
    if (m_link.Failed())
        return std::nullopt;
    return m_link.Response().contains(name, Qt::CaseSensitive);
}

SharedFiles::Presence SharedFiles::FindOnServer(const QString& name)
{
    m_link.Run(QStringLiteral("cd ") + SiteConfig::GroupFolder());
    std::optional<bool> listed;
    if (!m_link.Failed()) {
        listed = IsListedOnServer(name);
        // Only a listing that worked can say the file is gone; putting the
        // backup back on a guess could replace the newest copy with it.
        const bool restoring = listed && !*listed;
        if (restoring)
            m_link.Run(QStringLiteral("rename ") + name + QStringLiteral(".backup ") + name);
        // Asked again only after the rename: a file listed once is there.
        if (restoring)
            listed = IsListedOnServer(name);
        if (restoring && listed && *listed)
            view().ReportFile(name, QStringLiteral("restored from the server's backup"));
    }
    if (listed) {
        if (!*listed)
            view().ReportFile(name, QStringLiteral("not on the server"));
        return *listed ? Presence::Listed : Presence::Missing;
    }
    const QString unreachable = QStringLiteral("the server could not be reached (") +
                                m_link.FailureText() + QStringLiteral(")");
    view().ReportFile(name, QStringLiteral("left as it is: ") + unreachable);
    MsgBox(name + QStringLiteral(" was left as it is: ") + unreachable + QLatin1Char('.'),
           vbCritical);
    return Presence::Unknown;
}

bool SharedFiles::Download(const QString& name)
{
    QString why;
    bool copyKept = true;
    try {
        const LocalCopy::SetAside copy = LocalCopy::KeepBackup(name);
        modSkiff::GetRetryingOnce(m_link, QStringLiteral("get ") + name + QLatin1Char(' ') + name);
        if (!m_link.Failed()) {
            view().ReportFile(name, QStringLiteral("fetched"));
            return true;
        }
        why = m_link.FailureText();
        copyKept = LocalCopy::PutBack(copy);
    } catch (const SkiffError& error) {
        why = error.description(); // the copy could not be moved: it is where it was
    }
    view().ReportFile(name, QStringLiteral("not fetched: ") + why +
                                (copyKept ? QString() : QStringLiteral("; the previous copy is ") +
                                                            name + QStringLiteral(".backup")));
    QString message = name + QStringLiteral(" could not be downloaded: ") + why;
    if (!copyKept)
        message += QStringLiteral("\r\n\r\nYour previous copy is ") + name +
                   QStringLiteral(".backup.");
    else if (LocalCopy::Exists(name))
        message += QStringLiteral("\r\n\r\nYour copy of ") + name +
                   QStringLiteral(" is as it was.");
    MsgBox(message, vbCritical);
    return false;
}

bool SharedFiles::GetFile(const QString& fileName)
{
    BusyPointer busy;
    try {
        reconnect();
        if (QFile::exists(fileName) && !QFile::remove(fileName))
            throw SkiffError(QStringLiteral("Permission denied: ") + fileName, 70);
        modSkiff::GetRetryingOnce(m_link,
                                  QStringLiteral("GET ") + fileName + QLatin1Char(' ') + fileName);
        // A server that refuses the file leaves it missing, which the checks
        // report; a server that cannot be reached is the component's error.
        if (m_link.ConnectionLost())
            throw SkiffError(m_link.FailureText());
    } catch (const SkiffError& error) {
        MsgBox(error.description(), vbCritical);
        return false;
    }
    return true;
}

bool SharedFiles::GetControlFile()
{
    return GetFile(ControlFile::FileName());
}

bool SharedFiles::UpdateFileDetails(const QString& pstrFileName, RecordChange change,
                                    const FileDetailsValues& values)
{
    return ChangeControlFile([&] {
        RewriteControlFile(pstrFileName, change, values);
        return true;
    });
}

bool SharedFiles::TakeChangeLock(ChangeLock& lock, QString* failure)
{
    if (lock.Acquire())
        return true;
    if (failure)
        *failure = lock.Why().isEmpty() ? QString()
                                        : ControlFile::FileName() +
                                              QStringLiteral(" was not changed: ") + lock.Why() +
                                              QLatin1Char('.');
    else if (!lock.Why().isEmpty())
        MsgBox(ControlFile::FileName() + QStringLiteral(" was not changed: ") + lock.Why() +
                   QLatin1Char('.'),
               vbCritical);
    return false;
}

ChangeLock::Log SharedFiles::LockLog()
{
    return [this](const QString& line) { view().ReportFile(ChangeLock::FolderName(), line); };
}

bool SharedFiles::ChangeControlFile(const std::function<bool()>& rewrite, QString* failure)
{
    view().ShowStep(QStringLiteral("Updating the list of shared files"), 0, 0);
    ChangeLock lock(m_link, LockLog());
    if (!TakeChangeLock(lock, failure))
        return false;
    return GetControlFile() && RewriteAndSave(
                                   [&] {
                                       const bool save = rewrite();
                                       if (save)
                                           lock.RequireFresh();
                                       return save;
                                   },
                                   failure);
}

bool SharedFiles::RewriteAndSave(const std::function<bool()>& rewrite, QString* failure)
{
    try {
        if (rewrite())
            SaveControlFile();
    } catch (const SkiffError& error) {
        if (failure)
            *failure = error.description();
        else
            MsgBox(error.description(), vbCritical);
        return false;
    }
    return true;
}

void SharedFiles::SaveControlFile()
{
    // The connection is already in the group folder: names without paths.
    const QString name = ControlFile::FileName();
    modSkiff::SendFailure failure;
    if (modSkiff::SendWithServerBackup(m_link, name, name, &failure)) {
        view().ReportFile(name, QStringLiteral("sent"));
        return;
    }
    view().ReportFile(name, QStringLiteral("not sent: ") + failure.why +
                                (failure.previousBack
                                     ? QStringLiteral("; the server's previous copy was put back")
                                     : QString()));
    QString message = name + QStringLiteral(" could not be sent to the server: ") + failure.why;
    message += failure.previousBack
                   ? QStringLiteral("\r\n\r\nThe server keeps the control file as it was") +
                         NothingChanged()
                   : QStringLiteral("\r\n\r\nThe server's previous control file could not "
                                    "be put back; the next refresh of the list offers to "
                                    "restore it from the server's backup.");
    throw SkiffError(message);
}

QString SharedFiles::NothingChanged()
{
    return QStringLiteral(", and nothing was changed. Please try again.");
}

ControlFileCheck SharedFiles::CheckControlFile()
{
    BusyPointer busy;
    ControlFileCheck check;
    bool retried = false;
    for (;;) {
        if (!GetControlFile()) {
            check.outcome = ControlFileCheck::FetchFailed;
            return check;
        }
        check.contents = ControlFile::Read(ControlFile::FileName());
        const ControlFile::Contents& contents = check.contents;
        if (contents.hasReleaseLine && !modSkiff::IsCurrentVersion(contents.release)) {
            MsgBox(releaseNotice(contents.release), vbCritical);
            check.outcome = ControlFileCheck::NewerRelease;
            return check;
        }
        if (contents.error && contents.damage.isEmpty()) {
            MsgBox(contents.error->description(), vbCritical);
            check.outcome = ControlFileCheck::Unreadable;
            return check;
        }
        const QString status = unusableBecause(contents);
        if (status.isEmpty()) {
            check.outcome = ControlFileCheck::Accepted;
            return check;
        }
        if (!retried) {
            retried = true;
            reconnect();
            continue;
        }
        if (MsgBox(corruptOrMissingMessage(status), vbOKCancel | vbCritical) == vbCancel) {
            EndProgram();
            check.outcome = ControlFileCheck::Refused;
            return check;
        }
        if (!RestoreControlFile()) {
            check.outcome = ControlFileCheck::FetchFailed;
            return check;
        }
    }
}

bool SharedFiles::RestoreControlFile()
{
    // The restore replaces the control file like any change: under the lock.
    ChangeLock lock(m_link, LockLog());
    if (!TakeChangeLock(lock))
        return false;
    const QString name = ControlFile::FileName();
    m_link.Run(QStringLiteral("get ") + name + QStringLiteral(".backup ") + name);
    // The copy this member kept before their last change goes up. A member
    // who never changed the control file has none: the server's backup,
    // just fetched, goes up instead, or the question would only come back.
    const QString restored =
        QFile::exists(ControlFile::BackupName()) ? ControlFile::BackupName() : name;
    m_link.Run(QStringLiteral("send ") + restored + QLatin1Char(' ') + name);
    if (m_link.Failed())
        MsgBox(name + QStringLiteral(" could not be restored on the server: ") +
                   m_link.FailureText(),
               vbCritical);
    return true;
}
