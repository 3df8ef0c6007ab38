// Fetching the control file, checking it, recovering it from the server's
// backup, rebuilding the list from it, and changing it.

#include "frmFileList.h"

#include "SharedFileSteps.h"

#include "ui/widgets/ListView.h"

#include "app/Errors.h"
#include "app/GlobalState.h"
#include "app/Services.h"
#include "app/Settings.h"
#include "app/modSkiff.h"
#include "store/ControlFile.h"
#include "store/FileState.h"
#include "store/FileVersions.h"
#include "transport/Inet.h"
#include "transport/SiteConfig.h"
#include "transport/WebFiles.h"

#include <QFile>

using namespace modSkiff;

// The four marking options, read once per rebuild.
struct RowMarkings
{
    bool outOfDateAsRed = true;
    bool upToDateAsBlue = false;
    bool checkedOutAsGreen = false;
    bool unavailableAsYellow = false;
};

namespace {

bool iconOption(const char* key, const char* defaultValue)
{
    return GetSetting(QStringLiteral("Icons"), QLatin1String(key), QLatin1String(defaultValue)) ==
           QLatin1String("Yes");
}

QString corruptOrMissingMessage(const QString& status)
{
    return QStringLiteral("Skiff detected a corrupt or missing _files.txt on the server. This is "
                          "probably the result of Skiff crashing the last time that you or another "
                          "user was checking in, checking out, or adding files.\r\n\r\nSkiff will "
                          "now try to restore _files.txt from a backup on the server.: If this "
                          "fails, please email a copy of the _files.txt.backup file from your "
                          "computer to Orrin.  This file should be found at ") +
           LocalFolder + QStringLiteral(".\r\n\r\n(ERR: ") + status +
           QStringLiteral(")\r\n\r\nPress <OK> to attempt to restore _files.txt from the server "
                          "backup.");
}

QString releaseNotice(const QString& release)
{
    return QStringLiteral("Skiff has been updated to version ") + release +
           QStringLiteral("\r\nYou are currently using version ") + AppVersion() +
           QStringLiteral("\r\n\r\nPlease get version ") + release +
           QStringLiteral(" from Orrin.");
}

} // namespace

bool frmFileList::GetFile(const QString& fileName)
{
    BusyPointer busy;
    try {
        ExecuteAndWait(QStringLiteral("QUIT"));
        ExecuteAndWait(QStringLiteral("cd ") + SiteConfig::GroupFolder());
        if (QFile::exists(fileName) && !QFile::remove(fileName))
            throw SkiffError(QStringLiteral("Permission denied: ") + fileName, 70);
        ExecuteAndWait(QStringLiteral("GET ") + fileName + QLatin1Char(' ') + fileName);
        // A server that refuses the file leaves it missing, which the checks
        // report; a server that cannot be reached is the component's error.
        if (inet->LastCommandLostTheServer())
            throw SkiffError(inet->ResponseInfo());
    } catch (const SkiffError& error) {
        MsgBox(error.description(), vbCritical);
        return false;
    }
    return true;
}

bool frmFileList::GetControlFile() { return GetFile(ControlFile::FileName()); }

bool frmFileList::UpdateFileDetails(const QString& pstrFileName, bool pblnNewFile,
                                    const FileDetailsValues& values, bool pblnDeleteFile,
                                    bool pblnGetControlFile, bool pblnSaveControlFile)
{
    if (pblnGetControlFile && !GetControlFile())
        return false;
    try {
        if (!pstrFileName.isEmpty()) {
            const RecordChange change = pblnNewFile      ? RecordChange::Add
                                        : pblnDeleteFile ? RecordChange::Delete
                                                         : RecordChange::Update;
            RewriteControlFile(pstrFileName, change, values);
        }
        // The connection is already in the group folder: names without paths.
        if (pblnSaveControlFile)
            SendWithServerBackup(*inet, ControlFile::FileName(), ControlFile::FileName());
    } catch (const SkiffError& error) {
        MsgBox(error.description(), vbCritical);
        return false;
    }
    return true;
}

int frmFileList::AddRows(const QVector<FileRecord>& records, const RowMarkings& markings)
{
    int added = 0;
    for (const FileRecord& record : records) {
        if (!ControlFile::IsListed(record))
            continue;
        const short local = FileVersions::Get(record.Name);
        const FileState state =
            GetFileState(record.Controller, record.CurrentVersion, local, CurrentUser);
        bool marked = markings.upToDateAsBlue;
        switch (state) {
        case FileState::Open:
            ++LastCountOfCheckedOutFiles;
            marked = markings.checkedOutAsGreen;
            break;
        case FileState::Old:
        case FileState::New:
            ++LastCountOfOutdatedFiles;
            marked = markings.outOfDateAsRed;
            break;
        case FileState::Locked: marked = markings.unavailableAsYellow; break;
        case FileState::Unlocked: break;
        }
        // Names that differ only in letter case are one file to the store, but a
        // damaged control file may still list both: show both rather than lose one.
        QString key = record.Name.toLower();
        for (int n = 2; lvwFileList->findItem(key); ++n)
            key = record.Name.toLower() + QLatin1Char('#') + QString::number(n);
        ListItem* item =
            lvwFileList->addItem(key, record.Name, GetIcon(marked, FileStateKey(state), record.Name));
        item->setSubItem(QStringLiteral("owner"), record.Controller);
        item->setSubItem(QStringLiteral("ver"), QString::number(record.CurrentVersion));
        item->setSubItem(QStringLiteral("myver"), QString::number(local));
        item->setSubItem(QStringLiteral("author"), record.Author);
        item->setSubItem(QStringLiteral("desc"), record.Description);
        item->setSubItem(QStringLiteral("comment"), record.Comment);
        ++added;
    }
    return added;
}

bool frmFileList::UpdateFileList()
{
    ListItem* selected = lvwFileList->selectedItem();
    const int selectedIndex = selected ? selected->index() : 0;

    RowMarkings markings;
    markings.outOfDateAsRed = iconOption("/ShowOutOfDateAsRed", "Yes");
    markings.upToDateAsBlue = iconOption("/ShowUpToDateAsBlue", "No");
    markings.checkedOutAsGreen = iconOption("/ShowCheckedOutAsGreen", "No");
    markings.unavailableAsYellow = iconOption("/ShowUnavailableAsYellow", "No");

    BusyPointer busy;
    SharedFileSteps::CloseAfterOperation closing(*this);
    lvwFileList->setEnabled(false);
    bool retried = false;
    for (;;) {
        LastCountOfOutdatedFiles = 0;
        LastCountOfCheckedOutFiles = 0;
        SaveIcons();
        if (!GetControlFile())
            return false;

        lvwFileList->beginUpdate();
        lvwFileList->clear();
        QString status = QStringLiteral("file not found");
        const ControlFile::Contents contents = ControlFile::Read(ControlFile::FileName());
        int rows = 0;
        if (contents.exists) {
            status = QStringLiteral("file is empty");
            if (contents.hasReleaseLine) {
                if (!IsCurrentVersion(contents.release)) {
                    lvwFileList->endUpdate();
                    MsgBox(releaseNotice(contents.release), vbCritical);
                    close();
                    return false;
                }
                status = QStringLiteral("file is incomplete");
                if (contents.hasCountLine)
                    rows = AddRows(contents.records, markings);
            }
        }
        lvwFileList->endUpdate();
        if (contents.error) {
            MsgBox(contents.error->description(), vbCritical);
            return false;
        }
        if (contents.hasCountLine && rows == contents.expectedCount)
            break;
        if (contents.hasCountLine)
            status = QString::number(contents.expectedCount) +
                     QStringLiteral(" files expected, ") + QString::number(rows) +
                     QStringLiteral(" files found)");

        if (!retried) {
            retried = true;
            ExecuteAndWait(QStringLiteral("QUIT"));
            ExecuteAndWait(QStringLiteral("cd ") + SiteConfig::GroupFolder());
            continue;
        }
        if (MsgBox(corruptOrMissingMessage(status), vbOKCancel | vbCritical) == vbCancel) {
            EndProgram();
            return false;
        }
        const QString name = ControlFile::FileName();
        ExecuteAndWait(QStringLiteral("get ") + name + QStringLiteral(".backup ") + name);
        // The copy this member kept before their last change goes up. A member
        // who never changed the control file has none: the server's backup,
        // just fetched, goes up instead, or the question would only come back.
        const QString restored =
            QFile::exists(ControlFile::BackupName()) ? ControlFile::BackupName() : name;
        ExecuteAndWait(QStringLiteral("send ") + restored + QLatin1Char(' ') + name);
    }

    LoadIcons();
    lvwFileList->setEnabled(true);
    if (lvwFileList->count() > 0) {
        lvwFileList->item(lvwFileList->count() - 1)->ensureVisible();
        if (ListItem* again = lvwFileList->item(qMin(selectedIndex, lvwFileList->count() - 1)))
            again->ensureVisible();
    }
    return true;
}
