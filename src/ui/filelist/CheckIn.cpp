// Check in: the member's copies of the selected files the member controls go
// back to the server with a comment, in four phases, so the control file
// changes only once every file has arrived: collect the answers, send the
// files, update the records in one upload, update the local versions.

#include "SharedFileSteps.h"
#include "frmCheckIn.h"
#include "frmFileList.h"

#include "ui/widgets/ListView.h"

#include "app/Errors.h"
#include "app/GlobalState.h"
#include "app/Services.h"
#include "app/modSkiff.h"
#include "store/FileVersions.h"
#include "store/LocalCopy.h"
#include "store/clsFileDetails.h"
#include "transport/SiteConfig.h"
#include "transport/WebFiles.h"

#include <optional>

using namespace modSkiff;
using namespace SharedFileSteps;

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

class CheckInRun
{
public:
    explicit CheckInRun(frmFileList& window) : m_window(window), m_list(*window.lvwFileList) {}

    // False when the member abandoned the check-in: nothing is sent then.
    bool Collect();
    // Throws "Error sending ..." after putting the server's copy back when a
    // file does not arrive.
    void Send();
    // False when a record could not be changed or the control file not
    // uploaded (the message has been shown).
    bool UpdateRecords();
    void UpdateLocalCopies();

    bool empty() const { return m_batch.isEmpty(); }
    PointerUnlessAsking pointer;

private:
    frmCheckIn& dialog();
    bool askToGiveBack(const QString& name);
    void execute(const QString& command) { m_window.ExecuteAndWait(command); }
    void reconnectToGroupFolder();
    ListItem* rowOf(clsFileDetails& entry)
    {
        return CurrentRow(m_list, entry.ListItem, entry.Name);
    }

    frmFileList& m_window;
    ListView& m_list;
    QList<clsFileDetails> m_batch;
};

frmCheckIn& CheckInRun::dialog()
{
    auto* existing = qobject_cast<frmCheckIn*>(m_window.CheckInDialog.data());
    if (existing)
        return *existing;
    auto* dialog = new frmCheckIn(&m_window);
    m_window.CheckInDialog = dialog;
    return *dialog;
}

bool CheckInRun::askToGiveBack(const QString& name)
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

bool CheckInRun::Collect()
{
    // Carried from one file's dialog to the next.
    QString comment;
    bool keepCheckedOut = false;
    bool dontUpdateServer = false;
    bool checkInAll = false;
    for (RowRef ref : SelectedRows(m_list)) {
        ListItem* row = CurrentRow(m_list, ref);
        if (!row || row->subItem(QStringLiteral("owner")) != CurrentUser ||
            !AcceptLocalName(ref.name))
            continue;
        row->ensureVisible();
        const bool localCopy = LocalCopy::Exists(ref.name);
        bool givenBack = false;
        if (checkInAll) {
            if (!localCopy && !dontUpdateServer) {
                if (!askToGiveBack(ref.name))
                    return false;
                givenBack = true;
            }
        } else if (!localCopy) {
            if (!askToGiveBack(ref.name))
                return false;
            dontUpdateServer = true;
        } else if (!pointer.ask([&] {
                       return dialog().Do_CheckInFile(ref.name, comment, keepCheckedOut, checkInAll,
                                                      dontUpdateServer);
                   })) {
            return false;
        }

        if (!(row = CurrentRow(m_list, ref)))
            continue;
        clsFileDetails entry;
        entry.ListItem = row;
        entry.Name = ref.name;
        entry.DontUpdateServer = givenBack || dontUpdateServer;
        if (!entry.DontUpdateServer) {
            // A version of 32767 cannot be raised: "Overflow" before anything is sent.
            entry.CurrentVersion = ToInteger(Val(row->subItem(QStringLiteral("ver"))) + 1);
            entry.Controller = keepCheckedOut ? CurrentUser : QString();
            entry.Comment = CurrentUser + QStringLiteral(": ") + comment;
        }
        m_batch.append(entry);
    }
    return true;
}

void CheckInRun::reconnectToGroupFolder()
{
    execute(QStringLiteral("QUIT"));
    execute(QStringLiteral("cd ") + SiteConfig::GroupFolder());
}

void CheckInRun::Send()
{
    reconnectToGroupFolder();
    for (const clsFileDetails& entry : m_batch) {
        if (entry.DontUpdateServer)
            continue;
        const QString& name = entry.Name;
        const QString backup = name + QStringLiteral(".backup");
        // A send the server refused has already had its backup put back.
        const bool sent = SendWithServerBackup(*m_window.inet, name, name);
        if (!sent || !IsListedOnServer(m_window, name)) {
            if (sent)
                execute(QStringLiteral("rename ") + backup + QLatin1Char(' ') + name);
            throw SkiffError(QStringLiteral("Error sending ") + name +
                             QStringLiteral(", please try again."));
        }
        // After a good check-in no server backup of the file remains.
        execute(QStringLiteral("delete ") + backup);
    }
    for (clsFileDetails& entry : m_batch)
        if (ListItem* row = rowOf(entry))
            row->setSelected(false);
}

bool CheckInRun::UpdateRecords()
{
    reconnectToGroupFolder();
    if (!m_window.UpdateFileDetails(QString(), false, {}, false, true))
        return false;
    for (clsFileDetails& entry : m_batch) {
        if (ListItem* row = rowOf(entry))
            row->ensureVisible();
        FileDetailsValues values;
        values.pvarController = entry.Controller;
        if (!entry.DontUpdateServer) {
            values.pvarVersion = QString::number(entry.CurrentVersion);
            values.pvarComment = entry.Comment;
        }
        if (!m_window.UpdateFileDetails(entry.Name, false, values))
            return false;
        if (ListItem* row = rowOf(entry))
            row->setSmallIcon(QStringLiteral("unlocked"));
    }
    return m_window.UpdateFileDetails(QString(), false, {}, false, false, true);
}

void CheckInRun::UpdateLocalCopies()
{
    for (clsFileDetails& entry : m_batch) {
        ListItem* row = rowOf(entry);
        if (row)
            row->ensureVisible();
        if (!entry.DontUpdateServer)
            FileVersions::Set(entry.Name, entry.CurrentVersion);
        // A copy the member no longer controls is not to be edited by accident.
        if (entry.Controller != CurrentUser)
            SetReadOnly(entry.Name, true);
        if (row)
            row->setSelected(true);
    }
}

} // namespace

void frmFileList::CheckIn()
{
    CloseAfterOperation closing(*this);
    CheckInRun run(*this);
    try {
        if (run.Collect() && !run.empty()) {
            run.Send();
            if (run.UpdateRecords())
                run.UpdateLocalCopies();
        }
        UpdateFileList();
    } catch (const SkiffError& error) {
        run.pointer.ask([&] { return MsgBox(error.description(), vbCritical); });
        try {
            UpdateFileList();
        } catch (const SkiffError&) {
            // The member has the reason already; the list shows what it can.
        }
    }
    SetNormalPointer();
}
