// The smaller operations on the shared files: opening them, the local
// read-only mark, and the owner's options (description, removal, giving up
// ownership) with the rule of who may use them.

#include "SharedFileSteps.h"
#include "frmEditFileDetails.h"
#include "frmFileList.h"

#include "ui/widgets/ListView.h"

#include "app/GlobalState.h"
#include "app/Services.h"
#include "app/modSkiff.h"
#include "app/shrmodStrings.h"

#include <QAction>
#include <functional>

using namespace modSkiff;

namespace {

const QString kOwner = QStringLiteral("author");
const QString kHolder = QStringLiteral("owner");

bool IsCurrentUser(const QString& nickname)
{
    return nickname.toLower() == CurrentUser.toLower();
}

// The owner, or anybody when the file has no owner.
bool MayUseOwnerOptions(const ListItem* item)
{
    const QString owner = item->subItem(kOwner);
    return owner.isEmpty() || IsCurrentUser(owner);
}

bool OwnsFile(const ListItem* item)
{
    const QString owner = item->subItem(kOwner);
    return !owner.isEmpty() && IsCurrentUser(owner);
}

bool HasLatestVersion(const ListItem* item)
{
    return Val(item->subItem(QStringLiteral("myver"))) == Val(item->subItem(QStringLiteral("ver")));
}

QString WithoutDoubleQuotes(QString text)
{
    return shrmodStrings::ReplaceTextKeepCase(text, {QStringLiteral("\""), QStringLiteral("'")});
}

} // namespace

void frmFileList::EnableOwnerOptions()
{
    const ListItem* item = lvwFileList->selectedItem();
    bool describe = false;
    bool relinquish = false;
    if (!item) {
        mnuActionsReadOnly->setEnabled(false);
    } else {
        // Administrators see the local mark like everybody, and may give
        // up the ownership of their own files like everybody.
        mnuActionsReadOnly->setEnabled(true);
        mnuActionsReadOnly->setChecked(IsReadOnly(LocalFolder + item->text()));
        if (CurrentLevel == 4) {
            describe = true;
            relinquish = OwnsFile(item);
        } else {
            describe = CurrentLevel == 3 && MayUseOwnerOptions(item);
            relinquish = describe && !item->subItem(kOwner).isEmpty();
        }
    }
    mnuActionsChangeFileDescription->setEnabled(describe);
    mnuActionsDeleteFile->setEnabled(describe);
    mnuActionsRelinquishControl->setEnabled(relinquish);
    SetNormalPointer();
}

// An owner's change to one record: fetched, changed and uploaded with the
// busy pointer; on success the row, found again by its key because the
// waits let the list be rebuilt meanwhile, shows the change.
static void ChangeRecordOfRow(frmFileList& window, const QString& name, const QString& key,
                              const FileDetailsValues& values, bool deleteRecord,
                              const std::function<void(ListItem*)>& showChange)
{
    BusyPointer busy;
    if (window.UpdateFileDetails(name, false, values, deleteRecord, true, true))
        if (ListItem* row = window.lvwFileList->findItem(key))
            showChange(row);
}

void frmFileList::ChangeFileDescription()
{
    SharedFileSteps::CloseAfterOperation closing(*this);
    ListItem* item = lvwFileList->selectedItem();
    if (!item)
        return;
    const QString name = item->text();
    const QString key = item->key();
    if (!MayUseOwnerOptions(item)) {
        MsgBox(QStringLiteral("Sorry, only ") + item->subItem(kOwner) +
                   QStringLiteral(" has permission to change ") + name +
                   QStringLiteral("'s description."),
               vbOKOnly);
        return;
    }
    const QString description = WithoutDoubleQuotes(InputBox(
        QStringLiteral("Please enter a new description for the following file:\r\n\r\n") + name,
        QString(), item->subItem(QStringLiteral("desc"))));
    if (description.isEmpty())
        return;
    FileDetailsValues values;
    values.pvarDesc = description;
    ChangeRecordOfRow(*this, name, key, values, false,
                      [&](ListItem* row) { row->setSubItem(QStringLiteral("desc"), description); });
}

void frmFileList::DeleteFile()
{
    SharedFileSteps::CloseAfterOperation closing(*this);
    ListItem* item = lvwFileList->selectedItem();
    if (!item)
        return;
    const QString name = item->text();
    const QString key = item->key();
    if (!MayUseOwnerOptions(item)) {
        MsgBox(QStringLiteral("Sorry, only ") + item->subItem(kOwner) +
                   QStringLiteral(" has permission to remove ") + name + QLatin1Char('.'),
               vbOKOnly);
        return;
    }
    const int answer =
        MsgBox(QStringLiteral("Are you sure you want to remove ") + name +
                   QStringLiteral(" from Skiff?\r\n\r\nNOTE: This will not delete ") + name +
                   QStringLiteral(" from your local computer nor will it delete ") + name +
                   QStringLiteral(" from the computer of any other Skiff user."),
               vbYesNo | vbDefaultButton2 | vbExclamation);
    if (answer != vbYes)
        return;
    ChangeRecordOfRow(*this, name, key, {}, true,
                      [this](ListItem* row) { lvwFileList->removeItem(row); });
}

void frmFileList::RelinquishControl()
{
    SharedFileSteps::CloseAfterOperation closing(*this);
    ListItem* item = lvwFileList->selectedItem();
    if (!item)
        return;
    const QString name = item->text();
    const QString key = item->key();
    if (!IsCurrentUser(item->subItem(kOwner))) {
        MsgBox(QStringLiteral("Sorry, you do not have control ") + name + QLatin1Char('.'),
               vbOKOnly);
        return;
    }
    if (MsgBox(QStringLiteral("Are you sure you want to relinquish control of ") + name +
                   QLatin1Char('?'),
               vbYesNo | vbDefaultButton2 | vbQuestion) != vbYes)
        return;
    FileDetailsValues values;
    values.pvarAuthor = QString();
    ChangeRecordOfRow(*this, name, key, values, false,
                      [](ListItem* row) { row->setSubItem(kOwner, QString()); });
}

void frmFileList::OpenFile()
{
    const QList<ListItem*> rows = lvwFileList->selectedItems();
    if (rows.isEmpty()) {
        MsgBox(QStringLiteral("No Files Are Selected"), vbExclamation);
        return;
    }
    if (rows.size() == 1) {
        const ListItem* item = rows.first();
        if (!HasLatestVersion(item)) {
            MsgBox(QStringLiteral("You do not have the latest version of this file."), vbCritical);
            return;
        }
        if (!IsCurrentUser(item->subItem(kHolder)) &&
            MsgBox(QStringLiteral("You do not have ") + item->text() +
                       QStringLiteral(" checked out.  You will not be able to save your changes "
                                      "to this file."),
                   vbOKCancel | vbInformation) != vbOK)
            return;
    } else if (MsgBox(QStringLiteral("Are you sure you want to open the ") +
                          QString::number(rows.size()) + QStringLiteral(" selected files?"),
                      vbYesNo | vbQuestion) == vbNo) {
        return;
    }
    int notOpened = 0;
    for (const ListItem* item : rows) {
        if (!HasLatestVersion(item)) {
            ++notOpened;
            continue;
        }
        if (SharedFileSteps::AcceptLocalName(item->text()))
            ShellOpenFile(LocalFolder + item->text());
    }
    if (notOpened > 0)
        MsgBox(QString::number(notOpened) +
                   QStringLiteral(" files were not opened because you do not have the latest "
                                  "version of these files."),
               vbInformation);
}

void frmFileList::ToggleReadOnly()
{
    const ListItem* item = lvwFileList->selectedItem();
    if (!item || !SharedFileSteps::AcceptLocalName(item->text()))
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
