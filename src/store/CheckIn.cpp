// Check in: the member's copies of the selected files the member controls go
// back to the server with a comment, in four phases, so the control file
// changes only once every file has arrived: collect the answers, send the
// files, update the records in one upload, update the local versions.

#include "SharedFiles.h"

#include "FileVersions.h"
#include "LocalCopy.h"
#include "SafeName.h"
#include "app/Errors.h"
#include "app/GlobalState.h"
#include "app/Services.h"
#include "app/modSkiff.h"
#include "clsFileDetails.h"
#include "transport/FtpLink.h"
#include "site/WebFiles.h"
#include "transport/SiteConfig.h"

#include <optional>

using namespace modSkiff;

namespace {

// The busy pointer for the whole check-in, except while the member answers
// a dialog or a question.
class PointerUnlessAsking
{
public:
    PointerUnlessAsking() { m_busy.emplace(); }
    template <typename Ask> auto ask(Ask&& question)
    {
        m_busy.reset();
        SetNormalPointer();
        const auto answer = question();
        m_busy.emplace();
        return answer;
    }

private:
    std::optional<BusyPointer> m_busy;
};

bool AskToGiveBack(PointerUnlessAsking& pointer, const QString& name)
{
    const QString question =
        QStringLiteral("The file ") + name +
        QStringLiteral(" does not exist on your local computer.  Press OK to check this file in "
                       "without updating the server (you will lose any changes you may have "
                       "made).");
    return pointer.ask([&] {
        return MsgBox(question, vbOKCancel | vbCritical | vbDefaultButton2);
    }) == vbOK;
}

// Phase 1: the entries of the files to check in, or nothing when the member
// abandoned the check-in. A version of 32767 cannot be raised: "Overflow"
// before anything is sent.
std::optional<QList<clsFileDetails>> Collect(const QList<ListedFile>& selected,
                                             const AskCheckIn& dialog,
                                             PointerUnlessAsking& pointer, SharedFilesView& view)
{
    QList<clsFileDetails> batch;
    CheckInAnswers answers;
    for (const ListedFile& file : selected) {
        const QString& name = file.Record.Name;
        if (!SharedFiles::HeldByMe(file.Record) || !SafeName::AcceptLocalName(name))
            continue;
        view.ShowFile(name);
        const bool localCopy = LocalCopy::Exists(name);
        bool givenBack = false;
        if (answers.CheckInAll) {
            if (!localCopy && !answers.DontUpdateServer) {
                if (!AskToGiveBack(pointer, name))
                    return std::nullopt;
                givenBack = true;
            }
        } else if (!localCopy) {
            if (!AskToGiveBack(pointer, name))
                return std::nullopt;
            answers.DontUpdateServer = true;
        } else if (!pointer.ask([&] { return dialog(name, answers); })) {
            return std::nullopt;
        }

        clsFileDetails entry;
        entry.Name = name;
        entry.DontUpdateServer = givenBack || answers.DontUpdateServer;
        if (!entry.DontUpdateServer) {
            entry.CurrentVersion = ToInteger(file.Record.CurrentVersion + 1.0);
            entry.Controller = answers.KeepCheckedOut ? CurrentUser : QString();
            entry.Comment = CurrentUser + QStringLiteral(": ") + answers.Comment;
        }
        batch.append(entry);
    }
    return batch;
}

// Leaves out of the batch the files another member has checked out since
// the list was built (with a client that does not know the change lock,
// whose upload replaced this member's hold), after telling the member: such a file is
// neither sent nor given back, and its local copy stays as it is. Reads
// the control file just fetched; a damaged one ends the check-in before
// anything is sent.
QList<clsFileDetails> StillHeld(const QList<clsFileDetails>& batch, SharedFilesView& view)
{
    QList<clsFileDetails> held;
    for (const clsFileDetails& entry : batch) {
        const QString holder = ControlFile::HolderOf(ControlFile::FileName(), entry.Name);
        if (!SharedFiles::HeldByAnother(holder)) {
            held.append(entry);
            continue;
        }
        view.ReportFile(entry.Name, QStringLiteral("not sent: checked out by ") + holder);
        MsgBox(entry.Name + QStringLiteral(" is checked out by ") + holder +
                   QStringLiteral(" now: their check-out replaced yours. Nothing was sent for ") +
                   entry.Name + QStringLiteral(", and your local copy is kept as it is."),
               vbExclamation);
    }
    return held;
}

} // namespace

void SharedFiles::CheckIn(const QList<ListedFile>& selected, const AskCheckIn& dialog)
{
    PointerUnlessAsking pointer;
    BeginBatch();
    const std::optional<QList<clsFileDetails>> collected =
        Collect(selected, dialog, pointer, view());
    if (!collected || collected->isEmpty())
        return;

    // Whether the member still holds the files is asked of a fresh control
    // file, fetched on the fresh connection the sends go over.
    if (!GetControlFile())
        return;
    QList<clsFileDetails> batch = StillHeld(*collected, view());
    if (batch.isEmpty())
        return;

    // Phase 2: send. A file that did not arrive (refused, cut off, a size
    // the server does not confirm) has already had its backup put back.
    // The server's previous copies stay as ".backup" until the records say
    // the new ones are current, so a check in that cannot be recorded can
    // still be undone.
    // A stop leaves the files not reached, and one whose send the Cancel
    // cut off, checked out as they were; those sent are recorded.
    QStringList sent;
    for (int index = 0; index < batch.size(); ++index) {
        const clsFileDetails& entry = batch.at(index);
        if (StopRequested()) {
            batch.erase(batch.begin() + index, batch.end());
            break;
        }
        if (entry.DontUpdateServer)
            continue;
        const QString& name = entry.Name;
        ShowFileStep(QStringLiteral("Checking in"), index, int(batch.size()), name);
        if (!SendWithServerBackup(m_link, name, name)) {
            view().ReportFile(name, QStringLiteral("not sent; the server's previous copy was put back"));
            if (StopRequested()) {
                batch.erase(batch.begin() + index, batch.end());
                break;
            }
            throw SkiffError(QStringLiteral("Error sending ") + name +
                             QStringLiteral(", please try again."));
        }
        view().ReportFile(name, QStringLiteral("sent"));
        sent << name;
    }
    if (batch.isEmpty())
        return;
    for (const clsFileDetails& entry : batch)
        view().SelectFile(entry.Name, false);

    // Phase 3: the records, in one change of the control file. When it
    // cannot be made the member still holds the files: phase 4 is skipped.
    if (!RecordCheckIn(batch, sent))
        return;
    for (const QString& name : sent)
        m_link.Run(QStringLiteral("delete ") + name + QStringLiteral(".backup"));

    // Phase 4: the local versions and read-only marks.
    for (const clsFileDetails& entry : batch) {
        view().ShowFile(entry.Name);
        if (!entry.DontUpdateServer) {
            FileVersions::Set(entry.Name, entry.CurrentVersion);
            view().ReportFile(entry.Name, QStringLiteral("checked in, version ") +
                                              QString::number(entry.CurrentVersion));
        }
        // A copy the member no longer controls is not to be edited by accident.
        if (entry.Controller != CurrentUser)
            SetReadOnly(entry.Name, true);
        view().SelectFile(entry.Name, true);
    }
}

bool SharedFiles::RecordCheckIn(const QList<clsFileDetails>& batch, const QStringList& sent)
{
    const auto rewrite = [&] {
        for (const clsFileDetails& entry : batch) {
            view().ShowFile(entry.Name);
            FileDetailsValues values;
            values.pvarController = entry.Controller;
            if (!entry.DontUpdateServer) {
                values.pvarVersion = QString::number(entry.CurrentVersion);
                values.pvarComment = entry.Comment;
            }
            RewriteControlFile(entry.Name, RecordChange::Update, values);
            view().SetFileIcon(entry.Name, QStringLiteral("unlocked"));
        }
        return true;
    };
    for (;;) {
        QString why;
        if (ChangeControlFile(rewrite, sent.isEmpty() ? nullptr : &why))
            return true;
        if (sent.isEmpty())
            return false;
        // The files are on the server already: say so, and let the member
        // finish the check in or take it back.
        if (MsgBox(UnrecordedCheckIn(why, batch), vbRetryCancel | vbExclamation) == vbRetry)
            continue;
        PutPreviousCopiesBack(sent);
        return false;
    }
}

QString SharedFiles::UnrecordedCheckIn(const QString& why, const QList<clsFileDetails>& batch)
{
    QStringList versions;
    QStringList names;
    for (const clsFileDetails& entry : batch) {
        if (entry.DontUpdateServer)
            continue;
        names << entry.Name;
        versions << entry.Name + QStringLiteral(" version ") +
                        QString::number(entry.CurrentVersion - 1);
    }
    // The control file's own message would say nothing changed: untrue here.
    QString reason = why;
    reason.replace(NothingChanged(), QStringLiteral("."));
    return (reason.isEmpty() ? QString() : reason + QStringLiteral("\r\n\r\n")) +
           QStringLiteral("The server now holds your copy of ") + names.join(QStringLiteral(", ")) +
           QStringLiteral(", but the control file was not changed: it still says ") +
           versions.join(QStringLiteral(", ")) +
           QStringLiteral(", checked out to you.\r\n\r\nPress Retry to record the check in "
                          "now, or Cancel to put the server's previous copy back (your own copy "
                          "stays as it is, and you can check it in later).");
}

void SharedFiles::PutPreviousCopiesBack(const QStringList& sent)
{
    m_link.Run(QStringLiteral("cd ") + SiteConfig::GroupFolder());
    QStringList notBack;
    for (const QString& name : sent) {
        const bool back = RestoreServerBackup(m_link, name, true);
        view().ReportFile(name, back ? QStringLiteral("the server's previous copy was put back")
                                     : QStringLiteral("the server's previous copy could not be "
                                                      "put back: ") +
                                           m_link.FailureText());
        if (!back)
            notBack << name;
    }
    if (!notBack.isEmpty())
        MsgBox(QStringLiteral("The server's previous copy of ") +
                   notBack.join(QStringLiteral(", ")) +
                   QStringLiteral(" could not be put back: it is still there as ") +
                   notBack.first() + QStringLiteral(".backup. Please try again later."),
               vbCritical);
}
