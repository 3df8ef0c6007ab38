// Check out and get latest version: both fetch the selected files' server
// copies, putting back a copy an interrupted check-in left as ".backup".

#include "SharedFiles.h"

#include "FileVersions.h"
#include "LocalCopy.h"
#include "SafeName.h"
#include "app/MemberLevel.h"
#include "app/GlobalState.h"
#include "app/Services.h"
#include "app/modSkiff.h"
#include "clsFileDetails.h"

#include <QSet>

namespace {

QString missingOnServerQuestion(const QString& name)
{
    return name + QStringLiteral(" does not exist on the server.\r\n\r\nDo you still want to check "
                                 "this file out?");
}

QString notDownloadedMessage(const QString& name)
{
    return name + QStringLiteral(" does not exist on the local computer.  Either it was not "
                                 "downloaded correctly, or it has been deleted off both the server "
                                 "and the local machine.");
}

} // namespace

bool SharedFiles::CheckOut(const QList<ListedFile>& selected)
{
    if (!MemberLevel::MayChangeFiles()) {
        MsgBox(QStringLiteral("Sorry, you do not have access to that feature."), vbCritical);
        return false;
    }
    BusyPointer busy;
    BeginBatch();
    // Whether a file is free is judged on the list as the member saw it;
    // questions are asked before the lock is taken, so no answer holds it.
    QList<clsFileDetails> batch;
    QSet<QString> onServer;
    QList<ListedFile> free;
    for (const ListedFile& file : selected)
        if (file.Record.Controller.isEmpty() && SafeName::AcceptLocalName(file.Record.Name))
            free.append(file);
    for (int index = 0; index < free.size(); ++index) {
        // Nothing is taken yet: a stop here leaves every record as it was.
        if (StopRequested())
            return true;
        const ListedFile& file = free.at(index);
        const QString& name = file.Record.Name;
        ShowFileStep(QStringLiteral("Checking out"), index, int(free.size()), name);
        view().ShowFile(name);
        const Presence presence = FindOnServer(name);
        if (presence == Presence::Unknown)
            continue;
        if (presence == Presence::Missing) {
            if (MsgBox(missingOnServerQuestion(name), vbYesNo | vbCritical) == vbNo)
                continue;
            if (!LocalCopy::Exists(name)) {
                MsgBox(notDownloadedMessage(name), vbCritical);
                continue;
            }
        } else {
            onServer.insert(name);
        }
        clsFileDetails entry;
        entry.Name = name;
        entry.Controller = modSkiff::CurrentUser;
        entry.CurrentVersion = file.Record.CurrentVersion;
        batch.append(entry);
    }
    if (batch.isEmpty())
        return true;

    // The records first, in one change under the server's change lock: a
    // file another member took since the list was built is seen there and
    // left to them. The files come down after, outside the lock, so a long
    // batch never holds it; a file that then does not arrive is given back
    // in one closing change.
    QList<clsFileDetails> taken;
    QStringList heldBy;
    const bool recorded = ChangeControlFile([&] {
        for (const clsFileDetails& entry : batch) {
            const QString holder = ControlFile::HolderOf(ControlFile::FileName(), entry.Name);
            if (HeldByAnother(holder)) {
                heldBy << holder;
                continue;
            }
            heldBy << QString();
            FileDetailsValues values;
            values.pvarController = entry.Controller;
            RewriteControlFile(entry.Name, RecordChange::Update, values);
        }
        return heldBy.contains(QString());
    });
    if (!recorded)
        return true;
    for (int i = 0; i < batch.size(); ++i) {
        const clsFileDetails& entry = batch.at(i);
        if (heldBy.at(i).isEmpty()) {
            taken.append(entry);
            continue;
        }
        view().ReportFile(entry.Name,
                          QStringLiteral("not checked out: checked out by ") + heldBy.at(i));
        MsgBox(entry.Name + QStringLiteral(" is now checked out by ") + heldBy.at(i) +
                   QStringLiteral(", who took it after your list was refreshed. It was not "
                                  "checked out for you."),
               vbExclamation);
    }

    QStringList notFetched;
    for (int index = 0; index < taken.size(); ++index) {
        const clsFileDetails& entry = taken.at(index);
        // The files not reached are given back with those that failed.
        if (StopRequested()) {
            notFetched << entry.Name;
            continue;
        }
        ShowFileStep(QStringLiteral("Downloading"), index, int(taken.size()), entry.Name);
        view().ShowFile(entry.Name);
        if (onServer.contains(entry.Name) && !Download(entry.Name)) {
            notFetched << entry.Name;
            continue;
        }
        FileVersions::Set(entry.Name, entry.CurrentVersion);
        view().ReportFile(entry.Name, QStringLiteral("checked out, version ") +
                                          QString::number(entry.CurrentVersion));
        view().SetLocalVersion(entry.Name, entry.CurrentVersion);
        view().SelectFile(entry.Name, false);
        view().SetFileIcon(entry.Name, QStringLiteral("open"));
    }
    if (!notFetched.isEmpty())
        GiveBack(notFetched);
    return true;
}

void SharedFiles::GiveBack(const QStringList& names)
{
    // Only a hold that is still this member's is given back.
    const bool givenBack = ChangeControlFile([&] {
        bool changed = false;
        for (const QString& name : names) {
            if (HeldByAnother(ControlFile::HolderOf(ControlFile::FileName(), name)))
                continue;
            FileDetailsValues values;
            values.pvarController = QString();
            RewriteControlFile(name, RecordChange::Update, values);
            changed = true;
        }
        return changed;
    });
    for (const QString& name : names)
        view().ReportFile(name, givenBack ? QStringLiteral("not checked out: it was not downloaded")
                                          : QStringLiteral("not downloaded, but still checked out "
                                                           "to you on the server"));
}

bool SharedFiles::GetLatestVersion(const QList<ListedFile>& selected)
{
    BusyPointer busy;
    BeginBatch();
    bool plotUpdated = false;
    for (int index = 0; index < selected.size() && !StopRequested(); ++index) {
        const ListedFile& file = selected.at(index);
        const QString& name = file.Record.Name;
        ShowFileStep(QStringLiteral("Getting"), index, int(selected.size()), name);
        const short listed = file.Record.CurrentVersion;
        // The member's own checked-out copy is the working copy: never
        // overwritten, only counted as current.
        if (file.Record.Controller == modSkiff::CurrentUser) {
            FileVersions::Set(name, listed);
            continue;
        }
        if (!SafeName::AcceptLocalName(name))
            continue;
        view().ShowFile(name);
        const Presence presence = FindOnServer(name);
        if (presence == Presence::Missing)
            MsgBox(name + QStringLiteral(" does not exist on the server."), vbCritical);
        // A copy that did not arrive is not recorded as current.
        if (presence != Presence::Listed || !Download(name))
            continue;
        FileVersions::Set(name, listed);
        view().SetLocalVersion(name, listed);
        modSkiff::SetReadOnly(name, true);
        view().SelectFile(name, false);
        view().SetFileIcon(name, file.Record.Controller.isEmpty() ? QStringLiteral("unlocked")
                                                                  : QStringLiteral("locked"));
        if (name.toLower() == PlotDocument())
            plotUpdated = true;
    }
    return plotUpdated;
}
