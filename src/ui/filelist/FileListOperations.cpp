// The shared files window's operations: each reads the selection, runs the
// shared-file operation of the same name and shows the outcome in the rows.

#include "frmFileList.h"

#include "ui/CloseAfterOperation.h"
#include "FileListColumns.h"
#include "frmAddFile.h"
#include "frmCheckIn.h"
#include "frmEditFileDetails.h"

#include "ui/widgets/ListView.h"

#include "app/MemberLevel.h"
#include "app/Errors.h"
#include "app/GlobalState.h"
#include "app/Guard.h"
#include "app/Services.h"
#include "app/Settings.h"
#include "app/modSkiff.h"
#include "store/FileState.h"
#include "store/FileVersions.h"
#include "store/SafeName.h"

#include <QAction>
#include <QHash>
#include <QLineEdit>
#include <QTimer>

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

RowMarkings ReadMarkings()
{
    RowMarkings markings;
    markings.outOfDateAsRed = iconOption("/ShowOutOfDateAsRed", "Yes");
    markings.upToDateAsBlue = iconOption("/ShowUpToDateAsBlue", "No");
    markings.checkedOutAsGreen = iconOption("/ShowCheckedOutAsGreen", "No");
    markings.unavailableAsYellow = iconOption("/ShowUnavailableAsYellow", "No");
    return markings;
}

} // namespace

bool frmFileList::GetFile(const QString& fileName)
{
    return m_files->GetFile(fileName);
}

bool frmFileList::GetControlFile()
{
    return m_files->GetControlFile();
}

void frmFileList::RunOperation(const std::function<void()>& operation)
{
    // A refresh or a typed command in one of the operation's waits would
    // end the session or change its folder under the next command it sends.
    struct Running
    {
        frmFileList& window;
        explicit Running(frmFileList& w) : window(w)
        {
            if (window.m_operations++ == 0)
                window.txtCommands->setEnabled(false);
        }
        ~Running()
        {
            if (--window.m_operations > 0)
                return;
            window.txtCommands->setEnabled(true);
            window.m_rows->EndSteps();
            if (window.m_refreshWanted)
                QTimer::singleShot(0, &window, [w = &window] {
                    if (w->m_refreshWanted)
                        RunGuarded([w] { w->UpdateFileList(); });
                });
        }
    } running(*this);
    operation();
}

QList<ListedFile> frmFileList::SelectedFiles() const
{
    QList<ListedFile> files;
    for (const ListItem* row : lvwFileList->selectedItems())
        files.append(FileListColumns::ListedFileOf(*row));
    return files;
}

void frmFileList::AddRows(const QVector<FileRecord>& records, const RowMarkings& markings)
{
    // Names that differ only in letter case are one file to the store, but a
    // damaged or hostile control file may still list one name many times:
    // each further row is keyed with the next free "#n", found in one step
    // however many came before, so the rebuild stays linear.
    QHash<QString, int> nextNumber;
    nextNumber.reserve(records.size());
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
        case FileState::Locked:
            marked = markings.unavailableAsYellow;
            break;
        case FileState::Unlocked:
            break;
        }
        const QString lower = record.Name.toLower();
        int& next = nextNumber[lower];
        QString key = lower;
        if (next == 0)
            next = 2;
        else
            key = lower + QLatin1Char('#') + QString::number(next++);
        // Taken by a name that really is written so ("a.txt#2"): the next one.
        while (lvwFileList->findItem(key))
            key = lower + QLatin1Char('#') + QString::number(next++);
        ListItem* item = lvwFileList->addItem(key, record.Name,
                                              GetIcon(marked, FileStateKey(state), record.Name));
        FileListColumns::ShowRecord(*item, record, local);
    }
}

bool frmFileList::UpdateFileList()
{
    ListItem* selected = lvwFileList->selectedItem();
    const int selectedIndex = selected ? selected->index() : 0;
    const RowMarkings markings = ReadMarkings();

    if (m_operations > 0) {
        m_refreshWanted = true;
        return false;
    }
    m_refreshWanted = false;
    BusyPointer busy;
    CloseAfterOperation closing(*this);
    lvwFileList->setEnabled(false);
    LastCountOfOutdatedFiles = 0;
    LastCountOfCheckedOutFiles = 0;
    SaveIcons();
    const ControlFileCheck check = m_files->CheckControlFile();
    if (check.outcome == ControlFileCheck::FetchFailed)
        return false;
    lvwFileList->beginUpdate();
    lvwFileList->clear();
    // An unreadable record leaves the rows read before it.
    if (check.outcome == ControlFileCheck::Accepted ||
        check.outcome == ControlFileCheck::Unreadable)
        AddRows(check.contents.records, markings);
    lvwFileList->endUpdate();
    if (check.outcome == ControlFileCheck::NewerRelease)
        close();
    if (check.outcome != ControlFileCheck::Accepted)
        return false;

    LoadIcons();
    lvwFileList->setEnabled(true);
    if (lvwFileList->count() > 0) {
        lvwFileList->item(lvwFileList->count() - 1)->ensureVisible();
        if (ListItem* again = lvwFileList->item(qMin(selectedIndex, lvwFileList->count() - 1)))
            again->ensureVisible();
    }
    return true;
}

void frmFileList::CheckOut()
{
    CloseAfterOperation closing(*this);
    bool rebuild = false;
    RunOperation([&] { rebuild = m_files->CheckOut(SelectedFiles()); });
    if (rebuild)
        UpdateFileList();
}

void frmFileList::CheckIn()
{
    CloseAfterOperation closing(*this);
    const AskCheckIn dialog = [this](const QString& name, CheckInAnswers& answers) {
        // Kept (hidden) between check-ins, so it remembers its comment and boxes.
        auto* checkIn = qobject_cast<frmCheckIn*>(CheckInDialog.data());
        if (!checkIn) {
            checkIn = new frmCheckIn(this);
            CheckInDialog = checkIn;
        }
        return checkIn->Do_CheckInFile(name, answers.Comment, answers.KeepCheckedOut,
                                       answers.CheckInAll, answers.DontUpdateServer);
    };
    // Whatever happened, the list shows the files as they now stand.
    RunGuarded([&] { RunOperation([&] { m_files->CheckIn(SelectedFiles(), dialog); }); });
    UpdateFileList();
    SetNormalPointer();
}

void frmFileList::GetLatestVersion()
{
    CloseAfterOperation closing(*this);
    BusyPointer busy;
    bool plotUpdated = false;
    RunOperation([&] { plotUpdated = m_files->GetLatestVersion(SelectedFiles()); });
    UpdateFileList();
    if (plotUpdated &&
        MsgBox(QStringLiteral("QXplot.doc has been updated, press OK to view the changes."),
               vbOKCancel | vbInformation) == vbOK) {
        ListItem* plot = lvwFileList->findItem(SharedFiles::PlotDocument());
        for (ListItem* item : lvwFileList->items())
            item->setSelected(item == plot);
        if (plot)
            plot->ensureVisible();
        OpenFile();
    }
}

void frmFileList::AddFiles()
{
    if (!MemberLevel::MayChangeFiles()) {
        MsgBox(QStringLiteral("Sorry, you do not have access to that feature."), vbCritical);
        return;
    }
    // On the heap: closing this window while the add window is up must not
    // leave the child to be destroyed twice.
    auto* window = new frmAddFile(this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    AddFileWindow = window;
    window->exec();
}

void frmFileList::EnableOwnerOptions()
{
    const ListItem* item = lvwFileList->selectedItem();
    SharedFiles::RecordOptions options;
    if (!item) {
        mnuActionsReadOnly->setEnabled(false);
    } else {
        const FileRecord file = FileListColumns::ListedFileOf(*item).Record;
        // Administrators see the local mark like everybody, and may give
        // up the ownership of their own files like everybody.
        // A name that is not a local file name never reaches the disk.
        const bool local = SafeName::IsSafeLocalName(file.Name);
        mnuActionsReadOnly->setEnabled(local);
        mnuActionsReadOnly->setChecked(local && IsReadOnly(LocalFolder + file.Name));
        options = SharedFiles::OptionsFor(file);
    }
    mnuActionsChangeFileDescription->setEnabled(options.describe);
    mnuActionsDeleteFile->setEnabled(options.describe);
    mnuActionsRelinquishControl->setEnabled(options.relinquish);
    SetNormalPointer();
}

void frmFileList::OwnerAction(const std::function<bool(const FileRecord&)>& action,
                              const std::function<void(ListItem&)>& showChange)
{
    CloseAfterOperation closing(*this);
    const ListItem* item = lvwFileList->selectedItem();
    if (!item)
        return;
    const FileRecord file = FileListColumns::ListedFileOf(*item).Record;
    // The row is found again: the waits let the list be rebuilt meanwhile.
    bool changed = false;
    RunOperation([&] { changed = action(file); });
    if (changed)
        if (ListItem* row = m_rows->Row(file.Name))
            showChange(*row);
}

void frmFileList::ChangeFileDescription()
{
    QString description;
    OwnerAction(
        [&](const FileRecord& file) { return m_files->ChangeFileDescription(file, description); },
        [&](ListItem& row) {
            FileListColumns::ChangeRecord(
                row, [&](FileRecord& file) { file.Description = description; });
        });
}

void frmFileList::DeleteFile()
{
    OwnerAction([this](const FileRecord& file) { return m_files->DeleteFile(file); },
                [this](ListItem& row) { lvwFileList->removeItem(&row); });
}

void frmFileList::RelinquishControl()
{
    OwnerAction([this](const FileRecord& file) { return m_files->RelinquishControl(file); },
                [](ListItem& row) {
                    FileListColumns::ChangeRecord(row,
                                                  [](FileRecord& file) { file.Author.clear(); });
                });
}

void frmFileList::OpenFile()
{
    m_files->OpenFile(SelectedFiles());
}

void frmFileList::ToggleReadOnly()
{
    const ListItem* item = lvwFileList->selectedItem();
    if (!item || !SafeName::AcceptLocalName(item->text()))
        return;
    const QString path = LocalFolder + item->text();
    // Forced: the member asked for this file, whatever the general choice.
    SetReadOnly(path, !IsReadOnly(path), true);
}

void frmFileList::EditFileDetails()
{
    // On the heap, as the add window is.
    auto* dialog = new frmEditFileDetails(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->exec();
}
