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
    // Whether a file is free is judged on the list as the member saw it.
    QList<clsFileDetails> batch;
    for (const ListedFile& file : selected) {
        const QString& name = file.Record.Name;
        if (!file.Record.Controller.isEmpty() || !SafeName::AcceptLocalName(name))
            continue;
        view().ShowFile(name);
        const Presence presence = FindOnServer(name);
        if (presence == Presence::Unknown)
            continue;
        if (presence == Presence::Listed) {
            if (!Download(name))
                continue;
        } else if (MsgBox(missingOnServerQuestion(name), vbYesNo | vbCritical) == vbNo) {
            continue;
        }
        if (!LocalCopy::Exists(name)) {
            MsgBox(notDownloadedMessage(name), vbCritical);
            continue;
        }
        clsFileDetails entry;
        entry.Name = name;
        entry.Controller = modSkiff::CurrentUser;
        entry.CurrentVersion = file.Record.CurrentVersion;
        batch.append(entry);
        view().SelectFile(name, false);
    }
    if (batch.isEmpty())
        return true;

    // Each record change starts from a control file fetched under the
    // server's change lock, so what other members changed meanwhile
    // survives, and a file another member took since the list was built is
    // seen and left to them. A file counts as taken only once the control
    // file saying so is on the server.
    GetControlFile();
    for (const clsFileDetails& entry : batch) {
        QString holder;
        const bool done = ChangeControlFile([&] {
            holder = ControlFile::HolderOf(ControlFile::FileName(), entry.Name);
            if (HeldByAnother(holder))
                return false;
            FileDetailsValues values;
            values.pvarController = entry.Controller;
            RewriteControlFile(entry.Name, RecordChange::Update, values);
            return true;
        });
        if (!done)
            return true;
        if (HeldByAnother(holder)) {
            view().ReportFile(entry.Name,
                              QStringLiteral("not checked out: checked out by ") + holder);
            MsgBox(entry.Name + QStringLiteral(" is now checked out by ") + holder +
                       QStringLiteral(", who took it after your list was refreshed. It was not "
                                      "checked out for you."),
                   vbExclamation);
            continue;
        }
        FileVersions::Set(entry.Name, entry.CurrentVersion);
        view().ReportFile(entry.Name, QStringLiteral("checked out, version ") +
                                          QString::number(entry.CurrentVersion));
        view().SetLocalVersion(entry.Name, entry.CurrentVersion);
        view().SelectFile(entry.Name, false);
        view().SetFileIcon(entry.Name, QStringLiteral("open"));
    }
    GetControlFile();
    return true;
}

bool SharedFiles::GetLatestVersion(const QList<ListedFile>& selected)
{
    BusyPointer busy;
    bool plotUpdated = false;
    for (const ListedFile& file : selected) {
        const QString& name = file.Record.Name;
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
