#include "SiteExplorer.h"

#include "transport/FolderListing.h"
#include "transport/Inet.h"
#include "transport/SiteConfig.h"
#include "transport/TransferLog.h"
#include "transport/Wait.h"
#include "site/MirrorFiles.h"
#include "site/SiteChange.h"
#include "site/SiteCopy.h"
#include "site/WebFiles.h"
#include "transport/SiteAccount.h"
#include "app/MemberLevel.h"
#include "app/Errors.h"
#include "app/GlobalState.h"
#include "app/Services.h"
#include "app/SiteText.h"
#include "app/shrmodStrings.h"
#include "users/WebAccessList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace modSkiff;

namespace {

const QString kLineEnd = QStringLiteral("\r\n");
// A hostile list may name thousands of paths; the message names the first.
constexpr int kRefusedShown = 10;

// The local file, unless it is the mirror copy itself.
void CopyIntoMirror(const QString& localFile, const QString& sitePath)
{
    const QString mirror = MapWebFileName(sitePath, true).localFile;
    const QFileInfo chosen(localFile);
    const QFileInfo copy(mirror);
    if (copy.exists() && chosen.canonicalFilePath() == copy.canonicalFilePath())
        return;
    QDir().mkpath(copy.path());
    MirrorFiles::Copy(localFile, mirror);
}

bool HasSpace(const QString& name) { return name.contains(QLatin1Char(' ')); }

void RefuseSpaces(const QString& name)
{
    MsgBox(name + QStringLiteral("\r\n\r\nSorry, spaces are not allows in files for the QX Web Site"),
           vbOKOnly);
}

} // namespace

SiteExplorer::SiteExplorer(Inet& inet) : m_inet(inet) {}

void SiteExplorer::PrepareAccess()
{
    if (MemberLevel::IsAdministrator()) {
        FullAccess = true;
        return;
    }
    QDir().mkpath(QStringLiteral("WebPage/qxg"));
    QString downloaded;
    // The list is read under the nickname as the user file spells it, and
    // written back in lower case. On a host that tells letter case apart
    // those are two files; the lower-case one is read when the other is
    // missing, so the member's own changes are found again.
    const QString listed = QStringLiteral("qxg/") + CurrentUser + QStringLiteral(".dat");
    if (!DownloadWebFile(m_inet, listed, downloaded) &&
        listed != WebAccessList::SitePathOf(CurrentUser))
        DownloadWebFile(m_inet, WebAccessList::SitePathOf(CurrentUser), downloaded);
    WebAccess = WebAccessList::Clean(downloaded);
    FullAccess = WebAccessList::IsFullAccess(WebAccess);

    const QStringList refused = WebAccessList::RefusedEntries(WebAccess);
    if (refused.isEmpty())
        return;
    QStringList lines;
    for (const QString& entry : refused.mid(0, kRefusedShown))
        lines.append(UnsafeSitePathMessage(entry));
    if (refused.size() > kRefusedShown)
        lines.append(QStringLiteral("..."));
    MsgBox(lines.join(kLineEnd), vbExclamation);
}

void SiteExplorer::ReadResponse(int state)
{
    if (state == icError) {
        m_inet.Cancel();
    } else if (state == icResponseCompleted) {
        ListingText.clear();
        for (QString chunk = m_inet.GetChunkText(1024); !chunk.isEmpty();
             chunk = m_inet.GetChunkText(1024))
            ListingText += chunk;
    }
}

QString SiteExplorer::GetFolderListing(const QString& path)
{
    ListingText.clear();
    m_inet.Protocol = icFTP;
    UseSiteAccount(m_inet);
    Wait::UntilIdle(m_inet);
    m_inet.Execute(QStringLiteral("LS ") + SiteConfig::SiteFolder() + path);
    Wait::UntilIdle(m_inet);
    return ListingText;
}

SiteExplorer::FolderContents SiteExplorer::ListFolder(const QString& nodeKey, QString& nodeTag,
                                                      const QString& nickname)
{
    const QString currentKey = nodeKey.toLower();
    FolderContents contents;
    if (!FullAccess) {
        const WebAccessList::FolderView view = WebAccessList::ViewOf(WebAccess, nodeKey, nickname);
        contents.files = view.files;
        contents.addFiles = view.addFiles;
        contents.deleteFiles = view.deleteFiles;
        return contents;
    }
    contents.addFiles = contents.deleteFiles = true;
    const bool fetched = nodeTag.isEmpty();
    if (fetched)
        nodeTag = GetFolderListing(currentKey);
    const FolderListing::Entries entries = FolderListing::ReadListingText(nodeTag);
    if (fetched) {
        const QString folder = currentKey.isEmpty() ? QStringLiteral("/") : currentKey;
        TransferLog::Note(m_inet.Log, folder,
                          m_inet.LastCommandFailed()
                              ? QStringLiteral("not listed: ") + m_inet.ResponseInfo()
                              : QStringLiteral("listed, %1 folders and %2 files")
                                    .arg(entries.folders.size())
                                    .arg(entries.files.size()));
    }
    contents.folders = entries.folders;
    for (const QString& name : entries.files) {
        if (IsSafeSitePath(currentKey + name))
            contents.files.append(name);
    }
    return contents;
}

bool SiteExplorer::DeleteFromServer(const QString& key, const QString& name, QString& nodeTag)
{
    if (!DeleteWebFile(m_inet, key + name))
        return false;
    if (FullAccess) {
        QStringList lines = nodeTag.split(kLineEnd);
        for (QString& line : lines) {
            if (line == name)
                line.clear();
        }
        nodeTag = lines.join(kLineEnd);
        shrmodStrings::ReplaceText(nodeTag, {kLineEnd + kLineEnd, kLineEnd});
    } else {
        SaveWebAccess([&](const QString& list) {
            return WebAccessList::WithoutEntry(list, key + name);
        });
    }
    return true;
}

bool SiteExplorer::AcceptNewName(const QString& key, const QString& name)
{
    if (HasSpace(name)) {
        RefuseSpaces(name);
        return false;
    }
    // A name is one file of the shown folder; a path in it could lead anywhere.
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) ||
        !IsSafeSitePath(key + name)) {
        MsgBox(UnsafeSitePathMessage(name), vbCritical);
        return false;
    }
    return true;
}

bool SiteExplorer::IsListedOnServer(const QString& key, const QString& name)
{
    if (!GetFolderListing(key + name).contains(name + kLineEnd))
        return false;
    MsgBox(key + name + QStringLiteral(" already exists on the server.  Try using the REPLACE button."),
           vbOKOnly | vbCritical);
    return true;
}

void SiteExplorer::RecordNewFile(const QString& key, const QString& name, QString& nodeTag)
{
    if (FullAccess) {
        nodeTag += kLineEnd + name;
    } else {
        SaveWebAccess([&](const QString& list) {
            return WebAccessList::WithEntry(list, key + name);
        });
    }
}

bool SiteExplorer::RegisterNewFile(const QString& key, const QString& name, QString& nodeTag)
{
    if (!AcceptNewName(key, name) || IsListedOnServer(key, name))
        return false;
    RecordNewFile(key, name, nodeTag);
    TransferLog::Note(m_inet.Log, key + name, QStringLiteral("registered as a new file"));
    return true;
}

bool SiteExplorer::AddToServer(const QString& key, const QString& localFile, QString& nodeTag)
{
    const QString name = QFileInfo(localFile).fileName();
    if (!AcceptNewName(key, name) || IsListedOnServer(key, name))
        return false;
    CopyIntoMirror(localFile, key + name);
    if (!UploadWebFile(m_inet, key + name))
        return false;
    RecordNewFile(key, name, nodeTag);
    return true;
}

bool SiteExplorer::ReplaceOnServer(const QString& key, const QString& name,
                                   const QString& localFile)
{
    const QString chosenName = QFileInfo(localFile).fileName();
    if (HasSpace(chosenName)) {
        RefuseSpaces(chosenName);
        return false;
    }
    CopyIntoMirror(localFile, key + name);
    return UploadWebFile(m_inet, key + name);
}

void SiteExplorer::DeleteLocalCopy(const QString& key, const QString& name)
{
    QFile copy(MapWebFileName(key + name).localFile);
    if (copy.exists() && !copy.remove())
        throw SkiffError(
            QStringLiteral("Cannot delete %1: %2").arg(copy.fileName(), copy.errorString()));
}

void SiteExplorer::SaveWebAccess(const std::function<QString(const QString&)>& change)
{
    const QString sitePath = WebAccessList::SitePathOf(CurrentUser);
    const QString spelled = QStringLiteral("qxg/") + CurrentUser + QStringLiteral(".dat");
    QString why;
    const bool locked = SiteChange::UnderChangeLock(
        m_inet,
        [&](FtpLink& link) {
            // Read where PrepareAccess reads it, the written list first.
            std::optional<QByteArray> onServer =
                SiteCopy::FetchOverFtp(link, SiteCopy::ForSitePath(sitePath));
            if (!onServer && spelled != sitePath)
                onServer = SiteCopy::FetchOverFtp(link, SiteCopy::ForSitePath(spelled));
            const QString text = SiteText::Decode(onServer.value_or(QByteArray()));
            if (text.contains(QLatin1Char('<')))
                throw SkiffError(sitePath + QStringLiteral(" is not an access list: it reads as a "
                                                           "web page, so it was left as it is."));
            WebAccess = change(WebAccessList::Clean(text));
            QFile file(MapWebFileName(sitePath, true).localFile);
            const QByteArray bytes = WebAccess.toUtf8();
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
                file.write(bytes) != bytes.size())
                throw SkiffError(QStringLiteral("Cannot write %1: %2")
                                     .arg(file.fileName(), file.errorString()));
            file.close();
            UploadWebFile(m_inet, sitePath);
            return true;
        },
        &why);
    if (!locked)
        throw SkiffError(sitePath + QStringLiteral(" was not changed: ") + why);
}

QString SiteExplorer::NothingSelectedText(Batch batch)
{
    const QString action = batch == Batch::Download ? QStringLiteral("download")
                           : batch == Batch::Upload ? QStringLiteral("upload")
                                                    : QStringLiteral("delete");
    return QStringLiteral("No Files are Selected.  Please select the files to ") + action +
           QStringLiteral(".");
}

QString SiteExplorer::ConfirmationText(Batch batch, int count)
{
    // What is done, then where, for each batch in the order of Batch.
    static const char* const kWords[][2] = {
        {"download ", " from the server."},
        {"send (upload) ", " to the server."},
        {"DELETE ", " from your LOCAL hard drive."},
        {"DELETE ", " from the server."},
    };
    const auto& words = kWords[int(batch)];
    return QStringLiteral("Please confirm.  You are about to ") + QLatin1String(words[0]) +
           QString::number(count) + QStringLiteral(" file") +
           (count > 1 ? QStringLiteral("s") : QString()) + QLatin1String(words[1]);
}

QString SiteExplorer::MirrorIcon(const QString& key, const QString& name)
{
    // Relative to the working directory, the local folder.
    const bool exists =
        IsSafeSitePath(key + name) && QFileInfo(MapWebFileName(key + name).localFile).isFile();
    return exists ? QStringLiteral("file") : QStringLiteral("filenotfound");
}

QString SiteExplorer::ExistingMirrorCopy(const QString& key, const QString& name)
{
    if (!IsSafeSitePath(key + name))
        return QString();
    const QString path = LocalFolder + MapWebFileName(key + name).localFile;
    return QFileInfo(path).isFile() ? path : QString();
}

std::optional<SiteExplorer::FolderNode>
SiteExplorer::NewFolderNode(const QString& parentKey, QString folder,
                            const std::function<bool(const QString&)>& hasNode)
{
    if (folder.startsWith(QLatin1Char('.')))
        return std::nullopt;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    const QString key = parentKey + folder;
    if (!IsSafeSitePath(key.chopped(1)) || hasNode(key) || !hasNode(parentKey))
        return std::nullopt;
    return FolderNode{key, folder.chopped(1)};
}
